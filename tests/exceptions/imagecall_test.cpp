// The CallImage thunk as a C routine standing in for image code sees it: the stack 16-byte
// aligned at the call whatever the argument count (instrumented and SSE code depends on it),
// the arguments in order, and the per-thread barrier record as it was once the call returns.
#include <gtest/gtest.h>

#include <cstdint>

#include "runtime/exceptions/imagecall.h"

extern "C" uint32_t AmxTestEntryMisalignment();
extern "C" uint32_t AmxTestArgumentAt();

// What ESP was at the call, modulo 16; and the argument whose index is the first argument.
asm(R"(
    .text
    .globl AmxTestEntryMisalignment
    .globl AmxTestArgumentAt
AmxTestEntryMisalignment:
    leal 4(%esp), %eax              # lea eax, [esp+4]         ; ESP before the call
    andl $15, %eax                  # and eax, 15
    ret                             # ret
AmxTestArgumentAt:
    movl 4(%esp), %ecx              # mov ecx, [esp+4]
    movl 4(%esp,%ecx,4), %eax       # mov eax, [esp+ecx*4+4]
    ret                             # ret
)");

namespace {

TEST(CallImageTest, TheCalleeFindsTheStackAlignedForEveryArgumentCount) {
  const uint32_t args[9] = {1, 2, 3, 4, 5, 6, 7, 8, 9};
  for (int32_t argc = -1; argc <= 9; ++argc) {
    EXPECT_EQ(CallImage(reinterpret_cast<const void*>(&AmxTestEntryMisalignment), argc, args),
              0u)
        << argc << " arguments";
  }
}

TEST(CallImageTest, ArgumentsArriveInOrderAndTheBarrierRecordIsRestored) {
  const ImageCallState before = *CurrentImageCallState();
  for (uint32_t index = 0; index < 7; ++index) {
    const uint32_t args[7] = {index, 0xA1, 0xA2, 0xA3, 0xA4, 0xA5, 0xA6};
    const uint32_t expected = index == 0 ? 0 : 0xA0 + index;
    EXPECT_EQ(CallImage(reinterpret_cast<const void*>(&AmxTestArgumentAt), 7, args), expected)
        << "argument " << index;
  }
  EXPECT_EQ(CurrentImageCallState()->barrierTop, before.barrierTop);
  EXPECT_EQ(CurrentImageCallState()->entryFrame, before.entryFrame);
}

}  // namespace
