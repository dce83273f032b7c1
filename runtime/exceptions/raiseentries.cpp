// The entries of the exceptions family that compiled code calls: raising an object,
// re-raising from a handler, a member reached through nil, and the stack check against the
// limit that RuntimeInit sets.
#include "runtime/entries/entries.h"
#include "runtime/exceptions/exceptions.h"
#include "runtime/exceptions/imagecall.h"
#include "runtime/exceptions/raise.h"
#include "runtime/exceptions/stacklimit.h"
#include "runtime/objects/objects.h"

AMX_ENTRY void RuntimeRaiseException(ObjectHeader* exception) noexcept {
  AMX_IMAGE_CALLER();
  // The argument is lent: the raise takes over a reference of its own.
  RaiseException(LockObject(exception));
}

AMX_ENTRY void RuntimeReraiseException(ObjectHeader* exception) noexcept {
  AMX_IMAGE_CALLER();
  RaiseException(LockObject(exception));
}

AMX_ENTRY void RuntimeNilObject() noexcept {
  AMX_IMAGE_CALLER();
  RaiseNilObjectException();
}

AMX_ENTRY void RuntimeStackCheck() noexcept {
  AMX_IMAGE_CALLER();
  uintptr_t position = reinterpret_cast<uintptr_t>(__builtin_frame_address(0));
  if (position < StackLimit()) RaiseStackOverflowException();
}
