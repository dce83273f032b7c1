// FailedAssertion: routes every failed assertion to the installed hook (tests), or shows the
// runtime's assertion dialog. OK continues; Cancel ends the process at once with exit code 0.
#include "runtime/startup/assertion.h"

#include <cstdio>
#include <unistd.h>

#include "native/win32.h"

namespace {
AssertionHook gAssertionHook = nullptr;
}

AssertionHook SetAssertionHook(AssertionHook hook) {
  AssertionHook previous = gAssertionHook;
  gAssertionHook = hook;
  return previous;
}

std::string AssertionText(int32_t number, const char* unit, int32_t line) {
  char text[512];
  std::snprintf(text, sizeof text,
                "Failed Assertion: %d\nPress OK to Continue\nPress Cancel to Quit.\n\n"
                "Please report what caused this error\nalong with the information below.\n\n"
                " %s : %d",
                static_cast<int16_t>(number), unit != nullptr ? unit : "", line);
  return text;
}

void FailedAssertion(int32_t number, const char* unit, int32_t line) {
  if (gAssertionHook != nullptr) {
    gAssertionHook(number, unit, line);
    return;
  }
  std::string text = AssertionText(number, unit, line);
  int answer = MessageBoxA(nullptr, text.c_str(), "", MB_OKCANCEL | MB_ICONERROR | MB_DEFBUTTON2);
  if (answer == IDCANCEL) {
    std::fflush(nullptr);
    _exit(0);
  }
}
