// The double-byte family: in single-byte mode (Windows-1252, the normal case) each member
// gives exactly what its plain member gives; in double-byte mode (lead bytes of a two-byte
// code page installed through the test hook) counts and positions are in characters and a
// trail byte is never taken for a character of its own.
#include <random>
#include <string>

#include "runtime/entries/entries.h"
#include "runtime/objects/stringinternal.h"
#include "tests/strings/stringtestsupport.h"

namespace strings_test {
namespace {

using StringDbcsSingleByteTest = StringTest;

std::string RandomText(std::mt19937& rng) {
  static const char kAlphabet[] = "aAbB \xE9\xC9\x82";
  std::string text(rng() % 8, ' ');
  for (char& c : text) c = kAlphabet[rng() % (sizeof kAlphabet - 1)];
  return text;
}

TEST_F(StringDbcsSingleByteTest, EveryMemberEqualsItsPlainMember) {
  ASSERT_FALSE(string_internal::Tables().doubleByte);
  std::mt19937 rng(1252);
  for (int round = 0; round < 500; ++round) {
    StringRef s = Str(RandomText(rng));
    StringRef find = Str(RandomText(rng).substr(0, 2));
    auto n = static_cast<int32_t>(rng() % 12) - 3;
    auto m = static_cast<int32_t>(rng() % 12) - 3;
    EXPECT_EQ(StringDBCSLen(s.get()), StringLen(s.get()));
    EXPECT_EQ(Take(StringDBCSLeft(s.get(), n)), Take(StringLeft(s.get(), n)));
    EXPECT_EQ(Take(StringDBCSRight(s.get(), n)), Take(StringRight(s.get(), n)));
    EXPECT_EQ(Take(StringDBCSMid2(s.get(), n)), Take(StringMid2(s.get(), n)));
    EXPECT_EQ(Take(StringDBCSMid3(s.get(), n, m)), Take(StringMid3(s.get(), n, m)));
    EXPECT_EQ(StringDBCSInStr(n, s.get(), find.get()), StringInStr(n, s.get(), find.get()));
    EXPECT_EQ(StringDBCSAsc(s.get()), StringAsc(s.get()));
    int32_t code = static_cast<int32_t>(rng() % 70000) - 1000;
    EXPECT_EQ(Take(StringDBCSChr(code)), Take(StringChr(code))) << code;
  }
}

// Installs the lead bytes of a Shift-JIS-like code page for one test.
class StringDbcsDoubleByteTest : public StringTest {
 protected:
  void SetUp() override {
    StringTest::SetUp();
    bool lead[256] = {};
    for (int b = 0x81; b <= 0x9F; ++b) lead[b] = true;
    for (int b = 0xE0; b <= 0xFC; ++b) lead[b] = true;
    string_internal::SetLeadBytesForTesting(lead);
  }
  void TearDown() override {
    string_internal::SetLeadBytesForTesting(nullptr);
    StringTest::TearDown();
  }
};

// a, HIRAGANA A (82 A0), b, a kanji (88 9F): four characters in six bytes.
const std::string kMixed = "a\x82\xA0" "b\x88\x9F";

TEST_F(StringDbcsDoubleByteTest, CountsAndCutsInCharacters) {
  StringRef s = Str(kMixed);
  EXPECT_TRUE(string_internal::Tables().doubleByte);
  EXPECT_EQ(StringDBCSLen(s.get()), 4);
  EXPECT_EQ(StringLen(s.get()), 6);
  EXPECT_EQ(Take(StringDBCSLeft(s.get(), 2)), "a\x82\xA0");
  EXPECT_EQ(Take(StringDBCSLeft(s.get(), 0)), "");
  EXPECT_EQ(Take(StringDBCSRight(s.get(), 1)), "\x88\x9F");
  EXPECT_EQ(Take(StringDBCSRight(s.get(), 3)), "\x82\xA0" "b\x88\x9F");
  EXPECT_EQ(Take(StringDBCSMid2(s.get(), 3)), "b\x88\x9F");
  EXPECT_EQ(Take(StringDBCSMid2(s.get(), 5)), "");
  EXPECT_EQ(Take(StringDBCSMid3(s.get(), 2, 2)), "\x82\xA0" "b");
  EXPECT_EQ(Take(StringDBCSMid3(s.get(), 0, 2)), "a");
  EXPECT_EQ(Take(StringDBCSMid3(s.get(), 4, 9)), "\x88\x9F");
  StringRecord* whole = StringDBCSLeft(s.get(), 4);
  EXPECT_EQ(whole, s.get());
  UnlockString(whole);
}

TEST_F(StringDbcsDoubleByteTest, AscAndChrUseTwoByteCodes) {
  EXPECT_EQ(StringDBCSAsc(Str("\x82\xA0z").get()), 0x82A0);
  EXPECT_EQ(StringDBCSAsc(Str("a").get()), 'a');
  EXPECT_EQ(StringDBCSAsc(Str("\x82").get()), 0x82);  // a lone lead byte at the end
  EXPECT_EQ(StringDBCSAsc(nullptr), 0);
  EXPECT_EQ(Take(StringDBCSChr(0x82A0)), "\x82\xA0");
  EXPECT_EQ(Take(StringDBCSChr(0x41)), "A");
  EXPECT_EQ(Take(StringDBCSChr(255)), "\xFF");
}

TEST_F(StringDbcsDoubleByteTest, SearchesStepOverWholeCharacters) {
  StringRef s = Str(kMixed);
  EXPECT_EQ(StringDBCSInStr(1, s.get(), Str("B").get()), 3);
  EXPECT_EQ(StringDBCSInStr(1, s.get(), Str("\x88\x9F").get()), 4);
  EXPECT_EQ(StringDBCSInStr(3, s.get(), Str("\x82\xA0").get()), 0);
  EXPECT_EQ(StringDBCSInStr(5, s.get(), Str("b").get()), 0);
  EXPECT_EQ(StringDBCSInStr(2, s.get(), Str("").get()), 2);
  EXPECT_EQ(StringDBCSInStr(1, nullptr, Str("a").get()), 0);
  // The trail byte of 82 61 is "a" but no character "a" starts there.
  StringRef trail = Str("\x82\x61x");
  EXPECT_EQ(StringInStr(1, trail.get(), Str("A").get()), 0);
  EXPECT_EQ(StringDBCSInStr(1, trail.get(), Str("X").get()), 2);
  EXPECT_EQ(StringCountFields(Str("\x83\x5C,x").get(), Str("\\").get()), 1);
}

TEST_F(StringDbcsDoubleByteTest, CaseFunctionsLeaveTwoByteCharactersAlone) {
  EXPECT_EQ(Take(StringUCase(Str("\x82\x61x").get())), "\x82\x61X");
  EXPECT_EQ(Take(StringLCase(Str("\x82\x41X").get())), "\x82\x41x");
  EXPECT_EQ(Take(StringTitleCase(Str("ab \x82\x61 cd").get())), "Ab \x82\x61 Cd");
}

}  // namespace
}  // namespace strings_test
