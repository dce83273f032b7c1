// RaiseException: searches for a catch clause first without changing anything, then walks
// again releasing what the unwound frames hold, stores the exception in the catching frame
// and jumps to the handler with EBP set to that frame. Nobody catching it goes to
// ReportUnhandledException.
#include "runtime/exceptions/raise.h"

#include <cstdint>

#include "runtime/exceptions/exceptions.h"
#include "runtime/exceptions/framewalk.h"
#include "runtime/exceptions/imagecall.h"
#include "runtime/exceptions/unhandled.h"
#include "runtime/objects/objects.h"

#if defined(__SANITIZE_ADDRESS__)
extern "C" void __asan_handle_no_return();
#endif

namespace {

RaiseHook gRaiseHook = nullptr;

// Continues in the handler: EBP becomes the catching function's frame, ESP stays where the
// walk ended (the compiled handler re-establishes it from EBP).
[[noreturn]] void ResumeInHandler(uintptr_t frame, uintptr_t handler) {
#if defined(__SANITIZE_ADDRESS__)
  __asan_handle_no_return();
#endif
  asm volatile(
      "movl %0, %%ebp\n\t"  // mov ebp, frame
      "jmp *%1"             // jmp handler
      :
      : "r"(frame), "r"(handler)
      : "memory");
  __builtin_unreachable();
}

[[noreturn]] void Catch(ObjectHeader* exception, const WalkOutcome& outcome) {
  ImageCallState* state = CurrentImageCallState();
  // Barriers below the catching frame belong to abandoned runtime code.
  state->barrierTop = outcome.barrierTop;
  state->entryFrame = 0;
  *reinterpret_cast<ObjectHeader**>(outcome.frame - 4) = LockObject(exception);
  UnlockObject(exception);  // the raise's own reference; the slot keeps it alive
  ResumeInHandler(outcome.frame, outcome.handler);
}

}  // namespace

RaiseHook SetRaiseHook(RaiseHook hook) {
  RaiseHook previous = gRaiseHook;
  gRaiseHook = hook;
  return previous;
}

__attribute__((noinline)) void RaiseException(ObjectHeader* exception) {
  if (exception == nullptr) exception = NewBuiltinException(BuiltinException::kNilObject);
  if (gRaiseHook != nullptr) {
    gRaiseHook(exception);
    return;
  }
  uintptr_t self = reinterpret_cast<uintptr_t>(__builtin_frame_address(0));
  uintptr_t barrier = CurrentImageCallState()->barrierTop;
  WalkOutcome found = WalkFrames(exception, self, barrier, WalkMode::kSearch);
  if (found.caught || !IsEndException(exception)) {
    // An EndException that nobody catches returns to its raiser, so the frames it would
    // have passed keep their references; every other exception unwinds them.
    WalkOutcome unwound = WalkFrames(exception, self, barrier, WalkMode::kUnwind);
    if (unwound.caught) Catch(exception, unwound);
  }
  ReportUnhandledException(exception);
}
