// Recording and installing carried plug-ins. Files are written beside their final name and
// renamed over it, so a library that is already mapped is never truncated under the loader
// and a failed write never leaves a partial library behind.
#include "runtime/plugins/installation.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <set>

#include "native/win32.h"
#include "runtime/entries/entries.h"
#include "runtime/entries/namemap.h"
#include "runtime/exceptions/imagecall.h"
#include "runtime/image/loader.h"
#include "runtime/plugins/classregistration.h"
#include "runtime/plugins/pluginregistry.h"
#include "runtime/startup/fatal.h"
#include "runtime/startup/hooks.h"

const char* const kCannotInstallMessage =
    "The application cannot continue because a needed file cannot be installed. You don't have "
    "appropriate permission to install the file. Running the application once with Standard "
    "User or Administrator privileges will solve the problem.";

namespace {

const void* gRecordedList = nullptr;

constexpr uint32_t kHeaderBytes = 13;  // next, length, reserved, name length
constexpr uint32_t kLengthCovers = 8;  // the length word counts from offset 8
constexpr size_t kMaxElements = 4096;

uint32_t Word(const uint8_t* at) {
  uint32_t value;
  std::memcpy(&value, at, sizeof value);
  return value;
}

// The span an element may occupy: data1 when the list lies in it, else unchecked.
bool InsideData1(const uint8_t* at, uint64_t size) {
  ImageBlock data1 = LoadedData1();
  if (data1.bytes == nullptr) return true;
  uintptr_t begin = reinterpret_cast<uintptr_t>(data1.bytes);
  uintptr_t p = reinterpret_cast<uintptr_t>(at);
  return p >= begin && p - begin <= data1.size && size <= data1.size - (p - begin);
}

// A plain file name: no directory parts, nothing the path could climb with.
bool IsPlainFileName(const std::string& name) {
  return !name.empty() && name != "." && name != ".." &&
         name.find_first_of("/\\:") == std::string::npos;
}

void ReportDamaged(const char* what) {
  DebugMessage((std::string("Carried plug-in list: ") + what + "\n").c_str());
}

std::string Directory(UINT (*get)(LPSTR, UINT)) {
  char buffer[MAX_PATH] = {};
  UINT n = get(buffer, sizeof buffer);
  return n == 0 || n >= sizeof buffer ? std::string() : std::string(buffer, n);
}

std::string UnixPath(std::string path) {
  std::replace(path.begin(), path.end(), '\\', '/');
  return path;
}

bool WriteAll(int fd, const uint8_t* bytes, uint32_t length) {
  while (length > 0) {
    ssize_t n = write(fd, bytes, length);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    bytes += n;
    length -= static_cast<uint32_t>(n);
  }
  return true;
}

// Creates dir\name with the library's bytes, replacing any file there.
bool WriteLibrary(const std::string& path, const CarriedPlugin& plugin) {
  std::string target = UnixPath(path);
  std::string temporary = target + ".XXXXXX";
  int fd = mkstemp(temporary.data());
  if (fd < 0) return false;
  bool written = WriteAll(fd, plugin.bytes, plugin.length) && fchmod(fd, 0755) == 0;
  written = close(fd) == 0 && written;
  if (written && rename(temporary.c_str(), target.c_str()) == 0) return true;
  unlink(temporary.c_str());
  return false;
}

bool FileExists(const std::string& path) {
  struct stat st {};
  return stat(UnixPath(path).c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

[[noreturn]] void CannotInstall() {
  MessageBoxA(nullptr, kCannotInstallMessage, nullptr, MB_OK | MB_ICONERROR);
  std::fflush(nullptr);
  ExitProcess(0);
  _exit(0);
}

}  // namespace

std::vector<CarriedPlugin> ReadCarriedList(const void* list) {
  std::vector<CarriedPlugin> working;
  std::set<const uint8_t*> seen;
  for (auto* at = static_cast<const uint8_t*>(list); at != nullptr;
       at = reinterpret_cast<const uint8_t*>(static_cast<uintptr_t>(Word(at)))) {
    if (!seen.insert(at).second || seen.size() > kMaxElements) break;
    if (!InsideData1(at, kHeaderBytes)) {
      ReportDamaged("an element lies outside data1");
      break;
    }
    uint32_t rest = Word(at + 4);
    uint32_t nameLength = at[12];
    // Widened: a length near 4 GiB must not wrap round to a small span.
    if (rest < 5 + nameLength || !InsideData1(at, uint64_t{kLengthCovers} + rest)) {
      ReportDamaged("an element's length does not fit");
      break;
    }
    CarriedPlugin plugin{std::string(reinterpret_cast<const char*>(at + kHeaderBytes), nameLength),
                         at + kHeaderBytes + nameLength, rest - 5 - nameLength};
    if (!IsPlainFileName(plugin.name)) {
      ReportDamaged("a library name is not a plain file name");
      continue;
    }
    working.insert(working.begin(), plugin);
  }
  return working;
}

std::string PlaceLibrary(const CarriedPlugin& plugin) {
  std::string last;
  for (auto* get : {GetSystemDirectoryA, GetWindowsDirectoryA}) {
    std::string directory = Directory(get);
    if (directory.empty()) continue;
    last = directory + "\\" + plugin.name;
    if (WriteLibrary(last, plugin)) return last;
  }
  return !last.empty() && FileExists(last) ? last : std::string();
}

bool LoadPlugin(const std::string& path) {
  HMODULE library = LoadLibraryA(path.c_str());
  if (library == nullptr) return false;
  FARPROC main = GetProcAddress(library, "MAVEPluginMain");
  if (main == nullptr) return false;
  PluginRecord* record = AddPluginRecord(library, path.c_str());
  SetCurrentPlugin(record);
  CallImage1(reinterpret_cast<const void*>(main), reinterpret_cast<uint32_t>(&LookupEntryByName));
  SetCurrentPlugin(nullptr);
  return true;
}

void InstallCarriedPlugins() {
  for (const CarriedPlugin& plugin : ReadCarriedList(gRecordedList)) {
    std::string path = PlaceLibrary(plugin);
    if (path.empty()) CannotInstall();
    LoadPlugin(path);
  }
  FinishPluginClasses();
}

const void* RecordedPluginList() { return gRecordedList; }

void RecordPluginList(const void* list) {
  gRecordedList = list;
  StartupHooks().installPlugins = InstallCarriedPlugins;
}

AMX_ENTRY void Win32InstallPlugins(const void* carriedList) noexcept { RecordPluginList(carriedList); }
