// Writing out and loading carried plug-ins: file placement and length, the working list's
// order, the fallback to the Windows directory and to an existing file, the permission
// message, and damaged lists that must neither crash nor write anything.
#include <dlfcn.h>
#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>

#include "runtime/entries/entries.h"
#include "runtime/plugins/installation.h"
#include "runtime/plugins/pluginregistry.h"
#include "runtime/startup/hooks.h"
#include "tests/plugins/pluginfixture.h"

namespace {

class InstallTest : public PluginTest {};

int MainCalls(const std::string& path) {
  auto* calls = static_cast<int*>(LoadedSymbol(path, "gMainCalls"));
  return calls != nullptr ? *calls : -1;
}

TEST_F(InstallTest, RecordingInstallsTheStartUpHookOnly) {
  CarriedListBuilder list;
  list.Add("tstplug.dll", ReadBytes(AMX_TEST_PLUGIN));
  const void* carried = list.Build();
  Win32InstallPlugins(carried);
  EXPECT_EQ(RecordedPluginList(), carried);
  EXPECT_EQ(FirstPlugin(), nullptr);  // nothing written or loaded yet
  EXPECT_EQ(FileSize(SystemDirectory() + "/tstplug.dll"), -1);
  StartupHooks().installPlugins();
  EXPECT_NE(FirstPlugin(), nullptr);
}

TEST_F(InstallTest, OneElementWithAnElevenCharacterNameYieldsOneFileOfLengthMinus16) {
  std::vector<uint8_t> library = ReadBytes(AMX_TEST_PLUGIN);
  ASSERT_GT(library.size(), 1000u);
  CarriedListBuilder list;
  list.Add("tstplug.dll", library);
  RecordPluginList(list.Build());
  InstallCarriedPlugins();
  std::string path = SystemDirectory() + "\\tstplug.dll";
  EXPECT_EQ(FileSize(path), int64_t(list.ElementLength(0)) - 16);
  EXPECT_EQ(ReadBytes(SystemDirectory() + "/tstplug.dll"), library);
  ASSERT_NE(FirstPlugin(), nullptr);
  EXPECT_EQ(FirstPlugin()->next, nullptr);
  EXPECT_EQ(FirstPlugin()->version, 1);
  EXPECT_EQ(CurrentPlugin(), nullptr);
  EXPECT_EQ(MainCalls(path), 1);
}

TEST_F(InstallTest, AnExistingFileIsReplaced) {
  std::string path = SystemDirectory() + "/tstplug.dll";
  { std::ofstream(path) << "stale contents"; }
  CarriedListBuilder list;
  list.Add("tstplug.dll", ReadBytes(AMX_TEST_PLUGIN));
  RecordPluginList(list.Build());
  InstallCarriedPlugins();
  EXPECT_EQ(ReadBytes(path), ReadBytes(AMX_TEST_PLUGIN));
  EXPECT_EQ(MainCalls(path), 1);
}

TEST_F(InstallTest, TheWorkingListRunsInReverseOrder) {
  CarriedListBuilder list;
  list.Add("first.dll", ReadBytes(AMX_TEST_PLUGIN));
  list.Add("second.dll", ReadBytes(AMX_TEST_PLUGIN));
  RecordPluginList(list.Build());
  InstallCarriedPlugins();
  // The plug-in list is newest first: the element loaded last comes first.
  ASSERT_NE(FirstPlugin(), nullptr);
  ASSERT_NE(FirstPlugin()->next, nullptr);
  EXPECT_NE(std::string(FirstPlugin()->path).find("first.dll"), std::string::npos);
  EXPECT_NE(std::string(FirstPlugin()->next->path).find("second.dll"), std::string::npos);
}

TEST_F(InstallTest, LibrariesThatDoNotLoadOrLackTheMainRoutineArePassedOver) {
  CarriedListBuilder list;
  list.Add("garbage.dll", std::vector<uint8_t>(200, 0x5A));
  list.Add("nomain.dll", ReadBytes(AMX_NOMAIN_PLUGIN));
  RecordPluginList(list.Build());
  InstallCarriedPlugins();
  EXPECT_EQ(FirstPlugin(), nullptr);
  EXPECT_EQ(FileSize(SystemDirectory() + "/garbage.dll"), 200);  // written all the same
}

TEST_F(InstallTest, FallsBackToTheWindowsDirectory) {
  // The system directory cannot exist: its parent is a plain file.
  std::string blocker = base_ + "/blocked";
  { std::ofstream(blocker) << "x"; }
  setenv("XDG_DATA_HOME", blocker.c_str(), 1);
  CarriedListBuilder list;
  list.Add("tstplug.dll", ReadBytes(AMX_TEST_PLUGIN));
  RecordPluginList(list.Build());
  InstallCarriedPlugins();
  std::string path = WindowsDirectory() + "/tstplug.dll";
  EXPECT_EQ(ReadBytes(path), ReadBytes(AMX_TEST_PLUGIN));
  EXPECT_EQ(MainCalls(path), 1);
}

struct DamagedCase {
  const char* what;
  std::vector<uint8_t> element;
};

std::vector<uint8_t> Element(uint32_t rest, uint8_t nameLength, const std::string& tail) {
  std::vector<uint8_t> e(13 + tail.size(), 0);
  std::memcpy(&e[4], &rest, 4);
  e[12] = nameLength;
  std::copy(tail.begin(), tail.end(), e.begin() + 13);
  return e;
}

TEST_F(InstallTest, DamagedOrUnsafeElementsWriteNothing) {
  const DamagedCase cases[] = {
      {"length shorter than its name", Element(3, 5, "a.dll")},
      {"name with a directory part", Element(5 + 9 + 4, 9, "../x.dll.ELF!")},
      {"name with a backslash", Element(5 + 7 + 1, 7, "a\\b.dll!")},
      {"empty name", Element(5 + 0 + 3, 0, "abc")},
  };
  for (const DamagedCase& c : cases) {
    SCOPED_TRACE(c.what);
    CarriedListBuilder list;
    list.AddRaw(c.element);
    EXPECT_TRUE(ReadCarriedList(list.Build()).empty());
  }
  EXPECT_TRUE(ReadCarriedList(nullptr).empty());
}

TEST_F(InstallTest, AChainThatComesBackStopsWhereItRepeats) {
  std::vector<uint8_t> element = Element(5 + 5 + 2, 5, "a.dllXY");
  element.resize(20, 0);
  uint32_t self = uint32_t(reinterpret_cast<uintptr_t>(element.data()));
  std::memcpy(&element[0], &self, 4);
  std::vector<CarriedPlugin> working = ReadCarriedList(element.data());
  ASSERT_EQ(working.size(), 1u);
  EXPECT_EQ(working[0].name, "a.dll");
  EXPECT_EQ(working[0].length, 2u);
}

// Both directories unusable and no file: the message, then exit code 0.
TEST_F(InstallTest, NowhereToPutTheLibraryShowsThePermissionMessageAndExits) {
  std::string blocker = base_ + "/blocked";
  { std::ofstream(blocker) << "x"; }
  CarriedListBuilder list;
  list.Add("tstplug.dll", ReadBytes(AMX_TEST_PLUGIN));
  const void* carried = list.Build();
  EXPECT_EXIT(
      {
        setenv("XDG_DATA_HOME", blocker.c_str(), 1);
        setenv("XDG_CACHE_HOME", blocker.c_str(), 1);
        setenv("ARMONIX_NATIVE", "headless", 1);
        dup2(2, 1);  // the headless message box line goes to stdout
        RecordPluginList(carried);
        InstallCarriedPlugins();
        std::fprintf(stderr, "returned\n");
        std::_Exit(7);
      },
      ::testing::ExitedWithCode(0),
      "msgbox \"Error\" \"The application cannot continue because a needed file cannot be "
      "installed. You don't have appropriate permission to install the file. Running the "
      "application once with Standard User or Administrator privileges will solve the "
      "problem.\" -> OK");
}

// The library already lies in the Windows directory, and neither it nor the directory can be
// written: it is loaded as it is. Root ignores permissions, so the child becomes "nobody".
TEST_F(InstallTest, AnExistingUnwritableFileInTheWindowsDirectoryStillLoads) {
  std::string blocker = base_ + "/blocked";
  { std::ofstream(blocker) << "x"; }
  std::string windows = WindowsDirectory();
  std::string path = windows + "/tstplug.dll";
  std::vector<uint8_t> library = ReadBytes(AMX_TEST_PLUGIN);
  { std::ofstream(path, std::ios::binary) << std::string(library.begin(), library.end()); }
  CarriedListBuilder list;
  list.Add("tstplug.dll", std::vector<uint8_t>(64, 0x11));  // different bytes: never written
  const void* carried = list.Build();
  EXPECT_EXIT(
      {
        setenv("XDG_DATA_HOME", blocker.c_str(), 1);
        if (getuid() == 0) {
          const uid_t nobody = 65534;
          bool ok = chmod(base_.c_str(), 0755) == 0 &&
                    chown((base_ + "/cache").c_str(), nobody, nobody) == 0 &&
                    chown(windows.c_str(), nobody, nobody) == 0 && chown(path.c_str(), nobody, nobody) == 0 &&
                    setgroups(0, nullptr) == 0 && setgid(nobody) == 0 && setuid(nobody) == 0;
          if (!ok) std::_Exit(5);
        }
        chmod(path.c_str(), 0555);
        chmod(windows.c_str(), 0500);
        RecordPluginList(carried);
        InstallCarriedPlugins();
        bool loaded = FirstPlugin() != nullptr && MainCalls(path) == 1 &&
                      ReadBytes(path) == library;
        std::_Exit(loaded ? 0 : 9);
      },
      ::testing::ExitedWithCode(0), "");
  chmod(windows.c_str(), 0700);
}

}  // namespace
