// Failed assertions: misuse of the runtime by compiled code and internal inconsistencies are
// reported as (number, source unit, line); the user may continue or end the process. This
// is the one path for them.
#pragma once
#include <cstdint>
#include <string>

void FailedAssertion(int32_t number, const char* unit, int32_t line);

// The dialog's text: the number as a signed 16-bit value, the unit ("" for none), the line.
std::string AssertionText(int32_t number, const char* unit, int32_t line);

// Tests observe reports through a hook that replaces the dialog; returns the previous hook.
using AssertionHook = void (*)(int32_t number, const char* unit, int32_t line);
AssertionHook SetAssertionHook(AssertionHook hook);
