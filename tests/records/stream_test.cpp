// The stream primitives: compact integers (every width, the sign rules, the 32-bit limit),
// texts, bytes and big-endian words, and how damage is reported and sticks.
#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

#include "runtime/records/stream.h"
#include "tests/records/blockbuilder.h"

namespace {

StreamReader Over(const std::vector<uint8_t>& bytes) {
  return StreamReader("probe", 0x10, bytes.data(), static_cast<uint32_t>(bytes.size()));
}

struct CompactCase {
  std::vector<uint8_t> bytes;
  int32_t value;
};

TEST(CompactInteger, DecodesEveryWidthAndSign) {
  const CompactCase cases[] = {
      {{0x15}, 21},
      {{0x00}, 0},
      {{0x40}, 0},  // negative zero
      {{0x3F}, 63},
      {{0x7F}, -63},
      {{0x80, 0x01}, 64},  // a class index of 64 takes two bytes
      {{0xC1, 0x02}, -129},
      {{0xBF, 0x7F}, 8191},
      {{0x80, 0x80, 0x01}, 8192},
      {{0xBF, 0xFF, 0xFF, 0xFF, 0x0F}, INT32_MAX},
      {{0xFF, 0xFF, 0xFF, 0xFF, 0x0F}, -INT32_MAX},
      {{0x80, 0x80, 0x80, 0x80, 0x10}, INT32_MIN},  // the menu bar's "no index"
      {{0xC0, 0x80, 0x80, 0x80, 0x10}, INT32_MIN},  // 0x80000000 is never negated
      {{0x90, 0x80, 0x80, 0x80, 0x10}, static_cast<int32_t>(0x80000010u)},
      {{0x80, 0x80, 0x80, 0x80, 0x1F}, static_cast<int32_t>(0xF8000000u)},
  };
  for (const auto& c : cases) {
    StreamReader s = Over(c.bytes);
    int32_t value = 0;
    ASSERT_TRUE(s.ReadCompactInteger("n", value)) << s.Error();
    EXPECT_EQ(value, c.value);
    EXPECT_TRUE(s.AtEnd());
  }
}

TEST(CompactInteger, EncoderRoundTripsThroughTheReader) {
  const int64_t values[] = {0, 1, -1, 63, 64, -64, 8191, 8192, 1 << 20, -(1 << 27),
                            INT32_MAX, -INT32_MAX};
  for (int64_t v : values) {
    records_test::StreamBuilder b;
    b.Int(v);
    StreamReader s = Over(b.bytes);
    int32_t value = 0;
    ASSERT_TRUE(s.ReadCompactInteger("n", value)) << v;
    EXPECT_EQ(value, v);
  }
}

struct DamageCase {
  std::vector<uint8_t> bytes;
  const char* message;
};

TEST(CompactInteger, RefusesTruncatedAndOverlongForms) {
  const DamageCase cases[] = {
      {{}, "probe at data1+0x10: the stream ends inside the compact integer 'n' "
           "(stream byte 0 of 0)"},
      {{0x80}, "probe at data1+0x10: the stream ends inside the compact integer 'n' "
               "(stream byte 0 of 1)"},
      {{0x80, 0x80, 0x80, 0x80}, "probe at data1+0x10: the stream ends inside the compact "
                                 "integer 'n' (stream byte 0 of 4)"},
      {{0x80, 0x80, 0x80, 0x80, 0x20}, "probe at data1+0x10: the compact integer 'n' is "
                                       "longer than 32 bits (stream byte 0 of 5)"},
      {{0x80, 0x80, 0x80, 0x80, 0x80, 0x00}, "probe at data1+0x10: the compact integer 'n' "
                                             "is longer than 32 bits (stream byte 0 of 6)"},
  };
  for (const auto& c : cases) {
    StreamReader s = Over(c.bytes);
    int32_t value = 0;
    EXPECT_FALSE(s.ReadCompactInteger("n", value));
    EXPECT_EQ(s.Error(), c.message);
  }
}

TEST(CompactInteger, CountsAndClassIndexesAreRangeChecked) {
  std::vector<uint8_t> negative = {0x43};
  StreamReader a = Over(negative);
  int32_t value = 0;
  EXPECT_FALSE(a.ReadCount("control count", value));
  EXPECT_EQ(a.Error(), "probe at data1+0x10: negative control count -3 (stream byte 0 of 1)");

  std::vector<uint8_t> big = {0x80, 0x01};  // 64
  StreamReader b = Over(big);
  EXPECT_FALSE(b.ReadClassIndex("class index", 64, value));
  EXPECT_EQ(b.Error(), "probe at data1+0x10: class index 64 is outside the class table "
                       "(64 classes) (stream byte 0 of 2)");
  StreamReader c = Over(big);
  EXPECT_TRUE(c.ReadClassIndex("class index", 65, value));
  EXPECT_EQ(value, 64);
  StreamReader d = Over(big);
  EXPECT_TRUE(d.ReadClassIndex("class index", -1, value));  // no table to check against
}

TEST(Text, ReadsCountedBytesAndEmptyForms) {
  records_test::StreamBuilder b;
  b.Text("Esci").Raw({0x00}).Raw({0x45}).Text("x");  // "", n = -5 is empty too
  StreamReader s = Over(b.bytes);
  std::string_view t;
  ASSERT_TRUE(s.ReadText("a", t));
  EXPECT_EQ(t, "Esci");
  ASSERT_TRUE(s.ReadText("b", t));
  EXPECT_TRUE(t.empty());
  ASSERT_TRUE(s.ReadText("c", t));
  EXPECT_TRUE(t.empty());
  ASSERT_TRUE(s.ReadText("d", t));
  EXPECT_EQ(t, "x");
  EXPECT_TRUE(s.AtEnd());
}

TEST(Text, RefusesATextLongerThanTheStream) {
  std::vector<uint8_t> bytes = {0x01, 'a', 0x05, 'b', 'c'};
  StreamReader s = Over(bytes);
  std::string_view t;
  ASSERT_TRUE(s.ReadText("caption", t));
  EXPECT_FALSE(s.ReadText("caption", t));
  EXPECT_EQ(s.Error(), "probe at data1+0x10: the text 'caption' of 5 bytes runs past the end "
                       "of the stream (stream byte 2 of 5)");
}

TEST(Primitives, BytesAndBigEndianWords) {
  std::vector<uint8_t> bytes = {0x07, 0x00, 0x00, 0x01, 0x02, 0xAA};
  StreamReader s = Over(bytes);
  uint8_t b = 0;
  uint32_t w = 0;
  ASSERT_TRUE(s.ReadByte("flag", b));
  EXPECT_EQ(b, 7);
  ASSERT_TRUE(s.ReadBigEndianWord("word", w));
  EXPECT_EQ(w, 0x00000102u);
  EXPECT_FALSE(s.ReadBigEndianWord("word", w));
  EXPECT_EQ(s.Error(),
            "probe at data1+0x10: the stream ends inside the word 'word' (stream byte 5 of 6)");
}

TEST(Primitives, TheFirstFailureSticks) {
  std::vector<uint8_t> bytes = {0x80, 0x05, 0x01};
  StreamReader s = Over(bytes);
  std::string_view t;
  int32_t v = 0;
  EXPECT_FALSE(s.ReadText("first", t));  // length 320 > 0 bytes left
  std::string first = s.Error();
  uint8_t b = 0;
  EXPECT_FALSE(s.ReadByte("second", b));  // a byte is there, but the stream has failed
  EXPECT_FALSE(s.ReadCompactInteger("third", v));
  EXPECT_EQ(s.Error(), first);
}

}  // namespace
