// CallImage: the one way C++ code calls into image code (the loader's entry call, event and
// menu handlers, constructors and destructors of image classes). The thunk saves EBX, ESI and
// EDI itself and records its frame as a barrier for the exception walk; AMX_IMAGE_CALLER()
// records, at the top of an entry, the frame of the image code that called the runtime.
//
// Why: library frames (glibc, FLTK) carry no frame pointers, so the EBP chain cannot be
// followed through them. The raise walk (runtime/exceptions/raise.cpp) follows EBP through
// one stretch of image and runtime frames; on reaching a CallImage barrier it goes on from
// the entry frame that was recorded when image code last called into the runtime below that
// barrier, never through the C++ and library frames in between. After a handler has been
// resumed the callee-saved registers hold the raise routine's values, which is why the thunk
// restores them from its own frame rather than trusting the image function.
//
// RULE for every caller of CallImage: a catch clause in an outer image function abandons all
// runtime code between the raise and that clause, without unwinding it. Across a call into
// image code, runtime code must not hold locks, owning C++ objects (std::string, vectors,
// unique_ptr...) or half-done state that only a later line repairs: finish the state change
// before the call, keep plain data, and take references so that abandoning them only leaks.
#pragma once
#include <cstdint>

// Calls the cdecl image function fn with argc 32-bit arguments (args[0] is the first, pushed
// last) and returns EAX. argc <= 0 passes none.
uint32_t CallImage(const void* fn, int32_t argc, const uint32_t* args);
// The same for an image function that returns a double in ST0.
double CallImageDouble(const void* fn, int32_t argc, const uint32_t* args);

// Convenience forms for the common shapes: handler(object), handler(object, value).
inline uint32_t CallImage0(const void* fn) { return CallImage(fn, 0, nullptr); }
inline uint32_t CallImage1(const void* fn, uint32_t a) { return CallImage(fn, 1, &a); }
inline uint32_t CallImage2(const void* fn, uint32_t a, uint32_t b) {
  const uint32_t args[2] = {a, b};
  return CallImage(fn, 2, args);
}

// Records the calling entry's own frame (whose saved-EBP and return-address words lead back
// into image code). Write AMX_IMAGE_CALLER(); as the first statement of every entry that can
// call back into image code (through CallImage, directly or via events, windows, object
// destruction) and of every entry that raises; it costs one store.
void RecordImageCaller(void* entryFrame);
#define AMX_IMAGE_CALLER() RecordImageCaller(__builtin_frame_address(0))

// ---- For the raise walk and its tests ---------------------------------------------------

// The barrier record a CallImage frame holds below its saved EBP (frame - 16 and - 20).
struct ImageCallBarrier {
  uint32_t entryFrame;   // [frame - 16]: entry frame recorded before this call, or 0
  uint32_t previous;     // [frame - 20]: the next older barrier's frame, or 0
};
constexpr int32_t kBarrierEntryFrameOffset = -16;
constexpr int32_t kBarrierPreviousOffset = -20;

// Per-thread state: the newest barrier frame and the newest recorded entry frame.
struct ImageCallState {
  uint32_t barrierTop;   // frame of the newest active CallImage, or 0
  uint32_t entryFrame;   // frame of the newest entry called from image code, or 0
};
static_assert(sizeof(ImageCallState) == 8);
ImageCallState* CurrentImageCallState();
