// Entries are safe to call the way image code calls them: with the stack only 4-byte
// aligned (misaligned by 4, 8 and 12 from 16), leaving the x87 stack balanced after a
// Double result that the caller pops, and reading a Boolean as its low byte only. The calls
// go through small assembly routines that build exactly those conditions.
#include <gtest/gtest.h>

#include <cpuid.h>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <emmintrin.h>

#include "runtime/entries/entries.h"
#include "runtime/objects/builtinclasses.h"
#include "runtime/objects/objects.h"
#include "runtime/objects/strings.h"
#include "runtime/objects/typedescriptor.h"

extern "C" {
// Calls fn(a0, a1, a2) with ESP at the call instruction equal to 16n - misalign; returns
// what fn returned in EAX (Int) or ST0 (Double).
uint32_t CallMisalignedInt(const void* fn, uint32_t misalign, uint32_t a0, uint32_t a1,
                           uint32_t a2 = 0);
double CallMisalignedDouble(const void* fn, uint32_t misalign, uint32_t a0, uint32_t a1,
                            uint32_t a2 = 0);
// Calls the double-returning fn(a0, a1) count times, popping each result into
// results[i] as image code does, and returns the x87 status word before (high 16 bits) and
// after (low 16 bits) the calls.
uint32_t CallDoubleRepeatedly(const void* fn, uint32_t a0, uint32_t a1, uint32_t count,
                              double* results);
// A faulty double routine that leaves a second value on the x87 stack.
double LeakyDoubleResult();
}

asm(R"(
  .text
  .globl CallMisalignedInt
  .globl CallMisalignedDouble
  .type CallMisalignedInt, @function
  .type CallMisalignedDouble, @function
CallMisalignedInt:
CallMisalignedDouble:
  push %ebp
  mov %esp, %ebp
  mov 8(%ebp), %eax       # fn
  mov 12(%ebp), %ecx      # misalign
  and $-16, %esp
  sub $16, %esp
  sub %ecx, %esp          # ESP = 16n - misalign
  mov 16(%ebp), %edx
  mov %edx, (%esp)        # a0
  mov 20(%ebp), %edx
  mov %edx, 4(%esp)       # a1
  mov 24(%ebp), %edx
  mov %edx, 8(%esp)       # a2
  call *%eax
  mov %ebp, %esp
  pop %ebp
  ret

  .globl LeakyDoubleResult
  .type LeakyDoubleResult, @function
LeakyDoubleResult:
  fldz                    # left behind
  fld1                    # the result
  ret

  .globl CallDoubleRepeatedly
  .type CallDoubleRepeatedly, @function
CallDoubleRepeatedly:
  push %ebp
  mov %esp, %ebp
  push %esi
  push %edi
  push %ebx
  sub $4, %esp
  fnstsw (%esp)           # status before, low half of the scratch word
  mov 20(%ebp), %esi      # count
  mov 24(%ebp), %edi      # results
1:
  test %esi, %esi
  jz 2f
  pushl 16(%ebp)          # a1
  pushl 12(%ebp)          # a0
  mov 8(%ebp), %eax
  call *%eax
  add $8, %esp
  fstpl (%edi)            # the caller pops the result
  add $8, %edi
  dec %esi
  jmp 1b
2:
  movzwl (%esp), %ebx
  shl $16, %ebx
  fnstsw (%esp)
  movzwl (%esp), %eax
  or %ebx, %eax
  add $4, %esp
  pop %ebx
  pop %edi
  pop %esi
  pop %ebp
  ret
)");

namespace {

// Entries of this test, built with the same attributes as the runtime's: the SSE work below
// uses aligned 16-byte loads and stores, so an entry that trusted the caller's alignment
// would fault (or, under emulation, report a misaligned local).
AMX_ENTRY uint32_t TestLocalMisalignment(uint32_t, uint32_t) noexcept {
  alignas(16) volatile double local[2] = {1.0, 2.0};
  return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(local) % 16);
}

