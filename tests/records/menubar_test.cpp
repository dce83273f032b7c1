// The menu bar stream: entries in stream order with their depth and child lists, the
// "no index" forms, separators without children, nesting limits and damage.
#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

#include "runtime/records/menubar.h"
#include "tests/records/blockbuilder.h"

namespace {

using records_test::BlockBuilder;
using records_test::StreamBuilder;

void Entry(StreamBuilder& s, int kind, const char* text, const char* name, int64_t index,
           const char* key, bool submenu, int cls) {
  s.Int(kind).Text(text).Text(name).Int(index).Text(key).Text("").Text("");
  s.Raw({0x00, static_cast<uint8_t>(submenu ? 1 : 0)});
  s.Int(cls);
}

struct MenuItem {
  BlockBuilder b;
  uint32_t at;
  explicit MenuItem(const std::vector<uint8_t>& stream) {
    b.Word(0);
    at = b.Word(2);
    b.Counted(stream);
  }
};

// "Archivio" with "Esci" (Q, class 169) and a separator; "Ear training" with submenu
// "Note" holding one item; a final top-level separator with no children.
std::vector<uint8_t> SampleBar() {
  StreamBuilder s;
  s.Int(3);
  Entry(s, 0, "Archivio", "", INT32_MIN, "", false, 168);
  s.Int(2);
  Entry(s, 0, "Esci", "filequit", INT32_MIN, "Q", false, 169);
  Entry(s, 2, "-", "", INT32_MIN, "", false, 168);
  Entry(s, 0, "Ear training", "", 0x80000010u, "", false, 168);
  s.Int(1);
  Entry(s, 0, "Note", "", 0x80100000u, "", true, 168);
  s.Int(1);
  Entry(s, 0, "Soprano", "mnetn", 3, "", false, 168);
  Entry(s, 2, "-", "", INT32_MIN, "", false, 168);
  s.Int(0);
  return s.bytes;
}

TEST(MenuBar, EntriesComeInStreamOrderWithDepthAndChildren) {
  MenuItem item(SampleBar());
  MenuBarReader reader(item.b.Block(), item.at, 170);
  EXPECT_EQ(reader.TopLevelCount(), 3);
  std::vector<std::string> seen;
  MenuBarEntry e;
  while (reader.Next(e))
    seen.push_back(std::to_string(e.depth) + ":" + std::string(e.text) + "/" +
                   std::to_string(e.childCount));
  ASSERT_FALSE(reader.Failed()) << reader.Error();
  EXPECT_EQ(seen, (std::vector<std::string>{"0:Archivio/2", "1:Esci/-1", "1:-/-1",
                                            "0:Ear training/1", "1:Note/1", "2:Soprano/-1",
                                            "0:-/0"}));
}

TEST(MenuBar, FieldsAndTheNoIndexForms) {
  MenuItem item(SampleBar());
  MenuBarReader reader(item.b.Block(), item.at);
  MenuBarEntry e;
  std::vector<MenuBarEntry> all;
  while (reader.Next(e)) all.push_back(e);
  ASSERT_EQ(all.size(), 7u);
  EXPECT_EQ(all[1].name, "filequit");
  EXPECT_EQ(all[1].key, "Q");
  EXPECT_EQ(all[1].classIndex, 169);
  EXPECT_EQ(all[1].index, kMenuNoIndex);
  EXPECT_EQ(all[2].kind, kMenuEntrySeparator);
  EXPECT_EQ(all[3].index, kMenuNoIndex);  // 0x80000010
  EXPECT_EQ(all[4].index, kMenuNoIndex);  // 0x80100000
  EXPECT_TRUE(all[4].hasSubmenu);
  EXPECT_EQ(all[5].index, 3);
}

TEST(MenuBar, RefusesDamageWithAMessage) {
  StreamBuilder truncated;
  truncated.Int(1);
  Entry(truncated, 0, "Archivio", "", INT32_MIN, "", false, 168);  // child count missing
  StreamBuilder badClass;
  badClass.Int(1);
  Entry(badClass, 0, "A", "", 0, "", false, 400);
  badClass.Int(0);
  struct Case {
    const char* name;
    std::vector<uint8_t> stream;
    const char* message;
  };
  const Case cases[] = {
      {"empty stream", {},
       "menu bar at data1+0x4: the stream ends inside the compact integer 'top-level entry "
       "count' (stream byte 0 of 0)"},
      {"negative count", {0x45},
       "menu bar at data1+0x4: negative top-level entry count -5 (stream byte 0 of 1)"},
      {"missing child count", truncated.bytes,
       "menu bar at data1+0x4: the stream ends inside the compact integer 'child count' "
       "(stream byte 24 of 24)"},
      {"class index", badClass.bytes,
       "menu bar at data1+0x4: entry class index 400 is outside the class table (170 "
       "classes) (stream byte 11 of 14)"},
  };
  for (const auto& c : cases) {
    MenuItem item(c.stream);
    MenuBarReader reader(item.b.Block(), item.at, 170);
    MenuBarEntry e;
    while (reader.Next(e)) {
    }
    EXPECT_TRUE(reader.Failed()) << c.name;
    EXPECT_EQ(reader.Error(), c.message) << c.name;
  }
}

TEST(MenuBar, NestingDeeperThanTheLimitIsRefused) {
  StreamBuilder s;
  s.Int(1);
  for (int depth = 0; depth <= kMenuMaxDepth; ++depth) {
    Entry(s, 0, "m", "", 0, "", true, 0);
    s.Int(1);
  }
  MenuItem item(s.bytes);
  MenuBarReader reader(item.b.Block(), item.at);
  MenuBarEntry e;
  int entries = 0;
  while (reader.Next(e)) ++entries;
  EXPECT_EQ(entries, kMenuMaxDepth);
  ASSERT_TRUE(reader.Failed());
  EXPECT_NE(reader.Error().find("menus are nested deeper than 32 levels"), std::string::npos);
}

TEST(MenuBar, TheItemMustBeAMenuBarThatFits) {
  MenuItem item(SampleBar());
  item.b.Patch(item.at, 4);
  MenuBarReader wrongKind(item.b.Block(), item.at);
  EXPECT_EQ(wrongKind.Error(), "menu bar at data1+0x4: project item kind 4 is not a menu bar (2)");
  MenuItem longer(SampleBar());
  longer.b.Patch(longer.at + 4, 5000);
  MenuBarReader tooLong(longer.b.Block(), longer.at);
  MenuBarEntry e;
  EXPECT_FALSE(tooLong.Next(e));
  EXPECT_EQ(tooLong.Error(), "menu bar at data1+0x4: length 5000 runs past the end of data1");
}

}  // namespace
