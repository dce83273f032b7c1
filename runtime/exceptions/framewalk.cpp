// WalkFrames: one loop over frames. For a return address followed by a call-site table the
// frame belongs to compiled code: its call-site entries and function table are read (and in
// unwind mode acted on); any other frame is passed over. At a CallImage barrier the walk
// continues from the entry frame recorded below it (imagecall.h explains why).
#include "runtime/exceptions/framewalk.h"

#include <pthread.h>

#include "runtime/exceptions/imagecall.h"
#include "runtime/exceptions/memoryprobe.h"
#include "runtime/objects/classtable.h"
#include "runtime/objects/objects.h"
#include "runtime/objects/strings.h"
#include "runtime/startup/assertion.h"

namespace {

thread_local StackBounds gStackBounds = {0, 0};

constexpr uint8_t kCallRel32 = 0xE8;
constexpr uint8_t kJmpRel32 = 0xE9;
// The first bytes of an entry that realigns its stack (force_align_arg_pointer):
// lea ecx, [esp+4]. Its frame holds a copy of the return address, and the arguments lie
// up to 12 bytes above the usual place.
constexpr uint8_t kRealignPrologue[4] = {0x8D, 0x4C, 0x24, 0x04};

enum CallSiteKind : uint8_t {
  kEnd = 0,
  kStringArgument = 1,
  kObjectArgument = 2,
  kInsideHandler = 7,
};
enum FunctionEntryKind : uint8_t {
  kTableEnd = 0,
  kCatchClause = 4,
  kStringLocal = 5,
  kObjectLocal = 6,
};

// What the walk knows while it visits one compiled frame.
struct FrameVisit {
  ObjectHeader* exception;
  WalkMode mode;
  StackBounds stack;  // low is the walk's starting frame: nothing below it is touched
  ProbeReader* code;
  uintptr_t calleeFrame;  // the frame whose return address is the call site
  uintptr_t frame;        // the compiled function's own frame pointer
  uintptr_t returnAddress;
};

bool FrameUsable(uintptr_t frame, const StackBounds& stack) {
  return frame % 4 == 0 && frame >= stack.low && frame <= stack.high - 12;
}

bool SlotUsable(uintptr_t slot, const StackBounds& stack) {
  return slot % 4 == 0 && slot >= stack.low && slot <= stack.high - 4;
}

uint32_t StackWord(uintptr_t address) { return *reinterpret_cast<const uint32_t*>(address); }

bool IsCallSite(ProbeReader& code, uintptr_t returnAddress) {
  uint8_t jump, marker;
  return code.Byte(returnAddress, &jump) && jump == kShortJump &&
         code.Byte(returnAddress + 2, &marker) && marker == kCallSiteMarker;
}

// The routine a `call rel32` just before the return address went to, following at most two
// `jmp rel32` stubs; 0 when the call is not of that form.
uintptr_t CallTarget(ProbeReader& code, uintptr_t returnAddress) {
  uint8_t opcode;
  uint32_t displacement;
  if (!code.Byte(returnAddress - 5, &opcode) || opcode != kCallRel32) return 0;
  if (!code.Word(returnAddress - 4, &displacement)) return 0;
  uintptr_t target = returnAddress + displacement;
  for (int hop = 0; hop < 2; ++hop) {
    if (!code.Byte(target, &opcode) || opcode != kJmpRel32) break;
    if (!code.Word(target + 1, &displacement)) return 0;
    target = target + 5 + displacement;
  }
  return target;
}

bool Realigns(ProbeReader& code, uintptr_t routine) {
  if (routine == 0 || !code.Readable(routine, sizeof kRealignPrologue)) return false;
  const uint8_t* bytes = reinterpret_cast<const uint8_t*>(routine);
  for (size_t i = 0; i < sizeof kRealignPrologue; ++i) {
    if (bytes[i] != kRealignPrologue[i]) return false;
  }
  return true;
}

// Address of the first argument of the call whose callee frame is visit.calleeFrame. An
// image callee keeps it at frame + 8; a realigning entry left the original return-address
// slot (and the arguments right above it) up to 12 bytes higher. The highest candidate
// holding the return address wins: lower ones may hold stale copies from earlier calls.
uintptr_t FirstArgument(const FrameVisit& visit) {
  uintptr_t usual = visit.calleeFrame + 8;
  if (!Realigns(*visit.code, CallTarget(*visit.code, visit.returnAddress))) return usual;
  for (int k = 3; k >= 0; --k) {
    uintptr_t slot = usual + 4 * k;
    if (SlotUsable(slot, visit.stack) && StackWord(slot) == visit.returnAddress) return slot + 4;
  }
  return usual;
}

// Clears a slot holding a string or object reference and drops that reference. The slot is
// cleared first so that nothing run by the release sees a reference that is gone.
void ReleaseSlot(uintptr_t slot, bool isString, const StackBounds& stack) {
  if (!SlotUsable(slot, stack)) return;
  uint32_t* word = reinterpret_cast<uint32_t*>(slot);
  uint32_t held = *word;
  *word = 0;
  if (held == 0) return;
  if (isString) {
    UnlockString(reinterpret_cast<StringRecord*>(held));
  } else {
    UnlockObject(reinterpret_cast<ObjectHeader*>(held));
  }
}

// Reads the call-site entries after the marker. Returns where reading stopped and sets
// *skipCatches for kind 7. The entries never run past the bytes the short jump skips.
uintptr_t VisitCallSite(const FrameVisit& visit, bool* skipCatches) {
  uint8_t length = 0;
  visit.code->Byte(visit.returnAddress + 1, &length);
  uintptr_t tableEnd = visit.returnAddress + 2 + length;
  uintptr_t unit = visit.returnAddress + 3;
  *skipCatches = false;
  uint8_t kind;
  while (unit + 2 <= tableEnd && visit.code->Byte(unit + 1, &kind)) {
    unit += 2;
    if (kind == kEnd) break;
    if (kind == kStringArgument || kind == kObjectArgument) {
      uint8_t operand;
      if (unit + 2 > tableEnd || !visit.code->Byte(unit + 1, &operand)) break;
      unit += 2;
      if (visit.mode == WalkMode::kUnwind) {
        ReleaseSlot(FirstArgument(visit) + operand, kind == kStringArgument, visit.stack);
      }
    } else if (kind == kInsideHandler) {
      *skipCatches = true;
    } else if (visit.mode == WalkMode::kUnwind) {
      FailedAssertion(4, "win32exception", 117);
    }
  }
  return unit;
}

// The first byte after leave; ret; 0x2F at or beyond from, or 0 when there is none within
// kMaxFunctionSearch readable bytes.
uintptr_t FindFunctionTable(ProbeReader& code, uintptr_t from) {
  uint8_t window[3] = {0, 0, 0};
  for (uint32_t n = 0; n < kMaxFunctionSearch; ++n) {
    window[0] = window[1];
    window[1] = window[2];
    if (!code.Byte(from + n, &window[2])) return 0;
    if (n >= 2 && window[0] == kFunctionEnd[0] && window[1] == kFunctionEnd[1] &&
        window[2] == kFunctionEnd[2]) {
      return from + n + 1;
    }
  }
  return 0;
}

bool ClauseCatches(ObjectHeader* exception, int16_t classIndex) {
  ClassRecord* cls = ImageClass(classIndex);
  return cls != nullptr && ObjectIsa(exception, cls);
}

// Reads the function table; returns true with *handler set when a catch clause takes the
// exception (entries after it are not read).
bool VisitFunctionTable(const FrameVisit& visit, uintptr_t entry, bool skipCatches,
                        uintptr_t* handler) {
  ProbeReader& code = *visit.code;
  uintptr_t limit = entry + kMaxFunctionSearch;
  uint8_t kind;
  while (entry < limit && code.Byte(entry, &kind)) {
    ++entry;
    if (kind == kTableEnd) {
      if (visit.mode == WalkMode::kUnwind && SlotUsable(visit.frame - 4, visit.stack)) {
        *reinterpret_cast<uint32_t*>(visit.frame - 4) = 0;
      }
      return false;
    }
    if (kind == kCatchClause) {
      int16_t classIndex;
      int32_t displacement;
      if (!code.BigEndian16(entry, &classIndex) || !code.BigEndian32(entry + 2, &displacement)) {
        return false;
      }
      uintptr_t target = entry + 2 + displacement;
      entry += 6;
      if (!skipCatches && ClauseCatches(visit.exception, classIndex)) {
        *handler = target;
        return true;
      }
    } else if (kind == kStringLocal || kind == kObjectLocal) {
      int16_t offset;
      if (!code.BigEndian16(entry, &offset)) return false;
      entry += 2;
      if (visit.mode == WalkMode::kUnwind) {
        ReleaseSlot(visit.frame + offset, kind == kStringLocal, visit.stack);
      }
    }
  }
  return false;
}

}  // namespace

