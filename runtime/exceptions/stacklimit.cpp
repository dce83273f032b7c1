// The stack limit of stacklimit.h.
#include "runtime/exceptions/stacklimit.h"

#include "runtime/exceptions/framewalk.h"

namespace {
uintptr_t gStackLimit = 0;
}

void SetStackLimit(uintptr_t limit) { gStackLimit = limit; }

uintptr_t StackLimit() { return gStackLimit; }

__attribute__((noinline)) void SetStackLimitFromHere() {
  uintptr_t here = reinterpret_cast<uintptr_t>(__builtin_frame_address(0));
  StackBounds stack = ThreadStackBounds();
  uintptr_t limit = here > kStackAllowance ? here - kStackAllowance : 0;
  // Leave a little room for the raise itself below the limit.
  if (stack.high != 0 && limit < stack.low + 0x4000) limit = stack.low + 0x4000;
  gStackLimit = limit;
}
