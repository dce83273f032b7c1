// Searching: StringInStr / StringInStrB at every boundary of start, text and pattern, the
// Boyer-Moore path against the plain scan on random texts, replacing, and fields.
#include <random>
#include <string>
#include <vector>

#include "runtime/entries/entries.h"
#include "runtime/objects/stringinternal.h"
#include "tests/strings/stringtestsupport.h"

namespace strings_test {
namespace {

using StringSearchTest = StringTest;

struct InStrCase {
  int32_t start;
  const char* s;
  const char* find;
  int32_t ignoringCase;  // StringInStr
  int32_t exact;         // StringInStrB
};

TEST_F(StringSearchTest, InStrBoundaries) {
  const InStrCase cases[] = {
      {1, "Hello", "", 1, 1},
      {0, "Hello", "", 0, 0},
      {-7, "Hello", "", -7, -7},  // an empty find gives start unchanged
      {99, "Hello", "", 99, 99},
      {1, "", "a", 0, 0},
      {1, "", "", 0, 0},
      {10, "Hello", "l", 0, 0},
      {6, "Hello", "l", 0, 0},
      {5, "Hello", "o", 5, 5},
      {1, "Hello", "LL", 3, 0},
      {1, "Hello", "ll", 3, 3},
      {4, "Hello", "l", 4, 4},
      {0, "Hello", "h", 1, 0},
      {-100, "Hello", "H", 1, 1},
      {1, "Hello", "Hello!", 0, 0},
      {2, "Hello", "Hello", 0, 0},
      {1, "aaa", "aa", 1, 1},
      {2, "aaa", "aa", 2, 2},
      {3, "aaa", "aa", 0, 0},
      {1, "caf\xC9", "\xE9", 4, 0},  // accented letters fold through the locale's tables
      {1, "\xFF", "\x9F", 1, 0},     // y-diaeresis and its capital in Windows-1252
  };
  for (const InStrCase& c : cases) {
    EXPECT_EQ(StringInStr(c.start, Str(c.s).get(), Str(c.find).get()), c.ignoringCase)
        << c.start << " " << c.s << " " << c.find;
    EXPECT_EQ(StringInStrB(c.start, Str(c.s).get(), Str(c.find).get()), c.exact)
        << c.start << " " << c.s << " " << c.find;
  }
}

TEST_F(StringSearchTest, InStrSeesZeroBytes) {
  std::string text("ab\0cd\0ef", 8);
  EXPECT_EQ(StringInStrB(1, Str(text).get(), Str(std::string("\0e", 2)).get()), 6);
  EXPECT_EQ(StringInStr(1, Str(text).get(), Str("CD").get()), 4);
}

// Texts over a small alphabet so that near-matches are frequent.
std::string RandomText(std::mt19937& rng, size_t length, int alphabet) {
  std::uniform_int_distribution<int> pick(0, alphabet - 1);
  std::string text(length, ' ');
  for (char& c : text) c = static_cast<char>('a' + pick(rng));
  return text;
}

int32_t PlainPosition(const std::string& text, const std::string& find, int32_t from) {
  return string_internal::FindPlain(reinterpret_cast<const uint8_t*>(text.data()),
                                    static_cast<int32_t>(text.size()),
                                    reinterpret_cast<const uint8_t*>(find.data()),
                                    static_cast<int32_t>(find.size()), from);
}

int32_t BoyerMoorePosition(const std::string& text, const std::string& find, int32_t from) {
  return string_internal::FindBoyerMoore(reinterpret_cast<const uint8_t*>(text.data()),
                                         static_cast<int32_t>(text.size()),
                                         reinterpret_cast<const uint8_t*>(find.data()),
                                         static_cast<int32_t>(find.size()), from);
}

TEST_F(StringSearchTest, BoyerMooreAgreesWithThePlainScan) {
  std::mt19937 rng(20261208);
  for (int round = 0; round < 3000; ++round) {
    int alphabet = 2 + round % 4;
    std::string text = RandomText(rng, 1 + rng() % 400, alphabet);
    std::string find;
    if (round % 3 == 0 && text.size() > 5) {  // often a piece of the text itself
      size_t at = rng() % (text.size() - 5);
      find = text.substr(at, 5 + rng() % std::min<size_t>(40, text.size() - at - 4));
    } else {
      find = RandomText(rng, 1 + rng() % 12, alphabet);
    }
    if (find.size() > text.size()) continue;
    int32_t from = static_cast<int32_t>(rng() % (text.size() - find.size() + 1));
    ASSERT_EQ(BoyerMoorePosition(text, find, from), PlainPosition(text, find, from))
        << "text " << text << " find " << find << " from " << from;
  }
}

TEST_F(StringSearchTest, InStrBMatchesThePlainScanOnBothSidesOfTheBoyerMooreThreshold) {
  std::mt19937 rng(7);
  for (int round = 0; round < 400; ++round) {
    std::string text = RandomText(rng, 80 + rng() % 20, 2);
    std::string find = RandomText(rng, 4 + rng() % 3, 2);
    int32_t start = 1 + static_cast<int32_t>(rng() % 8);
    int32_t plain = PlainPosition(text, find, start - 1);
    ASSERT_EQ(StringInStrB(start, Str(text).get(), Str(find).get()), plain < 0 ? 0 : plain + 1)
        << text << " / " << find << " from " << start;
  }
}

TEST_F(StringSearchTest, LongPatternsBeyondTheTablesStillFindTheirMatch) {
  std::string find(3000, 'q');
  find.back() = 'r';
  std::string text = std::string(5000, 'q') + find + "tail";
  EXPECT_EQ(StringInStrB(1, Str(text).get(), Str(find).get()), 5001);
  EXPECT_EQ(StringInStr(1, Str(text).get(), Str("QR").get()), 7999);
}

TEST_F(StringSearchTest, ReplaceFirstOccurrenceIgnoringCase) {
  struct Case {
    const char* s;
    const char* find;
    const char* repl;
    const char* expected;
  };
  const Case cases[] = {
      {"Hello World", "WORLD", "there", "Hello there"},
      {"aXbXc", "x", "--", "a--bXc"},
      {"abc", "", "z", "abc"},
      {"abc", "d", "z", "abc"},
      {"", "a", "z", ""},
      {"abc", "abc", "", ""},
      {"abc", "B", "", "ac"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Take(StringReplace(Str(c.s).get(), Str(c.find).get(), Str(c.repl).get())),
              c.expected)
        << c.s;
  }
  StringRef s = Str("abc");
  StringRecord* same = StringReplace(s.get(), Str("q").get(), Str("z").get());
  EXPECT_EQ(same, s.get());
  UnlockString(same);
}

TEST_F(StringSearchTest, ReplaceAllLeftToRightWithoutOverlap) {
  struct Case {
    const char* s;
    const char* find;
    const char* repl;
    const char* expected;
  };
  const Case cases[] = {
      {"aaaa", "aa", "b", "bb"},
      {"aaa", "aa", "b", "ba"},
      {"a.b.c", ".", "::", "a::b::c"},
      {"xAxa", "A", "a", "xaxa"},
      {"abab", "ab", "ab", "abab"},
      {"aa", "a", "aa", "aaaa"},  // the search resumes after each replaced occurrence
      {"abc", "", "z", "abc"},
      {"", "a", "z", ""},
      {"abc", "abc", "", ""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Take(StringReplaceAll(Str(c.s).get(), Str(c.find).get(), Str(c.repl).get())),
              c.expected)
        << c.s;
  }
}

TEST_F(StringSearchTest, CountFields) {
  struct Case {
    const char* s;
    const char* sep;
    int32_t expected;
  };
  const Case cases[] = {
      {"", ",", 0},      {"", "", 0},          {"abc", "", 1},    {"a,b,,c", ",", 4},
      {"abc", ",", 1},   {",", ",", 2},        {"aXbxc", "x", 3}, {"aaaa", "aa", 3},
      {"aaa", "aa", 2},  {"a--b--", "--", 3},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(StringCountFields(Str(c.s).get(), Str(c.sep).get()), c.expected)
        << c.s << " / " << c.sep;
  }
}

TEST_F(StringSearchTest, NthField) {
  struct Case {
    const char* s;
    const char* sep;
    int32_t n;
    const char* expected;
  };
  const Case cases[] = {
      {"a,b,,c", ",", 1, "a"},   {"a,b,,c", ",", 2, "b"},   {"a,b,,c", ",", 3, ""},
      {"a,b,,c", ",", 4, "c"},   {"a,b,,c", ",", 5, ""},    {"a,b,,c", ",", 0, ""},
      {"a,b,,c", ",", -1, ""},   {"a,b", "", 1, ""},        {"", ",", 1, ""},
      {"oneXtwoxthree", "x", 3, "three"},                    {"a,", ",", 2, ""},
      {"\xE9t\xC9" "b", "\xC9", 2, "t"},  // a separator that case-mapping changes
      {"\xE9t\xC9" "b", "\xC9", 3, "b"},
      {"aaaa", "aa", 2, ""},     {"aaaa", "aa", 3, ""},     {"aaa", "aa", 2, "a"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Take(StringNthField(Str(c.s).get(), Str(c.sep).get(), c.n)), c.expected)
        << c.s << " / " << c.sep << " / " << c.n;
  }
  StringRef whole = Str("abc");
  StringRecord* field = StringNthField(whole.get(), Str(",").get(), 1);
  EXPECT_EQ(field, whole.get());  // the only field is the text itself
  UnlockString(field);
}

}  // namespace
}  // namespace strings_test