StackBounds ThreadStackBounds() {
  if (gStackBounds.high != 0) return gStackBounds;
  pthread_attr_t attributes;
  void* base = nullptr;
  size_t size = 0;
  if (pthread_getattr_np(pthread_self(), &attributes) == 0) {
    pthread_attr_getstack(&attributes, &base, &size);
    pthread_attr_destroy(&attributes);
  }
  gStackBounds.low = reinterpret_cast<uintptr_t>(base);
  gStackBounds.high = gStackBounds.low + size;
  return gStackBounds;
}

WalkOutcome WalkFrames(ObjectHeader* exception, uintptr_t startFrame, uintptr_t barrierTop,
                       WalkMode mode) {
  StackBounds stack = ThreadStackBounds();
  if (stack.high == 0 || startFrame < stack.low) return {};
  stack.low = startFrame;
  ProbeReader code;
  uintptr_t frame = startFrame;
  uintptr_t barrier = barrierTop;
  for (;;) {
    if (!FrameUsable(frame, stack)) return {};
    uintptr_t callerFrame = StackWord(frame);
    uintptr_t returnAddress = StackWord(frame + 4);
    if (!code.Readable(returnAddress, 3)) return {};
    if (IsCallSite(code, returnAddress)) {
      FrameVisit visit{exception, mode, stack, &code, frame, callerFrame, returnAddress};
      bool skipCatches = false;
      uintptr_t after = VisitCallSite(visit, &skipCatches);
      uintptr_t table = FindFunctionTable(code, after);
      uintptr_t handler = 0;
      if (table != 0 && FrameUsable(callerFrame, stack) &&
          VisitFunctionTable(visit, table, skipCatches, &handler)) {
        return {true, callerFrame, handler, barrier};
      }
    }
    if (barrier != 0 && callerFrame >= barrier) {
      // The frames above belong to whatever runtime code made this CallImage: go on from
      // the entry frame that image code entered the runtime through below it.
      if (!FrameUsable(barrier - 20, stack) || !FrameUsable(barrier, stack)) return {};
      uintptr_t entryFrame = StackWord(barrier + kBarrierEntryFrameOffset);
      uintptr_t older = StackWord(barrier + kBarrierPreviousOffset);
      if (entryFrame <= barrier || (older != 0 && older <= barrier)) return {};
      frame = entryFrame;
      barrier = older;
      continue;
    }
    if (callerFrame <= frame || callerFrame - frame > kMaxFrameStep) return {};
    frame = callerFrame;
  }
}
