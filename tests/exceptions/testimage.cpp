// Test support (testimage.h).
#include "tests/exceptions/testimage.h"

#include <cstdlib>
#include <filesystem>
#include <cstring>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "runtime/entries/entrytable.h"
#include "runtime/image/deferredlinks.h"
#include "runtime/image/libraries.h"
#include "runtime/image/linker.h"
#include "runtime/image/loader.h"
#include "runtime/image/missingentry.h"
#include "runtime/objects/classtable.h"
#include "runtime/records/datablock.h"

namespace testimage {

namespace {

void AppendBigEndian16(Bytes& out, int16_t value) {
  out.push_back(static_cast<uint8_t>((value >> 8) & 0xFF));
  out.push_back(static_cast<uint8_t>(value & 0xFF));
}

void AppendBigEndian32(Bytes& out, int32_t value) {
  for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<uint8_t>(value >> shift));
}

class TestTargets : public LinkTargets {
 public:
  explicit TestTargets(const std::vector<TestRoutine>& routines) : routines_(routines) {}
  void* FindEntry(const char* name) override {
    for (const TestRoutine& routine : routines_) {
      if (std::strcmp(routine.name, name) == 0) return routine.routine;
    }
    return FindEntryAtLink(name);
  }
  void* MissingEntry(const char* name) override { return MissingEntryStub(name); }
  void* FindLibraryRoutine(const char* library, const char* routine,
                           std::string& message) override {
    return ::FindLibraryRoutine(library, routine, message);
  }
  void Defer(const char* name, uint32_t head) override { PushDeferredLink(name, head); }

 private:
  const std::vector<TestRoutine>& routines_;
};

}  // namespace

Bytes CallSiteTable(const std::vector<CallSiteEntry>& entries) {
  Bytes units;
  for (const CallSiteEntry& entry : entries) {
    units.insert(units.end(), {0xEB, entry.kind});
    if (entry.operand >= 0) units.insert(units.end(), {0xEB, static_cast<uint8_t>(entry.operand)});
  }
  units.insert(units.end(), {0xEB, 0x00});
  Bytes table = {0xEB, static_cast<uint8_t>(units.size() + 1), 0x90};  // jmp short; nop
  table.insert(table.end(), units.begin(), units.end());
  return table;
}

uint32_t FunctionWriter::Begin(uint8_t localBytes) {
  return b_.EmitCode({0x55,                      // push ebp
                      0x89, 0xE5,                // mov ebp, esp
                      0x83, 0xEC, localBytes});  // sub esp, localBytes
}

void FunctionWriter::CallEntry(const char* name, const std::vector<CallSiteEntry>& table) {
  b_.EmitEntryCall(name);  // call name
  b_.EmitCode(CallSiteTable(table));
}

void FunctionWriter::CallLocal(imagekit::CodeLabel target, const std::vector<CallSiteEntry>& table) {
  b_.EmitLocalCall(target);  // call target
  b_.EmitCode(CallSiteTable(table));
}

void FunctionWriter::StoreEbpTo(imagekit::DataLabel cell) {
  b_.EmitDataAddress({0x89, 0x2D}, cell);  // mov [cell], ebp
}

void FunctionWriter::LoadEaxFrom(imagekit::DataLabel cell) {
  b_.EmitDataAddress({0xA1}, cell);  // mov eax, [cell]
}

void FunctionWriter::StoreEaxTo(imagekit::DataLabel cell) {
  b_.EmitDataAddress({0xA3}, cell);  // mov [cell], eax
}

void FunctionWriter::End(const std::vector<TableEntry>& table) {
  b_.EmitCode({0xC9, 0xC3, 0x2F});  // leave; ret; function table follows
  for (const TableEntry& entry : table) {
    Bytes bytes = {entry.kind};
    if (entry.kind == 4) {
      AppendBigEndian16(bytes, entry.value);
      // The displacement counts from its own field, which starts 3 bytes into the entry.
      uint32_t field = b_.CodeSize() + 3;
      AppendBigEndian32(bytes, static_cast<int32_t>(entry.handler - field));
    } else if (entry.kind == 5 || entry.kind == 6) {
      AppendBigEndian16(bytes, entry.value);
    }
    b_.EmitCode(bytes);
  }
  b_.EmitCode({0x00});
}

DataCell AddCell(imagekit::ImageBuilder& builder) {
  imagekit::DataLabel label = builder.NewDataLabel();
  builder.AlignData(4);
  builder.BindData(label);
  uint32_t offset = builder.EmitWord(0);
  return {label, offset};
}

uint32_t LoadedImage::Word(uint32_t offset) const {
  uint32_t word;
  std::memcpy(&word, data1 + offset, 4);
  return word;
}

const void* LoadedImage::Descriptor() const {
  return reinterpret_cast<const void*>(static_cast<uintptr_t>(Word(4)));
}

std::string FreshDirectory() {
  char pattern[] = "/tmp/amx-startup-XXXXXX";
  const char* dir = mkdtemp(pattern);
  return dir != nullptr ? std::string(dir) + "/" : std::string();
}

ScopedDirectory::~ScopedDirectory() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

bool LoadImage(const imagekit::Image& image, const std::vector<TestRoutine>& routines,
               bool callEntry, LoadedImage* out) {
  std::string dir = FreshDirectory();
  ScopedDirectory removed(dir);
  imagekit::WriteDatFiles(image, dir);
  return LoadImageFrom(dir, routines, callEntry, out);
}

bool LoadImageFrom(const std::string& directory, const std::vector<TestRoutine>& routines,
                   bool callEntry, LoadedImage* out) {
  TestTargets targets(routines);
  ImageLoadRequest request;
  request.developmentDir = directory;
  request.targets = &targets;
  request.callEntry = callEntry;
  bool loaded = LoadAndRunImage(request);
  EXPECT_TRUE(loaded) << "the test image did not load";
  if (!loaded) return false;
  out->code1 = LoadedCode1().bytes;
  out->data1 = LoadedData1().bytes;
  out->data1Size = LoadedData1().size;
  return true;
}

bool LoadClasses(const LoadedImage& image) {
  DataBlock block = DataBlock::Relocated(image.data1, image.data1Size);
  SetImageData(block);
  uint32_t offset = 0;
  std::string error;
  bool ok = block.OffsetOfAddress(image.Descriptor(), offset) &&
            LoadImageClasses(block, offset, &error);
  EXPECT_TRUE(ok) << error;
  return ok;
}

ChildResult RunInChild(const std::function<void()>& body) {
  ChildResult result;
  int fds[2];
  if (pipe(fds) != 0) return result;
  std::fflush(nullptr);
  pid_t child = fork();
  if (child == 0) {
    close(fds[0]);
    dup2(fds[1], STDOUT_FILENO);
    body();
    std::fflush(nullptr);
    _exit(0);
  }
  close(fds[1]);
  char buffer[4096];
  ssize_t n;
  while ((n = read(fds[0], buffer, sizeof buffer)) > 0) result.output.append(buffer, n);
  close(fds[0]);
  int status = 0;
  waitpid(child, &status, 0);
  if (WIFEXITED(status)) result.exitCode = WEXITSTATUS(status);
  if (WIFSIGNALED(status)) result.signal = WTERMSIG(status);
  return result;
}

}  // namespace testimage
