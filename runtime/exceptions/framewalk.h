// The frame walk of a raise: from a starting frame along the EBP chain of image and runtime
// frames, across CallImage barriers (runtime/exceptions/imagecall.h), reading the call-site
// and function tables that compiled code carries, releasing what unwound frames hold and
// finding the first catch clause for an exception. Entry point: WalkFrames.
#pragma once
#include <cstdint>

struct ObjectHeader;

// The calling thread's stack, measured once per thread.
struct StackBounds {
  uintptr_t low;   // lowest address of the stack mapping
  uintptr_t high;  // one past its highest address
};
StackBounds ThreadStackBounds();

// Search only decides where the exception would be caught and changes nothing; Unwind also
// releases the references the passed frames hold and reports malformed call-site tables.
enum class WalkMode { kSearch, kUnwind };

struct WalkOutcome {
  bool caught = false;
  uintptr_t frame = 0;       // frame pointer of the function whose clause catches
  uintptr_t handler = 0;     // where its handler begins
  uintptr_t barrierTop = 0;  // newest CallImage barrier still active above that frame
};

// Walks from startFrame (a frame of the raise routine). Frames must lie inside the thread's
// stack, be 4-byte aligned and strictly increase; anything that cannot be read ends the walk
// with caught == false, never with a fault.
WalkOutcome WalkFrames(ObjectHeader* exception, uintptr_t startFrame, uintptr_t barrierTop,
                       WalkMode mode);

// Byte patterns the compiler places in code (also used by tests that assemble frames).
constexpr uint8_t kShortJump = 0xEB;        // jmp short: opens a call-site table
constexpr uint8_t kCallSiteMarker = 0x90;   // nop right after the jump
constexpr uint8_t kFunctionEnd[3] = {0xC9, 0xC3, 0x2F};  // leave; ret; then the table
constexpr uint32_t kMaxFrameStep = 4096;    // callers lie at most this far above a frame
constexpr uint32_t kMaxFunctionSearch = 1u << 20;  // bytes searched for the function end
