// The stream primitives (compact integers, texts) and the window and menu bar streams built
// on them: known encodings, round trips, and damaged streams.
#include <gtest/gtest.h>

#include "tools/imagekit/imagekit.h"

namespace {

using imagekit::Bytes;
using imagekit::ImageError;

TEST(CompactInteger, KnownEncodings) {
  struct Case {
    int32_t value;
    Bytes bytes;
  };
  const Case cases[] = {
      {21, {0x15}},
      {-129, {0xC1, 0x02}},
      {INT32_MIN, {0x80, 0x80, 0x80, 0x80, 0x10}},
      {0, {0x00}},
      {63, {0x3F}},
      {64, {0x80, 0x01}},  // a class index of 64 needs two bytes
      {-1, {0x41}},
      {INT32_MAX, {0xBF, 0xFF, 0xFF, 0xFF, 0x0F}},
  };
  for (const Case& c : cases) {
    Bytes out;
    imagekit::AppendCompactInt(out, c.value);
    EXPECT_EQ(out, c.bytes) << c.value;
    size_t pos = 0;
    EXPECT_EQ(imagekit::ReadCompactInt(c.bytes, pos), c.value);
    EXPECT_EQ(pos, c.bytes.size());
  }
}

TEST(CompactInteger, RoundTripsAcrossTheRange) {
  for (int64_t v = INT32_MIN; v <= INT32_MAX; v += 0x00FFFFFB) {
    Bytes out;
    imagekit::AppendCompactInt(out, int32_t(v));
    size_t pos = 0;
    ASSERT_EQ(imagekit::ReadCompactInt(out, pos), int32_t(v));
  }
}

TEST(CompactInteger, DamagedStreamsAreErrorsNotReadsPastTheEnd) {
  const Bytes truncated = {0x80, 0x80};
  const Bytes tooLong = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x01};
  for (const Bytes& b : {truncated, tooLong, Bytes{}}) {
    size_t pos = 0;
    EXPECT_THROW(imagekit::ReadCompactInt(b, pos), ImageError);
  }
}

TEST(Text, EmptyNegativeAndTruncated) {
  size_t pos = 0;
  EXPECT_EQ(imagekit::ReadText(Bytes{0x41, 'x'}, pos), "");  // n = -1 gives the empty text
  EXPECT_EQ(pos, 1u);
  pos = 0;
  EXPECT_EQ(imagekit::ReadText(Bytes{0x02, 'o', 'k'}, pos), "ok");
  pos = 0;
  EXPECT_THROW(imagekit::ReadText(Bytes{0x05, 'a', 'b'}, pos), ImageError);
}

TEST(WindowStream, RoundTripAndFieldOrder) {
  imagekit::WindowDesc w;
  w.classIndex = 70;
  w.properties = {{"Name", "fnMt"}, {"Title", "Note"}, {"Width", "391"}};
  w.controls = {{2, {{"Name", "StaticText1"}, {"Index", "-2147483648"}}}, {100, {}}};
  Bytes s = imagekit::EncodeWindowStream(w);
  // Window: count before class index; control: class index before count.
  EXPECT_EQ(s[0], 3);
  EXPECT_EQ(s[1], 0x86);
  EXPECT_EQ(s[2], 0x01);
  imagekit::WindowDesc back = imagekit::DecodeWindowStream(s);
  EXPECT_EQ(back.classIndex, 70);
  EXPECT_EQ(back.properties, w.properties);
  ASSERT_EQ(back.controls.size(), 2u);
  EXPECT_EQ(back.controls[0].properties, w.controls[0].properties);
  EXPECT_EQ(back.controls[1].classIndex, 100);
  EXPECT_EQ(s.back(), 0);  // binding count
}

TEST(WindowStream, NoControlsStillEndsWithTheBindingCount) {
  imagekit::WindowDesc w;
  w.classIndex = 1;
  Bytes s = imagekit::EncodeWindowStream(w);
  EXPECT_EQ(s, (Bytes{0x00, 0x01, 0x00, 0x00}));
  Bytes cut(s.begin(), s.end() - 1);
  EXPECT_THROW(imagekit::DecodeWindowStream(cut), ImageError);
}

TEST(WindowStream, ImpossibleCountsAreRefused) {
  Bytes s = {0x00, 0x01, 0xBF, 0xFF, 0xFF, 0xFF, 0x0F};  // two billion controls in 7 bytes
  EXPECT_THROW(imagekit::DecodeWindowStream(s), ImageError);
}

TEST(MenuBarStream, TreeRoundTripWithSubmenusAndSeparators) {
  using imagekit::MenuEntry;
  MenuEntry quit{0, "Esci", "FileQuit", INT32_MIN, "Q", "", "", 0, 169, {}, false};
  MenuEntry sep{2, "-", "", INT32_MIN, "", "", "", 0, 168, {}, false};
  MenuEntry note{0, "Note", "", INT32_MIN, "", "", "", 0, 168, {quit, sep}, false};
  MenuEntry file{0, "Archivio", "", INT32_MIN, "", "", "", 0, 168, {note, quit, sep}, false};
  MenuEntry last{2, "-", "", INT32_MIN, "", "", "", 0, 168, {}, false};
  Bytes s = imagekit::EncodeMenuBarStream({file, last});
  std::vector<MenuEntry> back = imagekit::DecodeMenuBarStream(s);
  ASSERT_EQ(back.size(), 2u);
  ASSERT_EQ(back[0].children.size(), 3u);
  EXPECT_TRUE(back[0].children[0].submenu);
  EXPECT_EQ(back[0].children[0].children.size(), 2u);
  EXPECT_EQ(back[0].children[1].name, "FileQuit");
  EXPECT_EQ(back[0].children[1].key, "Q");
  EXPECT_EQ(back[0].children[1].classIndex, 169);
  EXPECT_TRUE(back[1].children.empty());
}

TEST(MenuBarStream, OldNoIndexSpellingsReadAsNoIndex) {
  for (int32_t index : {int32_t(0x80000010u), int32_t(0x80100000u), 5}) {
    imagekit::MenuEntry e;
    e.index = index;
    Bytes s = imagekit::EncodeMenuBarStream({e});
    int32_t read = imagekit::DecodeMenuBarStream(s)[0].index;
    EXPECT_EQ(read, index == 5 ? 5 : INT32_MIN);
  }
}

}  // namespace
