// Test harness for compiled programs: compile with amxc, link and relocate with the
// runtime's loader pieces against the real entry points, load the image's classes.
// Entry point: LoadedProgram::Compile.
#include "tests/amxc/harness.h"

#include <cstring>
#include <stdexcept>

#include "runtime/entries/entrytable.h"
#include "runtime/exceptions/stacklimit.h"
#include "runtime/exceptions/imagecall.h"
#include "runtime/image/codememory.h"
#include "runtime/image/linker.h"
#include "runtime/image/missingentry.h"
#include "runtime/image/relocator.h"
#include "runtime/objects/classtable.h"
#include "runtime/objects/heap.h"
#include "runtime/objects/objects.h"
#include "runtime/records/datablock.h"

namespace amxctest {
namespace {

class EntryTargets : public LinkTargets {
 public:
  explicit EntryTargets(std::vector<std::string>& unknown) : unknown_(unknown) {}
  void* FindEntry(const char* name) override { return FindEntryAtLink(name); }
  void* MissingEntry(const char* name) override {
    unknown_.push_back(name);
    return MissingEntryStub(name);
  }
  void* FindLibraryRoutine(const char*, const char*, std::string& message) override {
    message = "library links are not used by these tests";
    return nullptr;
  }
  void Defer(const char* name, uint32_t) override { unknown_.push_back(std::string("!") + name); }

 private:
  std::vector<std::string>& unknown_;
};

void SetUpRuntimeOnce() {
  static bool done = false;
  if (done) return;
  done = true;
  SetUpBuiltinClasses();
}

}  // namespace

std::vector<std::string> CompileErrors(const std::string& source, const std::string& name) {
  amxc::SourceSet sources;
  amxc::Diagnostics diags(sources);
  amxc::CompiledImage out;
  int32_t file = sources.Add(name, source);
  if (amxc::CompileSource(sources, file, diags, out)) return {};
  return diags.Headlines();
}

bool CompileOnly(const std::string& source, amxc::CompiledImage& out, std::string* errors) {
  amxc::SourceSet sources;
  amxc::Diagnostics diags(sources);
  int32_t file = sources.Add("test.amx", source);
  bool ok = amxc::CompileSource(sources, file, diags, out);
  if (!ok && errors)
    for (const std::string& m : diags.Messages()) *errors += m + "\n";
  return ok;
}

std::unique_ptr<LoadedProgram> LoadedProgram::Compile(const std::string& source, std::string* error,
                                                      bool loadClasses) {
  SetUpRuntimeOnce();
  std::unique_ptr<LoadedProgram> program(new LoadedProgram);
  if (!CompileOnly(source, program->compiled_, error)) return nullptr;
  const imagekit::Image& image = program->compiled_.image;
  program->codeSize_ = static_cast<uint32_t>(image.code1.size());
  program->code_ = AllocateCodeBlock(program->codeSize_);
  std::memcpy(program->code_, image.code1.data(), image.code1.size());
  program->data_ = image.data1;
  std::vector<uint8_t> code2 = image.code2;
  std::vector<uint8_t> data2 = image.data2;
  ImageBlock code1{program->code_, program->codeSize_};
  ImageBlock data1{program->data_.data(), static_cast<uint32_t>(program->data_.size())};
  EntryTargets targets(program->unknown_);
  std::string message;
  if (!LinkCode(code1, ImageBlock{code2.data(), static_cast<uint32_t>(code2.size())},
                reinterpret_cast<uintptr_t>(data1.bytes), targets, message) ||
      !ApplyRelocations(data1, ImageBlock{data2.data(), static_cast<uint32_t>(data2.size())},
                        reinterpret_cast<uintptr_t>(code1.bytes), reinterpret_cast<uintptr_t>(data1.bytes),
                        message) ||
      !SealCodeBlock(program->code_, program->codeSize_)) {
    if (error) *error = "loading failed: " + message;
    return nullptr;
  }
  if (!loadClasses) return program;
  uint32_t descriptor = 0;
  std::memcpy(&descriptor, data1.bytes + 4, 4);
  DataBlock block = DataBlock::Relocated(data1.bytes, data1.size);
  std::string classError;
  if (!LoadImageClasses(block, descriptor - reinterpret_cast<uintptr_t>(data1.bytes), &classError)) {
    if (error) *error = "class table refused: " + classError;
    return nullptr;
  }
  program->classesLoaded_ = true;
  SetStackLimitFromHere();
  return program;
}

LoadedProgram::~LoadedProgram() {
  if (classesLoaded_) ForgetImageClasses();
  // code1 stays mapped: sealed code blocks live for the process, as in the runtime.
}

uint32_t LoadedProgram::Call(const std::string& name, std::vector<uint32_t> args) const {
  auto* fn = Function<void()>(name);
  if (!fn) throw std::runtime_error("no compiled function " + name);
  return CallImage(reinterpret_cast<const void*>(fn), static_cast<int32_t>(args.size()), args.data());
}

double LoadedProgram::CallDouble(const std::string& name, std::vector<uint32_t> args) const {
  auto* fn = Function<void()>(name);
  if (!fn) throw std::runtime_error("no compiled function " + name);
  return CallImageDouble(reinterpret_cast<const void*>(fn), static_cast<int32_t>(args.size()), args.data());
}

Usage CurrentUsage() { return Usage{LiveObjectCount(), HeapBytesInUse()}; }

}  // namespace amxctest
