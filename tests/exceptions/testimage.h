// Test support shared by the exceptions and start-up tests: compiled functions written by
// hand with the image kit (prologue, call sites with their tables, the function end with its
// table), loading a kit image through the real loader with extra test routines linked by
// name, and running a scenario in a child process with its stdout and exit code captured.
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "tools/imagekit/imagekit.h"

namespace testimage {

using imagekit::Bytes;

// Call-site table entries (kind, operand) after a call: {} is the empty table.
struct CallSiteEntry {
  uint8_t kind;
  int operand = -1;  // emitted for kinds 1 and 2 (and when set)
};
Bytes CallSiteTable(const std::vector<CallSiteEntry>& entries);

// Function-table entries; a catch clause names its handler by code1 offset.
struct TableEntry {
  uint8_t kind;
  int16_t value = 0;        // class index (4) or frame offset (5, 6)
  uint32_t handler = 0;     // code1 offset of the handler (4)
};

class FunctionWriter {
 public:
  explicit FunctionWriter(imagekit::ImageBuilder& builder) : b_(builder) {}
  // push ebp; mov ebp, esp; sub esp, localBytes. Returns the function's code1 offset.
  uint32_t Begin(uint8_t localBytes);
  void Code(const Bytes& bytes) { b_.EmitCode(bytes); }
  // call to a named routine, followed by a call-site table.
  void CallEntry(const char* name, const std::vector<CallSiteEntry>& table = {});
  void CallLocal(imagekit::CodeLabel target, const std::vector<CallSiteEntry>& table = {});
  // Instructions with a data1 address operand (a word of data1 at dataOffset).
  void StoreEbpTo(imagekit::DataLabel cell);         // mov [cell], ebp
  void LoadEaxFrom(imagekit::DataLabel cell);        // mov eax, [cell]
  void StoreEaxTo(imagekit::DataLabel cell);         // mov [cell], eax
  uint32_t Here() const { return b_.CodeSize(); }
  // leave; ret; 0x2F, the entries, 0.
  void End(const std::vector<TableEntry>& table);

 private:
  imagekit::ImageBuilder& b_;
};

// A word of data1 for image code to write into; its offset for reading it after loading.
struct DataCell {
  imagekit::DataLabel label;
  uint32_t offset;
};
DataCell AddCell(imagekit::ImageBuilder& builder);

// A routine of the test linked by name before the EntryTable is searched.
struct TestRoutine {
  const char* name;
  void* routine;
};

// The loaded image: code1 and data1 as placed by the loader.
struct LoadedImage {
  uint8_t* code1 = nullptr;
  uint8_t* data1 = nullptr;
  uint32_t data1Size = 0;
  const void* Code(uint32_t offset) const { return code1 + offset; }
  uint32_t Word(uint32_t offset) const;
  const void* Descriptor() const;  // the relocated word 4 of data1
};

// Writes the image's .dat files into a fresh directory and loads them (entry not called
// unless callEntry). False with a test failure recorded when loading fails.
bool LoadImage(const imagekit::Image& image, const std::vector<TestRoutine>& routines,
               bool callEntry, LoadedImage* out);
// The same from .dat files already written into directory.
bool LoadImageFrom(const std::string& directory, const std::vector<TestRoutine>& routines,
                   bool callEntry, LoadedImage* out);
// Turns the image's class table into class records (LoadImageClasses).
bool LoadClasses(const LoadedImage& image);

// Runs body in a forked child whose stdout is captured; the child ends with exit code 0
// when body returns.
struct ChildResult {
  int exitCode = -1;   // -1 when it did not exit normally
  int signal = 0;
  std::string output;
};
ChildResult RunInChild(const std::function<void()>& body);

// A new private directory under /tmp (with a trailing slash).
std::string FreshDirectory();
// Removes a directory and everything in it when the scope ends.
class ScopedDirectory {
 public:
  explicit ScopedDirectory(std::string path) : path_(std::move(path)) {}
  ~ScopedDirectory();
  ScopedDirectory(const ScopedDirectory&) = delete;
  ScopedDirectory& operator=(const ScopedDirectory&) = delete;

 private:
  std::string path_;
};

}  // namespace testimage
