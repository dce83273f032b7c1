// Shared set-up for the native layer's tests: a fresh window manager on the headless
// backend, a script given as text, captured output, and a window procedure that logs the
// messages it receives.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "native/core/state.h"
#include "native/headless/headless.h"
#include "native/win32.h"

namespace native_test {

// Messages a logging window received, as "NAME hwnd-tag wParam lParam" lines.
extern std::vector<std::string> gLog;
std::string Tag(HWND hwnd);
void Name(HWND hwnd, const std::string& tag);

LRESULT LoggingProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
const char* MessageName(UINT msg);

class NativeTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Installs a headless backend that plays this script (which must parse).
  native::HeadlessBackend& Script(const std::string& text);
  // Everything the backend printed so far on its output and error streams.
  std::string Out();
  std::string Err();
  // A visible top-level window of the logging class with its client area at (x, y).
  HWND TopLevel(const char* title, int x, int y, int w, int h, HMENU menu = nullptr);
  // Runs the loop until the quit message, dispatching everything; returns its exit code.
  int RunLoop();
  // Only the log lines of these messages.
  std::vector<std::string> Logged(std::initializer_list<UINT> messages) const;

 private:
  char* outText_ = nullptr;
  size_t outSize_ = 0;
  char* errText_ = nullptr;
  size_t errSize_ = 0;
  FILE* out_ = nullptr;
  FILE* err_ = nullptr;
};

}  // namespace native_test
