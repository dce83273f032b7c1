// The pieces around the walk: the raise helpers and the classes they make, the stack check,
// reading memory without faulting, the CallImage thunk's register and result handling, the
// unhandled-exception text and the Mac Roman conversion of project texts.
#include <cstring>
#include <string>
#include <sys/mman.h>

#include <gtest/gtest.h>

#include "runtime/entries/entries.h"
#include "runtime/exceptions/exceptions.h"
#include "runtime/exceptions/imagecall.h"
#include "runtime/exceptions/memoryprobe.h"
#include "runtime/exceptions/raise.h"
#include "runtime/exceptions/stacklimit.h"
#include "runtime/exceptions/unhandled.h"
#include "runtime/image/codememory.h"
#include "runtime/objects/builtinclasses.h"
#include "runtime/objects/objects.h"
#include "runtime/objects/strings.h"
#include "runtime/startup/projectsettings.h"

namespace {

std::string gRaisedClass;
int gRaised = 0;

void RecordRaise(ObjectHeader* exception) {
  ++gRaised;
  ClassRecord* named = exception != nullptr ? FirstNamedClass(exception->cls) : nullptr;
  gRaisedClass = std::string(StringView(named != nullptr ? named->name : nullptr));
  UnlockObject(exception);
}

class RaiseHookTest : public ::testing::Test {
 protected:
  void SetUp() override {
    previous_ = SetRaiseHook(RecordRaise);
    gRaised = 0;
    gRaisedClass.clear();
    live_ = LiveObjectCount();
  }
  void TearDown() override {
    SetRaiseHook(previous_);
    EXPECT_EQ(LiveObjectCount(), live_);
  }
  RaiseHook previous_ = nullptr;
  int32_t live_ = 0;
};

struct HelperCase {
  void (*raise)();
  const char* className;
};

TEST_F(RaiseHookTest, EachHelperRaisesAFreshInstanceOfItsClass) {
  const HelperCase cases[] = {
      {RaiseRuntimeException, "RuntimeException"},
      {RaiseNilObjectException, "NilObjectException"},
      {RaiseIllegalCastException, "IllegalCastException"},
      {RaiseStackOverflowException, "stackOverflowException"},
      {RaiseTypeMismatchException, "typeMismatchException"},
      {RaiseOutOfBoundsException, "OutOfBoundsException"},
      {RaiseEndException, "EndException"},
  };
  for (const HelperCase& c : cases) {
    gRaisedClass.clear();
    c.raise();
    EXPECT_EQ(gRaisedClass, c.className);
  }
  EXPECT_EQ(gRaised, 7);
}

TEST_F(RaiseHookTest, EveryExceptionClassDescendsFromRuntimeExceptionWithItsSize) {
  ClassRecord* base = BuiltinExceptionClass(BuiltinException::kRuntime);
  ASSERT_NE(base, nullptr);
  EXPECT_EQ(base->instanceSize, 28);
  for (int i = 1; i <= static_cast<int>(BuiltinException::kEnd); ++i) {
    ClassRecord* cls = BuiltinExceptionClass(static_cast<BuiltinException>(i));
    ASSERT_NE(cls, nullptr);
    EXPECT_EQ(cls->superclass, base);
    EXPECT_TRUE(ClassIsa(cls, base));
  }
  EXPECT_EQ(FindBuiltinClass("stackoverflowexception"),
            BuiltinExceptionClass(BuiltinException::kStackOverflow));
}

TEST_F(RaiseHookTest, RaisingNilRaisesANilObjectException) {
  RaiseException(nullptr);
  EXPECT_EQ(gRaisedClass, "NilObjectException");
}

TEST_F(RaiseHookTest, RuntimeRaiseExceptionTakesItsOwnReference) {
  ObjectHeader* exception = NewBuiltinException(BuiltinException::kOutOfBounds);
  RuntimeRaiseException(exception);  // the hook drops the raise's reference
  EXPECT_EQ(exception->refCount, 1);
  RuntimeReraiseException(exception);
  EXPECT_EQ(exception->refCount, 1);
  UnlockObject(exception);
  EXPECT_EQ(gRaised, 2);
}

TEST_F(RaiseHookTest, StackCheckRaisesOnlyBelowTheLimit) {
  uintptr_t saved = StackLimit();
  SetStackLimit(0);
  RuntimeStackCheck();
  EXPECT_EQ(gRaised, 0);
  SetStackLimitFromHere();
  RuntimeStackCheck();
  EXPECT_EQ(gRaised, 0) << "the limit lies " << kStackAllowance << " bytes below";
  SetStackLimit(UINTPTR_MAX);
  RuntimeStackCheck();
  EXPECT_EQ(gRaisedClass, "stackOverflowException");
  SetStackLimit(saved);
}

TEST_F(RaiseHookTest, RuntimeNilObjectRaisesNilObjectException) {
  RuntimeNilObject();
  EXPECT_EQ(gRaisedClass, "NilObjectException");
}

TEST(MemoryProbe, TellsReadableFromUnreadableMemory) {
  int local = 5;
  EXPECT_TRUE(BytesReadable(reinterpret_cast<uintptr_t>(&local), sizeof local));
  EXPECT_FALSE(BytesReadable(0, 4));
  EXPECT_FALSE(BytesReadable(UINTPTR_MAX - 1, 4)) << "a range that wraps around";
  const size_t page = 4096;
  auto* pages = static_cast<uint8_t*>(
      mmap(nullptr, 2 * page, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0));
  ASSERT_NE(pages, MAP_FAILED);
  ASSERT_EQ(mprotect(pages + page, page, PROT_NONE), 0);
  uintptr_t first = reinterpret_cast<uintptr_t>(pages);
  EXPECT_TRUE(BytesReadable(first, page));
  EXPECT_FALSE(BytesReadable(first + page - 2, 4)) << "runs into the protected page";
  ProbeReader reader;
  uint8_t byte = 1;
  int32_t word = 0;
  pages[0] = 0x12;
  pages[1] = 0x34;
  EXPECT_TRUE(reader.Byte(first, &byte));
  EXPECT_EQ(byte, 0x12);
  int16_t half = 0;
  EXPECT_TRUE(reader.BigEndian16(first, &half));
  EXPECT_EQ(half, 0x1234);
  EXPECT_FALSE(reader.BigEndian32(first + page - 2, &word));
  munmap(pages, 2 * page);
}

// Image code that clobbers every callee-saved register the thunk restores.
const uint8_t kClobber[] = {
    0xBB, 0x01, 0x00, 0x00, 0x00,  // mov ebx, 1
    0xBE, 0x02, 0x00, 0x00, 0x00,  // mov esi, 2
    0xBF, 0x03, 0x00, 0x00, 0x00,  // mov edi, 3
    0x8B, 0x44, 0x24, 0x04,        // mov eax, [esp+4]
    0x03, 0x44, 0x24, 0x08,        // add eax, [esp+8]
    0xC3,                          // ret
};
const uint8_t kReturnOne[] = {
    0xD9, 0xE8,  // fld1
    0xC3,        // ret
};

const void* SealedCode(const uint8_t* bytes, uint32_t size) {
  uint8_t* block = AllocateCodeBlock(size);
  std::memcpy(block, bytes, size);
  EXPECT_TRUE(SealCodeBlock(block, size));
  return block;
}

// Loads known values into EBX, ESI and EDI, calls the thunk, and stores what the three
// registers hold afterwards into saved[0..2].
extern "C" uint32_t AmxImageCallCore(const void*, int32_t, const uint32_t*, ImageCallState*);
extern "C" uint32_t TestCallKeepingRegisters(const void* fn, const uint32_t* args,
                                             ImageCallState* state, uint32_t* saved);
asm(R"(
    .text
    .globl TestCallKeepingRegisters
TestCallKeepingRegisters:
    pushl %ebp                  # push ebp
    movl %esp, %ebp             # mov ebp, esp
    pushl %ebx                  # push ebx
    pushl %esi                  # push esi
    pushl %edi                  # push edi
    movl $0x11111111, %ebx      # mov ebx, 0x11111111
    movl $0x22222222, %esi      # mov esi, 0x22222222
    movl $0x33333333, %edi      # mov edi, 0x33333333
    pushl 16(%ebp)              # push dword [ebp+16]  ; state
    pushl 12(%ebp)              # push dword [ebp+12]  ; args
    pushl $2                    # push 2               ; argc
    pushl 8(%ebp)               # push dword [ebp+8]   ; fn
    call AmxImageCallCore       # call AmxImageCallCore
    addl $16, %esp              # add esp, 16
    movl 20(%ebp), %ecx         # mov ecx, [ebp+20]
    movl %ebx, (%ecx)           # mov [ecx], ebx
    movl %esi, 4(%ecx)          # mov [ecx+4], esi
    movl %edi, 8(%ecx)          # mov [ecx+8], edi
    popl %edi                   # pop edi
    popl %esi                   # pop esi
    popl %ebx                   # pop ebx
    popl %ebp                   # pop ebp
    ret                         # ret
)");

TEST(CallImage, PassesArgumentsInOrderAndRestoresCalleeSavedRegisters) {
  const void* clobber = SealedCode(kClobber, sizeof kClobber);
  const uint32_t args[2] = {40, 2};
  uint32_t saved[3] = {};
  ImageCallState* state = CurrentImageCallState();
  EXPECT_EQ(TestCallKeepingRegisters(clobber, args, state, saved), 42u);
  EXPECT_EQ(saved[0], 0x11111111u);
  EXPECT_EQ(saved[1], 0x22222222u);
  EXPECT_EQ(saved[2], 0x33333333u);
  EXPECT_EQ(state->barrierTop, 0u);
}

TEST(CallImage, DoubleResultComesBackFromTheFloatingPointStack) {
  const void* one = SealedCode(kReturnOne, sizeof kReturnOne);
  EXPECT_EQ(CallImageDouble(one, 0, nullptr), 1.0);
  EXPECT_EQ(CallImage2(SealedCode(kClobber, sizeof kClobber), 5, 6), 11u);
}

TEST(UnhandledText, MessageFourWithEveryPlaceholderReplaced) {
  ResetApplicationSettings();
  ObjectHeader* exception = NewBuiltinException(BuiltinException::kOutOfBounds);
  EXPECT_EQ(UnhandledExceptionText(exception), "") << "no settings: an empty message";
  UnlockObject(exception);
}

struct MacRomanCase {
  const char* macRoman;
  const char* windows1252;
};

TEST(MacRoman, ProjectTextsBecomeWindows1252) {
  const MacRomanCase cases[] = {
      {"plain text\r", "plain text\r"},
      {"non \x8F stata", "non \xE8 stata"},      // è
      {"verr\x88 chiusa", "verr\xE0 chiusa"},    // à
      {"\x80\x83\x8E\x9A", "\xC4\xC9\xE9\xF6"},  // Ä É é ö
      {"\xF0", "?"},                              // the Apple logo has no Windows-1252 byte
      {"\xD2\xD3", "\x93\x94"},                   // curly double quotes
  };
  for (const MacRomanCase& c : cases) {
    EXPECT_EQ(MacRomanToWindows1252(c.macRoman), c.windows1252) << c.macRoman;
  }
}

}  // namespace
