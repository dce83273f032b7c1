// Source text handling: the two code pages of the image, and lexical forms (continuation
// lines, comments, doubled quotes, literal ranges) seen through compiled programs.
#include <gtest/gtest.h>

#include "tests/amxc/harness.h"
#include "tools/amxc/encoding.h"

namespace amxctest {
namespace {

struct Encoded {
  const char* utf8;
  const char* windows1252;  // nullptr: not representable
  const char* macRoman;
};

const Encoded kTexts[] = {
    {"plain ASCII", "plain ASCII", "plain ASCII"},
    {"perch\xC3\xA9", "perch\xE9", "perch\x8E"},
    {"verr\xC3\xA0", "verr\xE0", "verr\x88"},
    {"\xE2\x82\xAC", "\x80", "\xDB"},
    {"\xE2\x80\x9C" "x" "\xE2\x80\x9D", "\x93x\x94", "\xD2x\xD3"},
    {"\xC3\xB0", "\xF0", nullptr},        // eth: Windows-1252 only
    {"\xE2\x88\x9E", nullptr, "\xB0"},    // infinity: Mac Roman only
    {"\xE2\x98\x83", nullptr, nullptr},   // snowman: neither
    {"\xC3", nullptr, nullptr},           // truncated UTF-8
    {"\xC0\x80", nullptr, nullptr},       // an overlong NUL
};

TEST(Encoding, CodePagesOfTheImage) {
  for (const Encoded& t : kTexts) {
    auto w = amxc::ToWindows1252(t.utf8);
    auto m = amxc::ToMacRoman(t.utf8);
    if (t.windows1252) {
      ASSERT_TRUE(w.has_value()) << t.utf8;
      EXPECT_EQ(*w, t.windows1252);
    } else {
      EXPECT_FALSE(w.has_value()) << t.utf8;
    }
    if (t.macRoman) {
      ASSERT_TRUE(m.has_value()) << t.utf8;
      EXPECT_EQ(*m, t.macRoman);
    } else {
      EXPECT_FALSE(m.has_value()) << t.utf8;
    }
  }
}

TEST(Encoding, NamesTheCharacterThatHasNoByte) {
  std::string bad;
  EXPECT_FALSE(amxc::ToWindows1252("a\xE2\x98\x83", &bad));
  EXPECT_EQ(bad, "U+2603");
  EXPECT_FALSE(amxc::ToMacRoman("\xC3", &bad));
  EXPECT_EQ(bad, "malformed UTF-8");
}

struct LexCase {
  const char* what;
  const char* source;
  int32_t expected;
};

class Lexical : public ::testing::TestWithParam<LexCase> {};

TEST_P(Lexical, CompilesAndComputes) {
  const LexCase& c = GetParam();
  std::string error;
  auto program = LoadedProgram::Compile(c.source, &error);
  ASSERT_TRUE(program) << error;
  EXPECT_EQ(static_cast<int32_t>(program->Call("m.f")), c.expected) << c.what;
}

const LexCase kLexical[] = {
    {"keywords ignore case", "MODULE M\n  function F() AS integer\n    RETURN 3\n  END FUNCTION\nend module\n", 3},
    {"continuation line and comments",
     "Module M ' helpers\n  Function F() As Integer\n    Rem the sum\n    Return 1 + _\n      2 ' two\n"
     "  End Function\nEnd Module\n",
     3},
    {"several statements on a line", "Module M\n  Function F() As Integer\n    Dim a As Integer : a = 4 : Return a\n"
                                     "  End Function\nEnd Module\n",
     4},
    {"doubled quotes", "Module M\n  Function F() As Integer\n    Return Len(\"say \"\"hi\"\"\")\n  End Function\nEnd Module\n", 8},
    {"hexadecimal -1", "Module M\n  Function F() As Integer\n    Return &hFFFFFFFF\n  End Function\nEnd Module\n", -1},
    {"names with underscores and digits",
     "Module M\n  Function F() As Integer\n    Dim note_2 As Integer = 2\n    Return note_2 * 2\n"
     "  End Function\nEnd Module\n",
     4},
    {"a constant with the function-end bytes",
     "Module M\n  Function F() As Integer\n    Return &h2FC3C9 \\ 256\n  End Function\nEnd Module\n", 0x2FC3},
};
INSTANTIATE_TEST_SUITE_P(Sources, Lexical, ::testing::ValuesIn(kLexical));

TEST(Lexical, LiteralRangesAreChecked) {
  auto errors = CompileErrors("Module M\n  Function F() As Color\n    Return &c1000000 + &h123456789\n"
                              "  End Function\nEnd Module\n");
  ASSERT_EQ(errors.size(), 2u);
  EXPECT_EQ(errors[0], "test.amx:3:12: error: colour literal &c1000000 is out of range");
  EXPECT_EQ(errors[1], "test.amx:3:24: error: hexadecimal literal &h123456789 is out of range");
}

}  // namespace
}  // namespace amxctest
