// The plug-in test helpers (pluginfixture.h).
#include "tests/plugins/pluginfixture.h"

#include <dlfcn.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>

#include "native/win32.h"
#include "runtime/plugins/pluginregistry.h"
#include "runtime/startup/hooks.h"

std::vector<uint8_t> ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

int64_t FileSize(const std::string& path) {
  struct stat st {};
  std::string unix = path;
  std::replace(unix.begin(), unix.end(), '\\', '/');
  return stat(unix.c_str(), &st) == 0 ? int64_t(st.st_size) : -1;
}

void CarriedListBuilder::Add(const std::string& name, const std::vector<uint8_t>& library) {
  std::vector<uint8_t> element(13, 0);
  uint32_t rest = uint32_t(5 + name.size() + library.size());
  std::memcpy(&element[4], &rest, 4);
  element[12] = uint8_t(name.size());
  element.insert(element.end(), name.begin(), name.end());
  element.insert(element.end(), library.begin(), library.end());
  elements_.push_back(std::move(element));
}

void CarriedListBuilder::AddRaw(std::vector<uint8_t> element) { elements_.push_back(std::move(element)); }

const void* CarriedListBuilder::Build() {
  size_t total = 0;
  for (auto& e : elements_) total += (e.size() + 3) & ~size_t(3);
  buffer_.assign(total, 0);
  std::vector<size_t> offsets;
  size_t at = 0;
  for (auto& e : elements_) {
    offsets.push_back(at);
    std::memcpy(&buffer_[at], e.data(), e.size());
    at += (e.size() + 3) & ~size_t(3);
  }
  for (size_t i = 0; i < offsets.size(); ++i) {
    uint32_t next = i + 1 < offsets.size() ? uint32_t(reinterpret_cast<uintptr_t>(&buffer_[offsets[i + 1]])) : 0;
    std::memcpy(&buffer_[offsets[i]], &next, 4);
  }
  return buffer_.empty() ? nullptr : buffer_.data();
}

uint32_t CarriedListBuilder::ElementLength(size_t index) const {
  uint32_t length;
  std::memcpy(&length, &elements_[index][4], 4);
  return length;
}

std::vector<std::pair<int32_t, int32_t>>& PluginTest::Assertions() {
  static std::vector<std::pair<int32_t, int32_t>> log;
  return log;
}

void PluginTest::RecordAssertion(int32_t number, const char*, int32_t line) {
  Assertions().emplace_back(number, line);
}

void PluginTest::SetUp() {
  char pattern[] = "/tmp/amx-plugins-XXXXXX";
  ASSERT_NE(mkdtemp(pattern), nullptr);
  base_ = pattern;
  setenv("XDG_DATA_HOME", (base_ + "/data").c_str(), 1);
  setenv("XDG_CACHE_HOME", (base_ + "/cache").c_str(), 1);
  ForgetPluginRegistrations();
  ResetStartupHooks();
  Assertions().clear();
  previousHook_ = SetAssertionHook(RecordAssertion);
}

void PluginTest::TearDown() {
  SetAssertionHook(previousHook_);
  ForgetPluginRegistrations();
  ResetStartupHooks();
  std::string command = "rm -rf '" + base_ + "'";
  if (std::system(command.c_str()) != 0) ADD_FAILURE() << "could not remove " << base_;
}

std::string PluginTest::SystemDirectory() const {
  char buffer[MAX_PATH] = {};
  UINT n = GetSystemDirectoryA(buffer, sizeof buffer);
  return std::string(buffer, n);
}

std::string PluginTest::WindowsDirectory() const {
  char buffer[MAX_PATH] = {};
  UINT n = GetWindowsDirectoryA(buffer, sizeof buffer);
  return std::string(buffer, n);
}

void* LoadedSymbol(const std::string& path, const char* symbol) {
  std::string unix = path;
  std::replace(unix.begin(), unix.end(), '\\', '/');
  void* handle = dlopen(unix.c_str(), RTLD_NOW | RTLD_NOLOAD);
  if (handle == nullptr) return nullptr;
  void* address = dlsym(handle, symbol);
  dlclose(handle);
  return address;
}
