// String records and ownership: the record layout of made strings, reference counting and
// its failed assertions, nil as "", copy-on-write of writable bytes, appending in place,
// concatenation, image-form (static) records, and the heap returning to where it started.
#include <cstring>
#include <string>

#include "runtime/entries/entries.h"
#include "tests/strings/stringtestsupport.h"

namespace strings_test {
namespace {

using StringRecordTest = StringTest;

// A record in the form the image stores its literals: capacity = length, buffer not from
// the heap.
struct StaticLiteral {
  uint8_t bytes[8] = {3, 'a', 'b', 'c', 0, 0, 0, 0};
  StringRecord record{1, bytes, 3, 3};
};

TEST_F(StringRecordTest, MadeStringHasCountCapacityLengthByteAndTerminator) {
  StringRecord* s = MakeString("hello", 5);
  ASSERT_NE(s, nullptr);
  EXPECT_EQ(s->refCount, 1);
  EXPECT_EQ(s->capacity, 7);
  EXPECT_EQ(s->length, 5);
  EXPECT_EQ(s->buffer[0], 5);
  EXPECT_EQ(std::memcmp(s->buffer + 1, "hello", 6), 0);  // with the terminating 0
  UnlockString(s);
}

TEST_F(StringRecordTest, LongStringClampsLengthByteAt255) {
  std::string text(300, 'x');
  StringRecord* s = MakeString(text.data(), 300);
  EXPECT_EQ(s->buffer[0], 255);
  EXPECT_EQ(s->length, 300);
  EXPECT_EQ(s->buffer[301], 0);
  UnlockString(s);
}

TEST_F(StringRecordTest, EmptyTextMakesNil) {
  EXPECT_EQ(MakeString("x", 0), nullptr);
  EXPECT_EQ(MakeString("x", -3), nullptr);
  EXPECT_EQ(MakeStringFromC(""), nullptr);
  EXPECT_EQ(MakeStringFromC(nullptr), nullptr);
}

TEST_F(StringRecordTest, TextMayHoldZeroBytes) {
  StringRef s = Str(std::string_view("a\0b", 3));
  EXPECT_EQ(s.length(), 3);
  EXPECT_EQ(s.view(), std::string_view("a\0b", 3));
  EXPECT_STREQ(s.c_str(), "a");
}

TEST_F(StringRecordTest, NilReadsAsEmptyText) {
  EXPECT_EQ(StringLength(nullptr), 0);
  EXPECT_STREQ(StringText(nullptr), "");
  EXPECT_EQ(StringView(nullptr), "");
  EXPECT_EQ(StringToUtf8(nullptr), "");
}

TEST_F(StringRecordTest, LockAndUnlockCountAndFreeAtZero) {
  int32_t before = HeapBytesInUse();
  StringRecord* s = MakeStringFromC("abc");
  EXPECT_EQ(HeapBytesInUse() - before, 16 + 5);
  EXPECT_EQ(RuntimeLockString(s), s);
  EXPECT_EQ(s->refCount, 2);
  RuntimeUnlockString(s);
  EXPECT_EQ(s->refCount, 1);
  RuntimeUnlockString(s);
  EXPECT_EQ(HeapBytesInUse(), before);
}

TEST_F(StringRecordTest, NilIsAllowedEverywhereInCounting) {
  AssertionLog log;
  RuntimeLockString(nullptr);
  RuntimeUnlockString(nullptr);
  EXPECT_EQ(LockString(nullptr), nullptr);
  EXPECT_TRUE(log.entries().empty());
}

TEST_F(StringRecordTest, CountErrorsAreReportedAndOtherwiseHarmless) {
  AssertionLog log;
  StringRecord* s = MakeStringFromC("abc");
  s->refCount = 0;
  RuntimeUnlockString(s);  // reported, left alone (not freed)
  EXPECT_EQ(s->refCount, 0);
  RuntimeLockString(s);  // reported, counted all the same
  EXPECT_EQ(s->refCount, 1);
  EXPECT_EQ(log.entries(), (std::vector<std::string>{"4:string:35", "4:string:25"}));
  RuntimeUnlockString(s);
}

TEST_F(StringRecordTest, StaticRecordsAreNeverFreedNorWrittenInPlace) {
  StaticLiteral literal;
  StringRecord* s = &literal.record;
  RuntimeUnlockString(s);  // the image's own reference, dropped by mistake
  EXPECT_EQ(s->refCount, 0);
  EXPECT_EQ(s->buffer, literal.bytes);  // still intact
  s->refCount = 1;
  StringRecord* holder = s;
  *StringWritableByte(&holder, 0) = 'X';
  EXPECT_NE(holder, s) << "the literal must be copied, not changed";
  EXPECT_EQ(StringView(holder), "Xbc");
  EXPECT_EQ(literal.bytes[1], 'a');
  UnlockString(holder);
}

TEST_F(StringRecordTest, WritableByteOfSharedStringCopiesFirst) {
  StringRecord* shared = MakeStringFromC("abc");
  StringRecord* holder = LockString(shared);
  *StringWritableByte(&holder, 1) = 'X';
  EXPECT_NE(holder, shared);
  EXPECT_EQ(StringView(holder), "aXc");
  EXPECT_EQ(StringView(shared), "abc");
  EXPECT_EQ(shared->refCount, 1);
  EXPECT_EQ(holder->refCount, 1);
  UnlockString(holder);
  UnlockString(shared);
}

TEST_F(StringRecordTest, WritableByteOfOwnedStringWritesInPlace) {
  StringRecord* s = MakeStringFromC("abc");
  StringRecord* before = s;
  *StringWritableByte(&s, 2) = 'Z';
  EXPECT_EQ(s, before);
  EXPECT_EQ(StringView(s), "abZ");
  UnlockString(s);
}

TEST_F(StringRecordTest, WritableByteOutsideTheTextIsRefused) {
  struct Case {
    const char* text;
    int32_t index;
    const char* report;
  };
  const Case cases[] = {
      {"abc", 3, "4:string:200"}, {"abc", -1, "4:string:200"},
      {"", 1, "4:string:210"},    {"", -1, "4:string:210"},
  };
  for (const Case& c : cases) {
    AssertionLog log;
    StringRef s = Str(c.text);
    StringRecord* record = s.get();
    uint8_t* byte = StringWritableByte(s.slot(), c.index);
    *byte = 'Q';  // must land nowhere in the string
    EXPECT_EQ(s.get(), record);
    EXPECT_EQ(s.view(), c.text);
    EXPECT_EQ(log.entries(), std::vector<std::string>{c.report}) << c.text << " " << c.index;
  }
}

TEST_F(StringRecordTest, WritableByteZeroOfNilIsNotReported) {
  AssertionLog log;
  StringRecord* s = nullptr;
  *StringWritableByte(&s, 0) = 'Q';
  EXPECT_EQ(s, nullptr);
  EXPECT_TRUE(log.entries().empty());
}

TEST_F(StringRecordTest, AppendToNilSharedAndOwnedStrings) {
  StringRecord* s = nullptr;
  ASSERT_TRUE(StringAppend(&s, "ab", 2));
  EXPECT_EQ(StringView(s), "ab");
  StringRecord* shared = LockString(s);
  ASSERT_TRUE(StringAppendByte(&s, 'c'));
  EXPECT_NE(s, shared);
  EXPECT_EQ(StringView(shared), "ab");
  EXPECT_EQ(StringView(s), "abc");
  UnlockString(shared);
  for (int i = 0; i < 500; ++i) ASSERT_TRUE(StringAppendByte(&s, 'd'));
  EXPECT_EQ(s->length, 503);
  EXPECT_EQ(s->buffer[0], 255);
  EXPECT_EQ(s->buffer[504], 0);
  EXPECT_EQ(StringView(s).substr(0, 4), "abcd");
  UnlockString(s);
}

TEST_F(StringRecordTest, AppendingAStringToItselfDoublesIt) {
  StringRecord* s = MakeStringFromC("xyz");
  for (int i = 0; i < 4; ++i) ASSERT_TRUE(StringAppendString(&s, s));
  EXPECT_EQ(StringLength(s), 48);
  std::string expected;
  for (int i = 0; i < 16; ++i) expected += "xyz";
  EXPECT_EQ(StringView(s), expected);
  UnlockString(s);
}

TEST_F(StringRecordTest, AppendingNothingChangesNothing) {
  StringRecord* s = nullptr;
  EXPECT_TRUE(StringAppend(&s, "", 0));
  EXPECT_TRUE(StringAppendString(&s, nullptr));
  EXPECT_EQ(s, nullptr);
}

TEST_F(StringRecordTest, AddStringReturnsTheOtherSideWhenOneIsEmpty) {
  StringRef a = Str("abc");
  StaticLiteral literal;
  literal.record.length = 0;  // a record of length 0 counts as empty
  literal.bytes[0] = 0;
  literal.bytes[1] = 0;
  StringRecord* r1 = RuntimeAddString(a.get(), nullptr);
  StringRecord* r2 = RuntimeAddString(nullptr, a.get());
  StringRecord* r3 = RuntimeAddString(&literal.record, a.get());
  EXPECT_EQ(r1, a.get());
  EXPECT_EQ(r2, a.get());
  EXPECT_EQ(r3, a.get());
  EXPECT_EQ(a.get()->refCount, 4);
  EXPECT_EQ(RuntimeAddString(nullptr, nullptr), nullptr);
  EXPECT_EQ(RuntimeAddString(&literal.record, nullptr), nullptr);
  UnlockString(r1);
  UnlockString(r2);
  UnlockString(r3);
}

TEST_F(StringRecordTest, AddStringJoinsIntoANewString) {
  StringRef a = Str("ab");
  StringRef b = Str("cd");
  StringRecord* joined = RuntimeAddString(a.get(), b.get());
  EXPECT_EQ(joined->refCount, 1);
  EXPECT_EQ(joined->capacity, 6);
  EXPECT_EQ(Take(joined), "abcd");
  EXPECT_EQ(a.get()->refCount, 1);
}

TEST_F(StringRecordTest, TrimSpacesAndTabsOnly) {
  struct Case {
    const char* text;
    TrimSide side;
    const char* expected;
  };
  const Case cases[] = {
      {" \t a b \t ", TrimSide::kLeft, "a b \t "},
      {" \t a b \t ", TrimSide::kRight, " \t a b"},
      {" \t a b \t ", TrimSide::kBoth, "a b"},
      {"\n a \r", TrimSide::kBoth, "\n a \r"},
      {" \t ", TrimSide::kBoth, ""},
      {"", TrimSide::kBoth, ""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Take(TrimSpacesAndTabs(Str(c.text).get(), c.side)), c.expected) << c.text;
  }
  StringRef untouched = Str("ab");
  StringRecord* same = TrimSpacesAndTabs(untouched.get(), TrimSide::kBoth);
  EXPECT_EQ(same, untouched.get());
  UnlockString(same);
  EXPECT_EQ(TrimSpacesAndTabs(Str("   ").get(), TrimSide::kLeft), nullptr);
}

TEST_F(StringRecordTest, FormatIntegerIsDecimal) {
  EXPECT_EQ(Take(FormatInteger(0)), "0");
  EXPECT_EQ(Take(FormatInteger(-42)), "-42");
  EXPECT_EQ(Take(FormatInteger(INT32_MIN)), "-2147483648");
}

TEST_F(StringRecordTest, StringRefSharesAndReleases) {
  StringRef a = Str("abc");
  {
    StringRef b = a;
    EXPECT_EQ(a.get()->refCount, 2);
    StringRef c = std::move(b);
    EXPECT_EQ(b.get(), nullptr);
    EXPECT_EQ(a.get()->refCount, 2);
  }
  EXPECT_EQ(a.get()->refCount, 1);
  StringRecord* released = a.Release();
  EXPECT_EQ(a.get(), nullptr);
  UnlockString(released);
}

TEST_F(StringRecordTest, NamesCompareThroughTheFoldTable) {
  struct Case {
    std::string_view a;
    std::string_view b;
    int32_t expected;
  };
  const Case cases[] = {
      {"PushButton", "PUSHBUTTON", 0},
      {"abc", "abd", -1},
      {"abc", "ab", 1},
      {"", "", 0},
      {"\x8A", "\x80", 0},  // a fold pair of the upper half
      {"\xF5", "I", 0},
      {"\xE9", "\xC9", 1},  // not a fold pair: compared as they are
  };
  for (const Case& c : cases) {
    EXPECT_EQ(CompareNames(Str(c.a).get(), Str(c.b).get()), c.expected) << c.a << " " << c.b;
    EXPECT_EQ(CompareNames(Str(c.a).get(), std::string(c.b).c_str()), c.expected);
  }
  EXPECT_EQ(CompareNames(nullptr, "x"), -1);
  EXPECT_EQ(CompareNamesZ("Open", "OPEN"), 0);
  EXPECT_EQ(CompareNamesZ("ab\0z", "AB\0y"), 0);  // stops at the first zero byte
  EXPECT_EQ(CompareNamesZ(nullptr, ""), 0);
  EXPECT_TRUE(NamesEqual(Str("true").get(), "True"));
}

}  // namespace
}  // namespace strings_test
