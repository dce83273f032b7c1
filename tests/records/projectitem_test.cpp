// Project items of every kind and the project-settings stream read field by field, with the
// message table lookup, and the damage each refuses.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "runtime/records/projectitem.h"
#include "runtime/records/settings.h"
#include "tests/records/blockbuilder.h"

namespace {

using records_test::BlockBuilder;
using records_test::StreamBuilder;

TEST(ProjectItem, ReadsTheFieldsOfEachKind) {
  BlockBuilder b;
  b.Word(0);
  uint32_t variable = b.Word(0);
  uint32_t name = b.Bytes({'b', 'a', 's', 'e'});
  uint32_t picture = b.Word(1);
  b.Word(77);
  b.Word(0xABCD);
  uint32_t menu = b.Word(2);
  b.Counted({1, 2, 3});
  uint32_t settings = b.Word(4);
  b.Word(0);
  b.Counted({9, 9});
  uint32_t instance = b.Word(5);
  b.Word(12);
  b.Word(variable);
  uint32_t cursor = b.Word(9);
  b.Word(3);
  uint32_t database = b.Word(10);
  b.Word(4);
  b.Word(name);
  b.Word(30);
  b.Word(40);
  DataBlock block = b.Block();
  std::string error;
  ProjectItem item;

  ASSERT_TRUE(ReadProjectItem(block, picture, item, error)) << error;
  EXPECT_EQ(item.kind, ProjectItemKind::kPicture);
  EXPECT_EQ(item.word1, 77u);
  EXPECT_EQ(item.dataOffset, picture + 8);
  ASSERT_TRUE(ReadProjectItem(block, menu, item, error)) << error;
  EXPECT_EQ(item.kind, ProjectItemKind::kMenuBar);
  EXPECT_EQ(item.streamOffset, menu + 8);
  EXPECT_EQ(item.streamLength, 3u);
  ASSERT_TRUE(ReadProjectItem(block, settings, item, error)) << error;
  EXPECT_EQ(item.streamOffset, settings + 12);
  EXPECT_EQ(item.streamLength, 2u);
  ASSERT_TRUE(ReadProjectItem(block, instance, item, error)) << error;
  EXPECT_EQ(item.word1, 12u);
  EXPECT_EQ(item.variableOffset, variable);
  ASSERT_TRUE(ReadProjectItem(block, cursor, item, error)) << error;
  EXPECT_EQ(item.kind, ProjectItemKind::kCursor);
  EXPECT_EQ(item.word1, 3u);
  ASSERT_TRUE(ReadProjectItem(block, database, item, error)) << error;
  EXPECT_EQ(item.name, "base");
  EXPECT_EQ(item.word4, 40u);
}

TEST(ProjectItem, RefusesUnknownKindsAndOutsideData) {
  struct Case {
    std::vector<uint32_t> words;
    const char* message;
  };
  const Case cases[] = {
      {{0}, "project item at data1+0x0: unknown kind 0"},
      {{11, 0}, "project item at data1+0x0: unknown kind 11"},
      {{2, 100}, "project item at data1+0x0: length 100 runs past the end of data1"},
      {{4, 0}, "project item at data1+0x0: 'length' runs past the end of data1"},
      {{5, 1, 0x5000}, "project item at data1+0x0: 'variable pointer' 0x5000 is outside data1"},
      {{5, 1, 10}, "project item at data1+0x0: the variable runs past the end of data1"},
      {{10, 99, 0, 0, 0}, "project item at data1+0x0: the name of 99 bytes runs past the end "
                          "of data1"},
      {{3}, "project item at data1+0x0: 'word 1' runs past the end of data1"},
  };
  for (const auto& c : cases) {
    BlockBuilder b;
    for (uint32_t w : c.words) b.Word(w);
    ProjectItem item;
    std::string error;
    EXPECT_FALSE(ReadProjectItem(b.Block(), 0, item, error)) << c.message;
    EXPECT_EQ(error, c.message);
  }
}

// The carried application's shape: flag, reserved 0 and 1, no document types, five
// messages of which only message 4 is set, MDI off, the caption.
std::vector<uint8_t> SettingsStream() {
  StreamBuilder s;
  s.Raw({0x01}).BigEndian(0).BigEndian(1);
  s.Int(1).Text("TEXT").Text("txt").Text("Testo").Text("");
  s.Int(5).Text("").Text("").Text("").Text("").Text("Un'eccezione della classe %1");
  s.Raw({0x00}).Text("Mia applicazione");
  return s.bytes;
}

uint32_t SettingsItem(BlockBuilder& b, const std::vector<uint8_t>& stream) {
  b.Word(0);
  uint32_t at = b.Word(4);
  b.Word(0);
  b.Counted(stream);
  return at;
}

TEST(ProjectSettings, ReadsEveryFieldInOrder) {
  BlockBuilder b;
  uint32_t at = SettingsItem(b, SettingsStream());
  ProjectSettings s;
  std::string error;
  ASSERT_TRUE(ReadProjectSettings(b.Block(), at, s, error)) << error;
  EXPECT_EQ(s.flags, 1);
  EXPECT_EQ(s.reserved1, 0u);
  EXPECT_EQ(s.reserved2, 1u);
  ASSERT_EQ(s.documentTypes.size(), 1u);
  EXPECT_EQ(s.documentTypes[0].texts[2], "Testo");
  EXPECT_EQ(s.Message(kUnhandledExceptionMessage), "Un'eccezione della classe %1");
  EXPECT_TRUE(s.Message(0).empty());
  EXPECT_TRUE(s.Message(5).empty());  // at or beyond the table: empty
  EXPECT_TRUE(s.Message(-1).empty());
  EXPECT_FALSE(s.mdiMode);
  EXPECT_EQ(s.caption, "Mia applicazione");
}

TEST(ProjectSettings, BigEndianWordsAndTheMdiFlag) {
  StreamBuilder st;
  st.Raw({0x00}).BigEndian(0x01020304).BigEndian(0xFFFFFFFF).Int(0).Int(0).Raw({0x07}).Text("");
  BlockBuilder b;
  uint32_t at = SettingsItem(b, st.bytes);
  ProjectSettings s;
  std::string error;
  ASSERT_TRUE(ReadProjectSettings(b.Block(), at, s, error)) << error;
  EXPECT_EQ(s.reserved1, 0x01020304u);
  EXPECT_EQ(s.reserved2, 0xFFFFFFFFu);
  EXPECT_TRUE(s.mdiMode);
  EXPECT_TRUE(s.caption.empty());
  EXPECT_TRUE(s.Message(kUnhandledExceptionMessage).empty());
}

TEST(ProjectSettings, EveryTruncationIsRefusedAndLeavesNothingHalfRead) {
  std::vector<uint8_t> full = SettingsStream();
  for (size_t cut = 0; cut < full.size(); ++cut) {
    std::vector<uint8_t> part(full.begin(), full.begin() + static_cast<long>(cut));
    BlockBuilder b;
    uint32_t at = SettingsItem(b, part);
    ProjectSettings s;
    std::string error;
    ASSERT_FALSE(ReadProjectSettings(b.Block(), at, s, error)) << cut;
    EXPECT_EQ(error.rfind("project settings at data1+0x4: ", 0), 0u) << error;
    EXPECT_TRUE(s.messages.empty());
    EXPECT_TRUE(s.caption.empty());
  }
}

TEST(ProjectSettings, NamesTheDamagedField) {
  BlockBuilder b;
  StreamBuilder st;
  st.Raw({0x00}).BigEndian(0).BigEndian(1).Int(0).Int(2).Text("a");
  uint32_t at = SettingsItem(b, st.bytes);
  ProjectSettings s;
  std::string error;
  EXPECT_FALSE(ReadProjectSettings(b.Block(), at, s, error));
  EXPECT_EQ(error, "project settings at data1+0x4: the stream ends inside the compact "
                   "integer 'message' (stream byte 13 of 13)");

  BlockBuilder wrong;
  wrong.Word(0);
  uint32_t menu = wrong.Word(2);
  wrong.Counted({0});
  EXPECT_FALSE(ReadProjectSettings(wrong.Block(), menu, s, error));
  EXPECT_EQ(error, "project settings at data1+0x4: project item kind 2 is not the project "
                   "settings (4)");
}

}  // namespace
