// The cutting, measuring and casing functions (Left, Right, Mid, Len, Asc, Chr, the case
// functions, trims), the two comparisons, and the Windows-1252 <-> UTF-8 conversions.
#include <string>

#include "runtime/entries/entries.h"
#include "tests/strings/stringtestsupport.h"

namespace strings_test {
namespace {

using StringFunctionsTest = StringTest;

TEST_F(StringFunctionsTest, LeftAndRight) {
  struct Case {
    const char* s;
    int32_t n;
    const char* left;
    const char* right;
  };
  const Case cases[] = {
      {"abc", 0, "", ""},     {"abc", -1, "", ""},     {"abc", 1, "a", "c"},
      {"abc", 2, "ab", "bc"}, {"abc", 3, "abc", "abc"}, {"abc", 99, "abc", "abc"},
      {"", 2, "", ""},        {"", -2, "", ""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Take(StringLeft(Str(c.s).get(), c.n)), c.left) << c.s << " " << c.n;
    EXPECT_EQ(Take(StringRight(Str(c.s).get(), c.n)), c.right) << c.s << " " << c.n;
  }
}

TEST_F(StringFunctionsTest, MidWithStartAndCount) {
  struct Case {
    const char* s;
    int32_t start;
    int32_t n;
    const char* expected;
  };
  const Case cases[] = {
      {"abc", 0, 2, "a"},     {"abc", 1, 2, "ab"},        {"abc", 2, 99, "bc"},
      {"abc", 3, 1, "c"},     {"abc", 4, 1, ""},          {"abc", 2, 0, ""},
      {"abc", 2, -1, ""},     {"abc", -1, 3, "a"},        {"abc", -5, 3, ""},
      {"abc", INT32_MIN, INT32_MAX, ""},                  {"abc", 1, INT32_MAX, "abc"},
      {"abc", INT32_MAX, 1, ""}, {"", 1, 1, ""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Take(StringMid3(Str(c.s).get(), c.start, c.n)), c.expected)
        << c.s << " " << c.start << " " << c.n;
  }
}

TEST_F(StringFunctionsTest, MidToTheEnd) {
  struct Case {
    const char* s;
    int32_t start;
    const char* expected;
  };
  const Case cases[] = {
      {"abc", -5, "abc"}, {"abc", 1, "abc"}, {"abc", 2, "bc"}, {"abc", 3, "c"},
      {"abc", 4, ""},     {"", 1, ""},       {"abc", INT32_MAX, ""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Take(StringMid2(Str(c.s).get(), c.start)), c.expected) << c.s << " " << c.start;
  }
}

TEST_F(StringFunctionsTest, WholeTextResultsAreTheArgumentItself) {
  StringRef s = Str("abc");
  StringRecord* results[] = {StringLeft(s.get(), 3), StringRight(s.get(), 5),
                             StringMid2(s.get(), 0), StringMid3(s.get(), 1, 3),
                             runTrim(s.get()),       runLTrim(s.get())};
  for (StringRecord* r : results) EXPECT_EQ(r, s.get());
  EXPECT_EQ(s.get()->refCount, 7);
  for (StringRecord* r : results) UnlockString(r);
}

TEST_F(StringFunctionsTest, LenAscChr) {
  EXPECT_EQ(StringLen(nullptr), 0);
  EXPECT_EQ(StringLen(Str("abc").get()), 3);
  EXPECT_EQ(StringAsc(nullptr), 0);
  EXPECT_EQ(StringAsc(Str("\xE9t\xE9").get()), 0xE9);
  EXPECT_EQ(Take(StringChr(65)), "A");
  EXPECT_EQ(Take(StringChr(0x141)), "A");  // the low 8 bits
  EXPECT_EQ(Take(StringChr(-1)), "\xFF");
  EXPECT_EQ(Take(StringChr(0)), std::string(1, '\0'));
}

TEST_F(StringFunctionsTest, CaseFunctionsFollowTheLocaleForWindows1252) {
  struct Case {
    const char* s;
    const char* lower;
    const char* upper;
  };
  const Case cases[] = {
      {"Hello World", "hello world", "HELLO WORLD"},
      {"\xC9t\xE9", "\xE9t\xE9", "\xC9T\xC9"},  // É t é
      {"\x8A\x9A", "\x9A\x9A", "\x8A\x8A"},     // Š š
      {"\x9F\xFF", "\xFF\xFF", "\x9F\x9F"},     // Ÿ ÿ
      {"\xB5\xDF", "\xB5\xDF", "\xB5\xDF"},     // µ ß: capitals outside the code page
      {"1-2_3", "1-2_3", "1-2_3"},
      {"", "", ""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Take(StringLCase(Str(c.s).get())), c.lower) << c.s;
    EXPECT_EQ(Take(StringUCase(Str(c.s).get())), c.upper) << c.s;
  }
}

TEST_F(StringFunctionsTest, TitleCase) {
  struct Case {
    const char* s;
    const char* expected;
  };
  const Case cases[] = {
      {"hello wORLD", "Hello World"},
      {"  two\tWORDS\nhere", "  Two\tWords\nHere"},
      {"\xE9t\xC9", "\xC9t\xE9"},
      {"o'NEIL mcDONALD", "O'neil Mcdonald"},
      {"123abc", "123abc"},
      {"", ""},
  };
  for (const Case& c : cases) EXPECT_EQ(Take(StringTitleCase(Str(c.s).get())), c.expected);
}

TEST_F(StringFunctionsTest, TrimsRemoveLocaleBlanks) {
  struct Case {
    const char* s;
    const char* left;
    const char* right;
    const char* both;
  };
  const Case cases[] = {
      {" \t\r\n a b \v\f ", "a b \v\f ", " \t\r\n a b", "a b"},
      {" \t ", "", "", ""},
      {"", "", "", ""},
      {"ab", "ab", "ab", "ab"},
      {"\xA0x\xA0", "\xA0x\xA0", "\xA0x\xA0", "\xA0x\xA0"},  // no-break space is not blank
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Take(runLTrim(Str(c.s).get())), c.left);
    EXPECT_EQ(Take(runRTrim(Str(c.s).get())), c.right);
    EXPECT_EQ(Take(runTrim(Str(c.s).get())), c.both);
  }
}

TEST_F(StringFunctionsTest, LanguageComparisonIgnoresCaseInTheLocaleOrder) {
  struct Case {
    std::string_view a;
    std::string_view b;
    int32_t expected;
  };
  const Case cases[] = {
      {"abc", "ABC", 0},
      {"", "", 0},
      {"a", "b", -1},
      {"B", "a", 1},
      {"ab", "abc", -1},
      {"\xE9", "\xC9", 0},   // é and É
      {"\xE9", "f", -1},     // é sorts with e, before f (not by byte value)
      {"z", "\xE9", 1},
      {std::string_view("a\0b", 3), std::string_view("a\0c", 3), -1},
      {std::string_view("a\0", 2), "a", 1},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(RuntimeStringCompare(Str(c.a).get(), Str(c.b).get()), c.expected)
        << c.a << " / " << c.b;
  }
  StringRef same = Str("x");
  EXPECT_EQ(RuntimeStringCompare(same.get(), same.get()), 0);
  EXPECT_EQ(RuntimeStringCompare(nullptr, nullptr), 0);
}

TEST_F(StringFunctionsTest, NilAndAnEmptyRecordCompareEqual) {
  uint8_t bytes[4] = {0, 0, 0, 0};
  StringRecord empty{1, bytes, 0, 0};
  EXPECT_EQ(RuntimeStringCompare(nullptr, &empty), 0);
  EXPECT_EQ(StringStrCompare(&empty, nullptr, 0), 0);
  EXPECT_EQ(StringStrCompare(&empty, nullptr, 1), 0);
}

TEST_F(StringFunctionsTest, StrCompareBytesOrLocaleWithCase) {
  struct Case {
    const char* a;
    const char* b;
    int32_t mode;
    int32_t expected;
  };
  const Case cases[] = {
      {"a", "B", 0, 1},       // bytes: "a" (0x61) after "B" (0x42)
      {"B", "a", 0, -1},
      {"abc", "abc", 0, 0},
      {"ab", "abc", 0, -1},
      {"\xE9", "f", 0, 1},    // unsigned bytes
      {"a", "B", 1, -1},      // locale: a before B
      {"a", "A", 1, -1},      // case counts: lower case first in this locale
      {"abc", "abc", 7, 0},
      {"\xE9", "f", 1, -1},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(StringStrCompare(Str(c.a).get(), Str(c.b).get(), c.mode), c.expected)
        << c.a << " / " << c.b << " mode " << c.mode;
  }
}

TEST_F(StringFunctionsTest, Windows1252AndUtf8) {
  struct Case {
    std::string_view cp1252;
    std::string_view utf8;
  };
  const Case cases[] = {
      {"plain", "plain"},
      {"\xE9", "\xC3\xA9"},
      {"\x80", "\xE2\x82\xAC"},    // euro sign
      {"\x9F", "\xC5\xB8"},        // Y diaeresis
      {"\x81", "\xC2\x81"},        // undefined in the code page: kept as its control
      {"\xFF", "\xC3\xBF"},
      {std::string_view("\0", 1), std::string_view("\0", 1)},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Windows1252ToUtf8(c.cp1252), c.utf8);
    EXPECT_EQ(Utf8ToWindows1252(c.utf8), c.cp1252);
  }
  std::string all;
  for (int i = 0; i < 256; ++i) all += static_cast<char>(i);
  EXPECT_EQ(Utf8ToWindows1252(Windows1252ToUtf8(all)), all);
}

