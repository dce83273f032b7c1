// A headless screen for in-process tests: installs the headless backend (1024 x 768, no
// script) with its message-box and error output captured in memory, and takes it down
// again. Entry points: HeadlessScreen::Install, Release, Out.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <string>

#include "native/core/backend.h"
#include "native/core/state.h"
#include "native/headless/headless.h"
#include "native/headless/script.h"

class HeadlessScreen {
 public:
  // name is what the backend's own messages are prefixed with.
  void Install(const char* name) {
    out_ = open_memstream(&outText_, &outSize_);
    err_ = open_memstream(&errText_, &errSize_);
    native::ParsedScript parsed = native::ParseScript(name, "");
    native::InstallBackend(
        new native::HeadlessBackend(name, parsed.commands, 1024, 768, out_, err_));
    native::ResetForTests();
  }

  void Release() {
    native::ResetForTests();
    std::fclose(out_);
    std::fclose(err_);
    std::free(outText_);
    std::free(errText_);
    out_ = err_ = nullptr;
    outText_ = errText_ = nullptr;
  }

  // Everything the backend printed on its output (message boxes, dumps).
  std::string Out() {
    std::fflush(out_);
    return std::string(outText_, outSize_);
  }

 private:
  FILE* out_ = nullptr;
  FILE* err_ = nullptr;
  char* outText_ = nullptr;
  size_t outSize_ = 0;
  char* errText_ = nullptr;
  size_t errSize_ = 0;
};
