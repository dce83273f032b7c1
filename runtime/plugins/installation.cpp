// Recording and installing carried plug-ins. Files are written beside their final name and
// renamed over it, so a library that is already mapped is never truncated under the loader
// and a failed write never leaves a partial library behind; the file is opened once, checked
// through that descriptor and loaded through it, so no other file can take its place.
#include "runtime/plugins/installation.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <set>
#include <string>
#include <vector>

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

bool ReadAllAt(int fd, uint8_t* bytes, uint32_t length) {
  for (off_t at = 0; length > 0;) {
    ssize_t n = pread(fd, bytes, length, at);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    bytes += n;
    at += n;
    length -= static_cast<uint32_t>(n);
  }
  return true;
}

// A regular file of ours (or the system's) that neither group nor others may change.
bool IsTrustedFile(int fd) {
  struct stat st {};
  return fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && (st.st_mode & 022) == 0 &&
         (st.st_uid == geteuid() || st.st_uid == 0);
}

// What the descriptor reads back is the library, byte for byte, in a file of our own.
bool HoldsLibrary(int fd, const CarriedPlugin& plugin) {
  struct stat st {};
  if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_uid != geteuid() ||
      (st.st_mode & 022) != 0 || st.st_size != static_cast<off_t>(plugin.length)) {
    return false;
  }
  std::vector<uint8_t> back(plugin.length);
  return ReadAllAt(fd, back.data(), plugin.length) &&
         std::equal(back.begin(), back.end(), plugin.bytes);
}

// Creates dir\name with the library's bytes, replacing any file there; the descriptor the
// file was written through, or -1.
int WriteLibrary(const std::string& path, const CarriedPlugin& plugin) {
  std::string target = UnixPath(path);
  std::string temporary = target + ".XXXXXX";
  int fd = mkostemp(temporary.data(), O_CLOEXEC);
  if (fd < 0) return -1;
  if (WriteAll(fd, plugin.bytes, plugin.length) && fchmod(fd, 0755) == 0 &&
      HoldsLibrary(fd, plugin) && rename(temporary.c_str(), target.c_str()) == 0) {
    return fd;
  }
  close(fd);
  unlink(temporary.c_str());
  return -1;
}

// An existing library file, opened once and checked; -1 when there is none to trust.
int OpenExisting(const std::string& path) {
  int fd = open(UnixPath(path).c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
  if (fd < 0) return -1;
  if (IsTrustedFile(fd)) return fd;
  close(fd);
  return -1;
}

enum class Loaded { kNot, kWithoutMain, kRan };

// Loads the library and runs its main routine as the current plug-in, recorded under path.
Loaded LoadLibraryAs(const std::string& loadName, const std::string& path) {
  HMODULE library = LoadLibraryA(loadName.c_str());
  if (library == nullptr) return Loaded::kNot;
  FARPROC main = GetProcAddress(library, "MAVEPluginMain");
  if (main == nullptr) return Loaded::kWithoutMain;
  PluginRecord* record = AddPluginRecord(library, path.c_str());
  SetCurrentPlugin(record);
  CallImage1(reinterpret_cast<const void*>(main), reinterpret_cast<uint32_t>(&LookupEntryByName));
  SetCurrentPlugin(nullptr);
  return Loaded::kRan;
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

PlacedLibrary OpenPlacedLibrary(const CarriedPlugin& plugin) {
  std::string last;
  for (auto* get : {GetSystemDirectoryA, GetWindowsDirectoryA}) {
    std::string directory = Directory(get);
    if (directory.empty()) continue;
    last = directory + "\\" + plugin.name;
    int fd = WriteLibrary(last, plugin);
    if (fd >= 0) return {last, fd};
  }
  int fd = last.empty() ? -1 : OpenExisting(last);
  return fd >= 0 ? PlacedLibrary{last, fd} : PlacedLibrary{};
}

std::string PlaceLibrary(const CarriedPlugin& plugin) {
  PlacedLibrary placed = OpenPlacedLibrary(plugin);
  if (placed.fd >= 0) close(placed.fd);
  return placed.path;
}

bool LoadPlacedLibrary(const PlacedLibrary& placed) {
  if (placed.fd < 0) return false;
  // The descriptor stays open while the library is loaded: the loader knows a library by
  // the name it was opened with, and a descriptor number still in use names no other file.
  Loaded loaded = LoadLibraryAs("/proc/self/fd/" + std::to_string(placed.fd), placed.path);
  if (loaded == Loaded::kNot) close(placed.fd);
  return loaded == Loaded::kRan;
}

bool LoadPlugin(const std::string& path) { return LoadLibraryAs(path, path) == Loaded::kRan; }

void InstallCarriedPlugins() {
  for (const CarriedPlugin& plugin : ReadCarriedList(gRecordedList)) {
    PlacedLibrary placed = OpenPlacedLibrary(plugin);
    if (placed.fd < 0) CannotInstall();
    LoadPlacedLibrary(placed);
  }
  FinishPluginClasses();
}

const void* RecordedPluginList() { return gRecordedList; }

void RecordPluginList(const void* list) {
  gRecordedList = list;
  StartupHooks().installPlugins = InstallCarriedPlugins;
}

AMX_ENTRY void Win32InstallPlugins(const void* carriedList) noexcept { RecordPluginList(carriedList); }
