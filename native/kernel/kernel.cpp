// Kernel-side stand-ins: the tick count, sleeping, the last error, the module's own file
// (/proc/self/exe), shared libraries (dlopen/dlsym), the private per-user directories plug-in
// libraries are written to, the version test (never the old system that needs the theme
// library), critical sections over recursive mutexes, and the no-op common-controls, OLE and
// drop-target calls. Entry points: GetTickCount, LoadLibraryA, EnterCriticalSection, ...
#include <dlfcn.h>
#include <pthread.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <new>
#include <string>

#include "native/core/state.h"

namespace native {
namespace {

char gSelf;  // the address that stands for the program's own module handle

static_assert(sizeof(pthread_mutex_t) <= sizeof(CRITICAL_SECTION),
              "a critical section holds one host mutex");

pthread_mutex_t* MutexOf(LPCRITICAL_SECTION section) {
  return reinterpret_cast<pthread_mutex_t*>(section->opaque);
}

UINT CopyOut(const std::string& text, LPSTR buffer, UINT size) {
  // Like the system: the length without terminator when it fits, else the size needed.
  if (!buffer || size <= text.size()) return static_cast<UINT>(text.size() + 1);
  std::memcpy(buffer, text.c_str(), text.size() + 1);
  return static_cast<UINT>(text.size());
}

// A folder the user alone controls: a directory, owned by the user, that neither group nor
// others may write to (whoever may write to a folder may replace what lies below it).
bool IsPrivateFolder(const struct stat& st) {
  return S_ISDIR(st.st_mode) && st.st_uid == geteuid() && (st.st_mode & 022) == 0;
}

// Makes the folder when it is missing; false when it cannot be made.
bool MakeFolder(const std::string& path) {
  return mkdir(path.c_str(), 0700) == 0 || errno == EEXIST;
}

// The base folder, with every missing folder above it made on the way; the base may be
// reached through a link (a home directory often is), the folder it names must be private.
bool PrivateBase(const std::string& base) {
  if (base.size() < 2 || base[0] != '/') return false;
  for (size_t slash = base.find('/', 1); slash != std::string::npos;
       slash = base.find('/', slash + 1)) {
    MakeFolder(base.substr(0, slash));  // an existing or unmakeable folder shows below
  }
  struct stat st {};
  return MakeFolder(base) && stat(base.c_str(), &st) == 0 && IsPrivateFolder(st);
}

// base + below, every folder from the base down checked (the ones below the base are never
// links) and the missing ones made with mode 0700.
bool MakePrivateDirectory(const std::string& base, const std::string& below) {
  if (!PrivateBase(base)) return false;
  std::string path = base;
  for (size_t from = 0; from < below.size();) {
    size_t slash = below.find('/', from);
    if (slash == std::string::npos) slash = below.size();
    if (slash > from) {
      path += "/" + below.substr(from, slash - from);
      struct stat st {};
      if (!MakeFolder(path) || lstat(path.c_str(), &st) != 0 || !IsPrivateFolder(st)) {
        return false;
      }
    }
    from = slash + 1;
  }
  return true;
}

// Without a home a fresh folder of our own under /tmp, made once per process: a predictable
// name could have been made first by another user. "" when none can be made.
const std::string& FallbackBase() {
  static const std::string base = [] {
    char pattern[] = "/tmp/armonix-XXXXXX";
    return mkdtemp(pattern) != nullptr ? std::string(pattern) : std::string();
  }();
  return base;
}

struct PrivatePlace {
  std::string base;   // "" when there is none
  std::string below;  // folders under the base, each after a "/"
};

PrivatePlace BaseDirectory(const char* xdgVariable, const char* homeSuffix) {
  const char* xdg = std::getenv(xdgVariable);
  if (xdg && xdg[0] == '/') return {xdg, ""};
  const char* home = std::getenv("HOME");
  if (home && home[0] == '/') return {home, homeSuffix};
  return {FallbackBase(), ""};
}

UINT PrivateDirectory(const char* xdgVariable, const char* homeSuffix, const char* leaf,
                      LPSTR buffer, UINT size) {
  PrivatePlace place = BaseDirectory(xdgVariable, homeSuffix);
  std::string below = place.below + "/armonix" + leaf;
  if (place.base.empty() || !MakePrivateDirectory(place.base, below)) {
    State().lastError = ERROR_FILE_NOT_FOUND;
    return 0;
  }
  return CopyOut(place.base + below, buffer, size);
}

}  // namespace
}  // namespace native

using namespace native;

DWORD GetTickCount() {
  timespec ts{};
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return static_cast<DWORD>(static_cast<uint64_t>(ts.tv_sec) * 1000 + ts.tv_nsec / 1000000);
}

void Sleep(DWORD milliseconds) {
  timespec ts{static_cast<time_t>(milliseconds / 1000), static_cast<long>(milliseconds % 1000) * 1000000};
  while (nanosleep(&ts, &ts) != 0 && errno == EINTR) {
  }
}

DWORD GetLastError() { return State().lastError; }
void SetLastError(DWORD error) { State().lastError = error; }

