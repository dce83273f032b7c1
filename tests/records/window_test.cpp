// Window description records read piece by piece, the parts a caller may pass over, the slot
// pair after each record, and damaged records with their messages.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "runtime/records/window.h"
#include "tests/records/blockbuilder.h"

namespace {

using records_test::BlockBuilder;
using records_test::StreamBuilder;

// Window of class 5 with Name and Title, two controls (class 64 with two properties, class 2
// with none) and one binding.
std::vector<uint8_t> FullStream() {
  StreamBuilder s;
  s.Int(2).Int(5).Text("Name").Text("fnMt").Text("Title").Text("Note");
  s.Int(2);
  s.Int(64).Int(2).Text("Name").Text("NotePlayer1").Text("Index").Text("-2147483648");
  s.Int(2).Int(0);
  s.Int(1).Int(0).Text("src").Int(1).Text("dst").Int(3).Text("a").Text("");
  return s.bytes;
}

struct Record {
  BlockBuilder b;
  uint32_t at;
  explicit Record(const std::vector<uint8_t>& stream) {
    b.Word(0);
    at = b.Counted(stream, false);
    b.Word(at);  // slot pair: pointer back to the record, instance variable
    b.Word(0);
  }
};

TEST(WindowDescription, ReadsEveryPieceInStreamOrder) {
  Record r(FullStream());
  WindowDescriptionReader reader(r.b.Block(), r.at, 70);
  int32_t count = 0, cls = 0;
  ASSERT_TRUE(reader.ReadWindow(count, cls));
  EXPECT_EQ(count, 2);
  EXPECT_EQ(cls, 5);
  WindowProperty p;
  std::vector<std::string> seen;
  while (reader.NextProperty(p)) seen.push_back(std::string(p.name) + "=" + std::string(p.value));
  EXPECT_EQ(seen, (std::vector<std::string>{"Name=fnMt", "Title=Note"}));
  int32_t controls = 0;
  ASSERT_TRUE(reader.ReadControlCount(controls));
  EXPECT_EQ(controls, 2);
  ControlHeader c;
  ASSERT_TRUE(reader.NextControl(c));
  EXPECT_EQ(c.number, 0);
  EXPECT_EQ(c.classIndex, 64);
  EXPECT_EQ(c.propertyCount, 2);
  ASSERT_TRUE(reader.NextProperty(p));
  EXPECT_EQ(p.value, "NotePlayer1");
  ASSERT_TRUE(reader.NextProperty(p));
  EXPECT_EQ(p.value, "-2147483648");
  EXPECT_FALSE(reader.NextProperty(p));
  ASSERT_TRUE(reader.NextControl(c));
  EXPECT_EQ(c.number, 1);
  EXPECT_EQ(c.classIndex, 2);
  EXPECT_FALSE(reader.NextControl(c));
  int32_t bindings = 0;
  ASSERT_TRUE(reader.ReadBindingCount(bindings));
  ASSERT_EQ(bindings, 1);
  WindowBinding bind;
  ASSERT_TRUE(reader.NextBinding(bind));
  EXPECT_EQ(bind.sourcePart, "src");
  EXPECT_EQ(bind.targetControl, 1);
  EXPECT_EQ(bind.classIndex, 3);
  EXPECT_EQ(bind.text1, "a");
  EXPECT_FALSE(reader.NextBinding(bind));
  EXPECT_FALSE(reader.Failed());
  EXPECT_EQ(reader.EndOffset(), r.at + 4 + FullStream().size());
}

TEST(WindowDescription, PiecesNotAskedForArePassedOver) {
  Record r(FullStream());
  WindowDescriptionReader reader(r.b.Block(), r.at);
  int32_t bindings = 0;
  ASSERT_TRUE(reader.ReadBindingCount(bindings)) << reader.Error();
  EXPECT_EQ(bindings, 1);

  WindowDescriptionReader partial(r.b.Block(), r.at);
  int32_t count = 0, cls = 0, controls = 0;
  WindowProperty p;
  ControlHeader c;
  ASSERT_TRUE(partial.ReadWindow(count, cls));
  ASSERT_TRUE(partial.NextProperty(p));  // one of two
  ASSERT_TRUE(partial.ReadControlCount(controls));
  ASSERT_TRUE(partial.NextControl(c));  // its properties are left unread
  ASSERT_TRUE(partial.NextControl(c));
  EXPECT_EQ(c.classIndex, 2);
}

TEST(WindowDescription, NoControlsStillEndsWithTheBindingCount) {
  StreamBuilder s;
  s.Int(0).Int(1).Int(0).Int(0);
  Record r(s.bytes);
  WindowDescriptionReader reader(r.b.Block(), r.at);
  int32_t controls = -1, bindings = -1;
  ASSERT_TRUE(reader.ReadControlCount(controls));
  EXPECT_EQ(controls, 0);
  ASSERT_TRUE(reader.ReadBindingCount(bindings));
  EXPECT_EQ(bindings, 0);

  StreamBuilder cut;
  cut.Int(0).Int(1).Int(0);  // the binding count is missing
  Record short_(cut.bytes);
  WindowDescriptionReader damaged(short_.b.Block(), short_.at);
  EXPECT_FALSE(damaged.ReadBindingCount(bindings));
  EXPECT_EQ(damaged.Error(), "window description at data1+0x4: the stream ends inside the "
                             "compact integer 'binding count' (stream byte 3 of 3)");
}

TEST(WindowDescription, RefusesDamageWithAMessage) {
  struct Case {
    const char* name;
    std::vector<uint8_t> stream;
    const char* message;
  };
  const Case cases[] = {
      {"negative property count", {0x41, 0x00},
       "window description at data1+0x4: negative window property count -1 (stream byte 0 of 2)"},
      {"class index beyond the table", {0x00, 0x80, 0x02, 0x00, 0x00},
       "window description at data1+0x4: window class index 128 is outside the class table "
       "(70 classes) (stream byte 1 of 5)"},
      {"value text cut", {0x01, 0x00, 0x01, 'N', 0x04, 'a', 'b'},
       "window description at data1+0x4: the text 'property value' of 4 bytes runs past the "
       "end of the stream (stream byte 4 of 7)"},
      {"control cut", {0x00, 0x00, 0x01, 0x02},
       "window description at data1+0x4: the stream ends inside the compact integer 'control "
       "property count' (stream byte 4 of 4)"},
  };
  for (const auto& c : cases) {
    Record r(c.stream);
    WindowDescriptionReader reader(r.b.Block(), r.at, 70);
    int32_t bindings = 0;
    EXPECT_FALSE(reader.ReadBindingCount(bindings)) << c.name;
    EXPECT_TRUE(reader.Failed());
    EXPECT_EQ(reader.Error(), c.message) << c.name;
  }
}

TEST(WindowDescription, RecordLengthMustFitTheBlock) {
  Record r(FullStream());
  r.b.Patch(r.at, 10000);
  WindowDescriptionReader reader(r.b.Block(), r.at);
  int32_t count = 0, cls = 0;
  EXPECT_FALSE(reader.ReadWindow(count, cls));
  EXPECT_EQ(reader.Error(), "window description at data1+0x4: length 10000 runs past the end "
                            "of data1");
  WindowDescriptionReader outside(r.b.Block(), r.b.Size() - 2);
  EXPECT_FALSE(outside.ReadWindow(count, cls));
  EXPECT_NE(outside.Error().find("the length word runs past the end of data1"),
            std::string::npos);
}

TEST(WindowSlot, FollowsTheRecordAndPointsBackToIt) {
  Record r(FullStream());
  WindowSlot slot;
  std::string error;
  ASSERT_TRUE(ReadWindowSlot(r.b.Block(), r.at, slot, error)) << error;
  EXPECT_EQ(slot.instanceOffset, r.at + 4 + FullStream().size() + 4);

  uint32_t pairAt = r.at + 4 + static_cast<uint32_t>(FullStream().size());
  r.b.Patch(pairAt, 0);
  EXPECT_FALSE(ReadWindowSlot(r.b.Block(), r.at, slot, error));
  EXPECT_EQ(error, "window slot pair at data1+" + Hex(pairAt) +
                       ": its record pointer 0x0 does not lead back to the description at "
                       "data1+0x4");
  DataBlock cut = r.b.Block();
  cut.size -= 2;
  EXPECT_FALSE(ReadWindowSlot(cut, r.at, slot, error));
  EXPECT_EQ(error, "window slot pair at data1+" + Hex(pairAt) +
                       ": the pair runs past the end of data1");
}

}  // namespace
