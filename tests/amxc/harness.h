// Test harness for compiled programs: compiles a source text with amxc, loads the image
// with the runtime's own linker and relocator against the real EntryTable, builds the
// image's classes, and hands out compiled functions to call directly.
// Entry point: LoadedProgram::Compile.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "tools/amxc/compiler.h"

namespace amxctest {

// Diagnostics of a source text that does not compile (headlines only), or {} when it does.
std::vector<std::string> CompileErrors(const std::string& source, const std::string& name = "test.amx");

// Compiles source to an image without loading it; fails the test on errors.
bool CompileOnly(const std::string& source, amxc::CompiledImage& out, std::string* errors);

class LoadedProgram {
 public:
  // Compiles and loads; nil (with *error set) when compiling or linking fails. Only one
  // program may be loaded at a time: the image's classes are process-wide.
  // Without loadClasses only code and data are linked (for images whose classes the
  // runtime cannot build outside a full start-up).
  static std::unique_ptr<LoadedProgram> Compile(const std::string& source, std::string* error,
                                                bool loadClasses = true);
  ~LoadedProgram();

  // The compiled function by qualified lower-case name ("m.f"); nil when absent.
  template <typename F>
  F* Function(const std::string& name) const {
    auto it = compiled_.functions.find(name);
    return it == compiled_.functions.end() ? nullptr : reinterpret_cast<F*>(code_ + it->second);
  }
  // Calls a compiled function the way the runtime does (CallImage: a barrier for the
  // exception walk, callee-saved registers restored); args are 32-bit words, first first.
  uint32_t Call(const std::string& name, std::vector<uint32_t> args = {}) const;
  double CallDouble(const std::string& name, std::vector<uint32_t> args = {}) const;
  const amxc::CompiledImage& compiled() const { return compiled_; }
  const std::vector<std::string>& unknownEntries() const { return unknown_; }

 private:
  LoadedProgram() = default;
  amxc::CompiledImage compiled_;
  uint8_t* code_ = nullptr;
  uint32_t codeSize_ = 0;
  std::vector<uint8_t> data_;
  std::vector<std::string> unknown_;
  bool classesLoaded_ = false;
};

// Live objects and small-block bytes; equal before and after a call when every reference
// the call made was released.
struct Usage {
  int32_t objects;
  int32_t bytes;
  bool operator==(const Usage&) const = default;
};
Usage CurrentUsage();

}  // namespace amxctest