AMX_ENTRY double TestSseSum(int32_t a, int32_t b) noexcept {
  alignas(16) double in[2] = {static_cast<double>(a), static_cast<double>(b)};
  __m128d v = _mm_load_pd(in);  // movapd: needs 16-byte alignment
  alignas(16) double out[2];
  _mm_store_pd(out, _mm_add_pd(v, _mm_set1_pd(0.5)));
  return out[0] + out[1];
}

constexpr uint32_t kMisalignments[] = {0, 4, 8, 12};

// The same probe without the entry attributes: on a misaligned stack its aligned SSE stores
// fault, which shows that the calls above really run misaligned and would fail if the entry
// attributes lost their realignment.
extern "C" __attribute__((cdecl, noinline)) uint32_t PlainLocalMisalignment(uint32_t,
                                                                          uint32_t) noexcept {
  alignas(16) volatile double local[2] = {1.0, 2.0};
  return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(local) % 16);
}

TEST(EntryAlignmentDeathTest, FunctionWithoutTheEntryAttributesFaults) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_DEATH(
      {
        uint32_t misaligned =
            CallMisalignedInt(reinterpret_cast<const void*>(&PlainLocalMisalignment), 8, 0, 0);
        if (misaligned != 0) std::abort();  // a processor that does not fault still notices
      },
      "");
}

TEST(EntryAlignment, EntriesRealignTheirFrame) {
  for (uint32_t misalign : kMisalignments) {
    EXPECT_EQ(CallMisalignedInt(reinterpret_cast<const void*>(&TestLocalMisalignment),
                                misalign, 0, 0),
              0u)
        << "misaligned by " << misalign;
    EXPECT_DOUBLE_EQ(CallMisalignedDouble(reinterpret_cast<const void*>(&TestSseSum), misalign,
                                          3, 4),
                     8.0)
        << "misaligned by " << misalign;
  }
}

uint32_t Low(double d) {
  uint32_t words[2];
  std::memcpy(words, &d, 8);
  return words[0];
}
uint32_t High(double d) {
  uint32_t words[2];
  std::memcpy(words, &d, 8);
  return words[1];
}

TEST(EntryAlignment, RuntimeEntriesWorkWithEveryMisalignment) {
  ObjectHeader* holder = MakeObject(AMX_BUILTIN_CLASS(Runtime));  // 28 bytes: a field at 24
  intSetter(holder, 24, 1234);
  for (uint32_t misalign : kMisalignments) {
    SCOPED_TRACE(misalign);
    EXPECT_EQ(CallMisalignedInt(reinterpret_cast<const void*>(&intGetter), misalign,
                                reinterpret_cast<uint32_t>(holder), 24),
              1234u);
    EXPECT_EQ(CallMisalignedInt(reinterpret_cast<const void*>(&RuntimeDebugMemoryUsed),
                                misalign, 0, 0),
              static_cast<uint32_t>(RuntimeDebugMemoryUsed(nullptr)));
    EXPECT_DOUBLE_EQ(
        CallMisalignedDouble(reinterpret_cast<const void*>(&IntToFP), misalign, uint32_t(-7), 0),
        -7.0);
    double x = -2.5;
    EXPECT_DOUBLE_EQ(CallMisalignedDouble(reinterpret_cast<const void*>(&RuntimeAbs), misalign,
                                          Low(x), High(x)),
                     2.5);
    EXPECT_EQ(CallMisalignedInt(reinterpret_cast<const void*>(&FPToInt), misalign, Low(x),
                                High(x)),
              static_cast<uint32_t>(-2));
  }
  UnlockObject(holder);
}

constexpr uint16_t kStackTop = 0x3800;   // TOP field of the x87 status word
constexpr uint16_t kStackFault = 0x0040;  // SF
constexpr uint16_t kInvalid = 0x0001;    // IE

