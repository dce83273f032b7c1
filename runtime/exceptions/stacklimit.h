// The stack limit: the lowest stack address application code may use. RuntimeInit sets it
// once (its own stack position minus kStackAllowance); RuntimeStackCheck raises a
// stackOverflowException below it. 0 (not set) never raises.
#pragma once
#include <cstdint>

constexpr uintptr_t kStackAllowance = 0xE0000;

void SetStackLimit(uintptr_t limit);
uintptr_t StackLimit();
// Sets the limit from the caller's stack position; a stack too small for the allowance gets
// a limit at the bottom of the thread's stack instead of one that wraps around.
void SetStackLimitFromHere();
