// String literal records: the shapes a writer emits (including the empty literal) and each
// kind of damage the check refuses.
#include <gtest/gtest.h>

#include <string>

#include "runtime/records/literal.h"
#include "tests/records/blockbuilder.h"

namespace {

using records_test::BlockBuilder;

TEST(StringLiteral, ReadsTextInPlace) {
  BlockBuilder b;
  b.Word(0);
  uint32_t at = b.Literal("NotePlayer1");
  LiteralView v;
  std::string error;
  ASSERT_TRUE(ReadStringLiteral(b.Block(), at, v, error)) << error;
  EXPECT_EQ(v.text, "NotePlayer1");
  EXPECT_EQ(v.offset, at);
  EXPECT_TRUE(v.present());
}

TEST(StringLiteral, EmptyLiteralHasALengthByteAndThreePaddingBytes) {
  BlockBuilder b;
  uint32_t at = b.Literal("");
  EXPECT_EQ(at, 4u);
  LiteralView v;
  std::string error;
  ASSERT_TRUE(ReadStringLiteral(b.Block(), at, v, error)) << error;
  EXPECT_TRUE(v.text.empty());
}

TEST(StringLiteral, RefusesDamage) {
  struct Case {
    const char* name;
    void (*damage)(BlockBuilder&, uint32_t at);
    uint32_t size;  // 0: whole block
    const char* message;
  };
  const Case cases[] = {
      {"record cut", nullptr, 20, "string literal at data1+0x8: the record runs past the end of data1"},
      {"buffer outside", [](BlockBuilder& b, uint32_t at) { b.Patch(at + 4, 0x999); }, 0,
       "string literal at data1+0x8: its buffer pointer 0x999 is outside data1"},
      {"too long", [](BlockBuilder& b, uint32_t at) { b.Patch(at + 12, 256); }, 0,
       "string literal at data1+0x8: length 256 is above 255"},
      {"text past end", [](BlockBuilder& b, uint32_t at) { b.Patch(at + 4, 22); }, 0,
       "string literal at data1+0x8: its text runs past the end of data1"},
      {"length byte", [](BlockBuilder& b, uint32_t) { b.bytes[0] = 2; }, 0,
       "string literal at data1+0x8: length byte 2 differs from length 3"},
      {"no zero", [](BlockBuilder& b, uint32_t) { b.bytes[4] = '!'; }, 0,
       "string literal at data1+0x8: its text is not followed by a zero byte"},
  };
  for (const auto& c : cases) {
    BlockBuilder b;
    uint32_t at = b.Literal("abc");
    if (c.damage != nullptr) c.damage(b, at);
    DataBlock block = b.Block();
    if (c.size != 0) block.size = c.size;
    LiteralView v;
    std::string error;
    EXPECT_FALSE(ReadStringLiteral(block, at, v, error)) << c.name;
    EXPECT_EQ(error, c.message) << c.name;
  }
}

TEST(StringLiteral, PointerZeroIsAbsentOnlyWhereAllowed) {
  BlockBuilder b;
  b.Literal("x");
  LiteralView v;
  std::string error;
  EXPECT_TRUE(ReadLiteralPointer(b.Block(), 0, true, "name", 0, v, error));
  EXPECT_FALSE(v.present());
  EXPECT_FALSE(ReadLiteralPointer(b.Block(), 0, false, "name", 0x40, v, error));
  EXPECT_EQ(error, "name at data1+0x40: the string pointer is 0");
}

TEST(DataBlock, PointersAndAddressesMapToOffsetsInsideOnly) {
  uint8_t bytes[16] = {};
  DataBlock raw = DataBlock::Unrelocated(bytes, 16);
  uint32_t offset = 0;
  EXPECT_TRUE(raw.ResolvePointer(15, offset));
  EXPECT_EQ(offset, 15u);
  EXPECT_FALSE(raw.ResolvePointer(16, offset));
  DataBlock moved = DataBlock::Relocated(bytes, 16);
  EXPECT_TRUE(moved.ResolvePointer(moved.pointerBase + 3, offset));
  EXPECT_EQ(offset, 3u);
  EXPECT_FALSE(moved.ResolvePointer(moved.pointerBase - 1, offset));
  EXPECT_FALSE(moved.ResolvePointer(3, offset));
  EXPECT_TRUE(moved.OffsetOfAddress(bytes + 4, offset));
  EXPECT_EQ(offset, 4u);
  EXPECT_FALSE(moved.OffsetOfAddress(bytes + 16, offset));
  EXPECT_TRUE(raw.Contains(16, 0));
  EXPECT_FALSE(raw.Contains(12, 5));
  EXPECT_FALSE(raw.Contains(8, 0xFFFFFFFCu));  // no wrap-around
  uint32_t w = 0;
  EXPECT_FALSE(raw.ReadWord(13, w));
}

}  // namespace
