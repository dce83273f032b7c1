// Kernel-side stand-ins: the module file, shared libraries and their routines, the private
// plug-in directories, the version test, critical sections across threads, the tick count.
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <string>
#include <thread>

#include "native/win32.h"
#include "gtest/gtest.h"

namespace {

TEST(Kernel, ModuleFileIsThisProgram) {
  char path[MAX_PATH];
  DWORD n = GetModuleFileNameA(nullptr, path, sizeof path);
  ASSERT_GT(n, 0u);
  EXPECT_NE(std::string(path).find("test_native"), std::string::npos);
  char tiny[4];
  EXPECT_EQ(GetModuleFileNameA(nullptr, tiny, sizeof tiny), 4u);  // truncated, like the system
  EXPECT_EQ(tiny[3], 0);
  EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
}

TEST(Kernel, LibrariesAndTheirRoutines) {
  HMODULE libm = LoadLibraryA("libm.so.6");
  ASSERT_NE(libm, nullptr);
  auto cosine = reinterpret_cast<double (*)(double)>(GetProcAddress(libm, "cos"));
  ASSERT_NE(cosine, nullptr);
  EXPECT_DOUBLE_EQ(cosine(0.0), 1.0);
  EXPECT_EQ(GetProcAddress(libm, "no_such_routine"), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_PROC_NOT_FOUND);
  EXPECT_TRUE(FreeLibrary(libm));
  EXPECT_EQ(LoadLibraryA("/nonexistent/ktap350.dll"), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_MOD_NOT_FOUND);
  EXPECT_EQ(LoadLibraryA(nullptr), nullptr);
  EXPECT_EQ(GetProcAddress(nullptr, "cos"), nullptr);
}

TEST(Kernel, PluginDirectoriesArePrivateToTheUser) {
  std::string home = ::testing::TempDir() + "native-home-" + std::to_string(getpid());
  setenv("XDG_DATA_HOME", (home + "/data").c_str(), 1);
  setenv("XDG_CACHE_HOME", (home + "/cache").c_str(), 1);
  char system[MAX_PATH];
  char windows[MAX_PATH];
  ASSERT_GT(GetSystemDirectoryA(system, sizeof system), 0u);
  ASSERT_GT(GetWindowsDirectoryA(windows, sizeof windows), 0u);
  EXPECT_EQ(std::string(system), home + "/data/armonix/system");
  EXPECT_EQ(std::string(windows), home + "/cache/armonix");
  for (const char* dir : {system, windows}) {
    struct stat st {};
    ASSERT_EQ(stat(dir, &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u) << dir;
  }
  char small[4];
  EXPECT_EQ(GetSystemDirectoryA(small, sizeof small), std::string(system).size() + 1);
  // A directory others may write to is refused rather than used.
  chmod(system, 0777);
  EXPECT_EQ(GetSystemDirectoryA(system, sizeof system), 0u);
  chmod((home + "/data/armonix/system").c_str(), 0700);
  unsetenv("XDG_DATA_HOME");
  unsetenv("XDG_CACHE_HOME");
}

TEST(Kernel, NeverTheSystemThatNeedsTheThemeLibrary) {
  OSVERSIONINFOA info{};
  info.dwOSVersionInfoSize = sizeof info;
  ASSERT_TRUE(GetVersionExA(&info));
  EXPECT_EQ(info.dwPlatformId, VER_PLATFORM_WIN32_NT);
  EXPECT_FALSE(info.dwMajorVersion == 5 && info.dwMinorVersion == 1);
  OSVERSIONINFOA wrongSize{};
  EXPECT_FALSE(GetVersionExA(&wrongSize));
}

TEST(Kernel, CriticalSectionsAreRecursiveAndExclude) {
  CRITICAL_SECTION cs;
  InitializeCriticalSection(&cs);
  EnterCriticalSection(&cs);
  EnterCriticalSection(&cs);  // the same thread may enter again
  LeaveCriticalSection(&cs);
  LeaveCriticalSection(&cs);
  long counter = 0;
  auto work = [&] {
    for (int i = 0; i < 20000; ++i) {
      EnterCriticalSection(&cs);
      counter = counter + 1;
      LeaveCriticalSection(&cs);
    }
  };
  std::thread a(work);
  std::thread b(work);
  a.join();
  b.join();
  EXPECT_EQ(counter, 40000);
  DeleteCriticalSection(&cs);
}

TEST(Kernel, TickCountAdvances) {
  DWORD start = GetTickCount();
  Sleep(20);
  DWORD elapsed = GetTickCount() - start;
  EXPECT_GE(elapsed, 19u);
}

TEST(Kernel, NoOpServicesSucceed) {
  InitCommonControls();
  EXPECT_EQ(OleInitialize(nullptr), S_OK);
  EXPECT_EQ(RegisterDragDrop(nullptr, nullptr), S_OK);
  EXPECT_EQ(RevokeDragDrop(nullptr), S_OK);
  OleUninitialize();
}

}  // namespace