HMODULE GetModuleHandleA(LPCSTR name) {
  if (!name) return reinterpret_cast<HMODULE>(&gSelf);
  void* handle = dlopen(name, RTLD_NOW | RTLD_NOLOAD);
  return reinterpret_cast<HMODULE>(handle);
}

DWORD GetModuleFileNameA(HMODULE module, LPSTR buffer, DWORD size) {
  if (!buffer || size == 0) return 0;
  if (module && module != reinterpret_cast<HMODULE>(&gSelf)) {
    State().lastError = ERROR_INVALID_HANDLE;
    return 0;
  }
  ssize_t n = readlink("/proc/self/exe", buffer, size - 1);
  if (n < 0) {
    buffer[0] = 0;
    State().lastError = ERROR_FILE_NOT_FOUND;
    return 0;
  }
  buffer[n] = 0;
  if (static_cast<DWORD>(n) == size - 1) {
    State().lastError = ERROR_INSUFFICIENT_BUFFER;
    return size;
  }
  return static_cast<DWORD>(n);
}

HMODULE LoadLibraryA(LPCSTR fileName) {
  if (!fileName || !fileName[0]) {
    State().lastError = ERROR_INVALID_PARAMETER;
    return nullptr;
  }
  // Paths built the system's way ("dir\\name.dll") name the same file here.
  std::string path = fileName;
  std::replace(path.begin(), path.end(), '\\', '/');
  void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!handle) State().lastError = ERROR_MOD_NOT_FOUND;
  return reinterpret_cast<HMODULE>(handle);
}

FARPROC GetProcAddress(HMODULE module, LPCSTR name) {
  if (!module || !name || IS_INTRESOURCE(name)) {
    State().lastError = ERROR_PROC_NOT_FOUND;
    return nullptr;
  }
  void* handle = module == reinterpret_cast<HMODULE>(&gSelf) ? RTLD_DEFAULT : reinterpret_cast<void*>(module);
  void* symbol = dlsym(handle, name);
  if (!symbol) State().lastError = ERROR_PROC_NOT_FOUND;
  return reinterpret_cast<FARPROC>(symbol);
}

BOOL FreeLibrary(HMODULE module) {
  if (!module || module == reinterpret_cast<HMODULE>(&gSelf)) return FALSE;
  return dlclose(reinterpret_cast<void*>(module)) == 0 ? TRUE : FALSE;
}

UINT GetSystemDirectoryA(LPSTR buffer, UINT size) {
  return PrivateDirectory("XDG_DATA_HOME", "/.local/share", "/system", buffer, size);
}

UINT GetWindowsDirectoryA(LPSTR buffer, UINT size) {
  return PrivateDirectory("XDG_CACHE_HOME", "/.cache", "", buffer, size);
}

DWORD GetTempPathA(DWORD size, LPSTR buffer) {
  char path[MAX_PATH];
  UINT n = GetWindowsDirectoryA(path, sizeof path);
  if (n == 0 || n >= sizeof path) return 0;
  return CopyOut(std::string(path) + "/", buffer, size);
}

BOOL GetVersionExA(OSVERSIONINFOA* info) {
  if (!info || info->dwOSVersionInfoSize < sizeof(OSVERSIONINFOA)) return FALSE;
  // An NT-family 6.1 system: never 5.1, so the theme library is never looked for.
  info->dwMajorVersion = 6;
  info->dwMinorVersion = 1;
  info->dwBuildNumber = 7601;
  info->dwPlatformId = VER_PLATFORM_WIN32_NT;
  std::memset(info->szCSDVersion, 0, sizeof info->szCSDVersion);
  return TRUE;
}

DWORD GetVersion() { return 6 | (1 << 8) | (7601u << 16); }

void InitializeCriticalSection(LPCRITICAL_SECTION section) {
  if (!section) return;
  pthread_mutexattr_t attr;
  pthread_mutexattr_init(&attr);
  pthread_mutexattr_settype(&attr, PTHREAD_MUTEX_RECURSIVE);
  new (section->opaque) pthread_mutex_t;
  pthread_mutex_init(MutexOf(section), &attr);
  pthread_mutexattr_destroy(&attr);
}

void DeleteCriticalSection(LPCRITICAL_SECTION section) {
  if (section) pthread_mutex_destroy(MutexOf(section));
}

void EnterCriticalSection(LPCRITICAL_SECTION section) {
  if (section) pthread_mutex_lock(MutexOf(section));
}

void LeaveCriticalSection(LPCRITICAL_SECTION section) {
  if (section) pthread_mutex_unlock(MutexOf(section));
}

BOOL TryEnterCriticalSection(LPCRITICAL_SECTION section) {
  return section && pthread_mutex_trylock(MutexOf(section)) == 0 ? TRUE : FALSE;
}

void ExitProcess(UINT exitCode) { std::exit(static_cast<int>(exitCode)); }

void InitCommonControls() {}
BOOL InitCommonControlsEx(const INITCOMMONCONTROLSEX*) { return TRUE; }
HRESULT OleInitialize(LPVOID) { return S_OK; }
void OleUninitialize() {}
HRESULT RegisterDragDrop(HWND, LPVOID) { return S_OK; }
HRESULT RevokeDragDrop(HWND) { return S_OK; }