TEST(DoubleResults, NineCallsLeaveTheFloatingPointStackBalanced) {
  struct Case {
    const char* name;
    const void* fn;
    uint32_t a0, a1;
    double expected;
  };
  double x = -6.25;
  const Case cases[] = {
      {"IntToFP", reinterpret_cast<const void*>(&IntToFP), 42, 0, 42.0},
      {"RuntimeAbs", reinterpret_cast<const void*>(&RuntimeAbs), Low(x), High(x), 6.25},
      {"TestSseSum", reinterpret_cast<const void*>(&TestSseSum), 1, 2, 4.0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    double results[9] = {};
    uint32_t status = CallDoubleRepeatedly(c.fn, c.a0, c.a1, 9, results);
    uint16_t before = static_cast<uint16_t>(status >> 16);
    uint16_t after = static_cast<uint16_t>(status);
    EXPECT_EQ(after & kStackTop, before & kStackTop);
    EXPECT_EQ(after & kStackFault, 0);
    EXPECT_EQ(after & kInvalid, before & kInvalid);
    for (double r : results) EXPECT_DOUBLE_EQ(r, c.expected);  // no register overflowed
  }
}

TEST(DoubleResults, ARoutineThatLeavesAValueBehindIsNoticed) {
  double result = 0;
  uint32_t status = CallDoubleRepeatedly(reinterpret_cast<const void*>(&LeakyDoubleResult), 0,
                                         0, 1, &result);
  asm volatile("fstp %%st(0)" ::: "st");  // drop what it left behind
  EXPECT_NE(status & kStackTop, (status >> 16) & kStackTop);
}

TEST(Booleans, AnyNonZeroLowByteIsTrueAndUpperBitsAreIgnored) {
  ObjectHeader* holder = MakeObject(AMX_BUILTIN_CLASS(Runtime));
  TypeDescriptor* boolean = FindTypeDescriptor("Boolean");
  struct Case {
    uint32_t word;  // as image code leaves it on the stack
    bool truth;
  } cases[] = {{0xFF, true}, {0x01, true}, {0x80, true}, {0xABCDEFFF, true},
               {0x00, false}, {0xFFFFFF00, false}, {0x100, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.word);
    // boolSetter stores the byte image code passed; boolGetter hands it back in AL.
    CallMisalignedInt(reinterpret_cast<const void*>(&boolSetter), 4,
                      reinterpret_cast<uint32_t>(holder), 24, c.word);
    EXPECT_EQ(reinterpret_cast<uint8_t*>(holder)[25], 0);  // only the Boolean byte stored
    uint32_t eax = CallMisalignedInt(reinterpret_cast<const void*>(&boolGetter), 8,
                                     reinterpret_cast<uint32_t>(holder), 24);
    EXPECT_EQ((eax & 0xFF) != 0, c.truth);
    StringRecord* text = boolean->toText(c.word);
    EXPECT_STREQ(StringText(text), c.truth ? "True" : "False");
    UnlockString(text);
  }
  UnlockObject(holder);
}

#if defined(__SANITIZE_ADDRESS__)
// Under user-mode emulation the AddressSanitizer build of this test hangs before main, so it
// is not registered with CTest (tests/entries/CMakeLists.txt); when it is started on an
// emulator anyway and gets this far, it says so instead of testing.
bool RunningUnderEmulation() {
  uint32_t words[12] = {};
  for (uint32_t i = 0; i < 3; ++i)
    __get_cpuid(0x80000002 + i, &words[4 * i], &words[4 * i + 1], &words[4 * i + 2],
                &words[4 * i + 3]);
  char brand[49] = {};
  std::memcpy(brand, words, 48);
  return std::strstr(brand, "QEMU") != nullptr;
}

class EmulationCheck : public ::testing::Environment {
 public:
  void SetUp() override {
    if (RunningUnderEmulation())
      GTEST_SKIP() << "AddressSanitizer does not work under qemu-i386 user-mode emulation";
  }
};
const auto* const gEmulationCheck = ::testing::AddGlobalTestEnvironment(new EmulationCheck);
#endif

}  // namespace