TEST_F(StringFunctionsTest, Utf8ThatTheCodePageCannotHoldBecomesQuestionMarks) {
  struct Case {
    std::string_view utf8;
    std::string_view cp1252;
  };
  const Case cases[] = {
      {"\xE4\xB8\xAD", "?"},              // a CJK character
      {"\xF0\x9F\x8E\xB5x", "?x"},        // outside the basic plane
      {"\xC3", "?"},                      // truncated
      {"\x80" "a", "?a"},                 // stray continuation byte
      {"\xC0\xAF", "??"},                 // overlong
      {"\xED\xA0\x80", "???"},            // surrogate
      {"\xE2\x82", "??"},                 // truncated three-byte sequence
  };
  for (const Case& c : cases) EXPECT_EQ(Utf8ToWindows1252(c.utf8), c.cp1252);
  StringRef fromUtf8 = StringRef::Adopt(MakeStringFromUtf8("caf\xC3\xA9"));
  EXPECT_EQ(fromUtf8.view(), "caf\xE9");
  EXPECT_EQ(StringToUtf8(fromUtf8.get()), "caf\xC3\xA9");
}

TEST_F(StringFunctionsTest, NilIsTheEmptyStringForEveryEntry) {
  StringRecord* const nil = nullptr;
  StringRecord* results[] = {
      RuntimeAddString(nil, nil),      StringLeft(nil, 3),           StringRight(nil, 3),
      StringMid2(nil, 1),              StringMid3(nil, 1, 3),        StringLCase(nil),
      StringUCase(nil),                StringTitleCase(nil),         StringReplace(nil, nil, nil),
      StringReplaceAll(nil, nil, nil), StringNthField(nil, nil, 1),  StringFormat(0, nil),
      runLTrim(nil),                   runRTrim(nil),                runTrim(nil),
      StringDBCSLeft(nil, 2),          StringDBCSRight(nil, 2),      StringDBCSMid2(nil, 1),
      StringDBCSMid3(nil, 1, 1),
  };
  for (StringRecord* r : results) EXPECT_EQ(r, nullptr);
  int32_t numbers[] = {
      RuntimeStringCompare(nil, nil), StringLen(nil),           StringAsc(nil),
      StringInStr(1, nil, nil),       StringInStrB(1, nil, nil), StringCountFields(nil, nil),
      StringStrCompare(nil, nil, 0),  StringStrCompare(nil, nil, 1),
      StringDBCSLen(nil),             StringDBCSInStr(1, nil, nil), StringDBCSAsc(nil),
  };
  for (int32_t n : numbers) EXPECT_EQ(n, 0);
  EXPECT_EQ(StringVal(nil), 0);
  EXPECT_EQ(runCDbl(nil), 0);
  EXPECT_EQ(RuntimeStringCompare(nil, Str("a").get()), -1);
  EXPECT_EQ(Take(StringReplaceAll(Str("abc").get(), Str("b").get(), nil)), "ac");
}

}  // namespace
}  // namespace strings_test
