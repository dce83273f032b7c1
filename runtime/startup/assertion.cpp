// FailedAssertion: routes every failed assertion to the installed hook, or to the default
// report. The default writes one line to stderr and continues.
#include "runtime/startup/assertion.h"

#include <cstdio>

namespace {
AssertionHook gAssertionHook = nullptr;
}

AssertionHook SetAssertionHook(AssertionHook hook) {
  AssertionHook previous = gAssertionHook;
  gAssertionHook = hook;
  return previous;
}

void FailedAssertion(int32_t number, const char* unit, int32_t line) {
  if (gAssertionHook != nullptr) {
    gAssertionHook(number, unit, line);
    return;
  }
  std::fprintf(stderr, "Failed assertion %d in %s line %d\n", static_cast<int16_t>(number),
               unit != nullptr ? unit : "", line);
}
