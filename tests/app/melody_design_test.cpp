// The description records of the single-voice windows in the shipped image, read back with
// amxdump: the 21 window properties, every state field and note player below the visible
// area, and the melodic minor bars whose control indices are their notes.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/runprogram.h"

namespace {

struct Control {
  std::string cls;
  std::map<std::string, std::string> properties;
};

struct Record {
  std::vector<std::string> windowLines;  // "Name = \"fns\"" ...
  std::vector<Control> controls;
};

std::string Trimmed(const std::string& line) {
  size_t start = line.find_first_not_of(' ');
  return start == std::string::npos ? "" : line.substr(start);
}

// The description record of window `name` in amxdump's listing.
Record ReadRecord(const std::string& listing, const std::string& name) {
  Record record;
  std::vector<std::string> lines = runprogram::SplitLines(listing);
  std::string head = " \"" + name + "\", 21 properties, ";
  size_t i = 0;
  while (i < lines.size() && lines[i].find(head) == std::string::npos) ++i;
  if (i == lines.size()) return record;
  for (++i; i < lines.size() && lines[i].rfind("      ", 0) == 0 && lines[i].rfind("       ", 0) != 0; ++i)
    record.windowLines.push_back(Trimmed(lines[i]));
  for (; i < lines.size() && lines[i].rfind("    control ", 0) == 0;) {
    Control control;
    control.cls = lines[i].substr(lines[i].find('"'));
    for (++i; i < lines.size() && lines[i].rfind("        ", 0) == 0; ++i) {
      std::string entry = Trimmed(lines[i]);
      size_t eq = entry.find(" = \"");
      if (eq == std::string::npos) continue;
      control.properties[entry.substr(0, eq)] = entry.substr(eq + 4, entry.size() - eq - 5);
    }
    record.controls.push_back(control);
  }
  return record;
}

std::string Listing() {
  static const std::string listing =
      runprogram::RunCommand(runprogram::Quoted(AMX_DUMP_EXE) + " " + runprogram::Quoted(AMX_ARMONIX_EXE)).output;
  return listing;
}

struct Design {
  const char* name;
  const char* title;
  int height;
  bool growAndZoom;
  int placement;
  std::vector<std::string> state;  // fields that must lie below the visible area
  // The scale window has a back colour of its own, the usual face, so that the melodic minor
  // window's colours show on it.
  const char* backColor = nullptr;
};

const Design kDesigns[] = {
    {"fns", "", 225, false, 0, {"efin"}},
    {"fni", "Intervalli", 225, false, 0, {"efin"}},
    {"fn", "", 225, false, 0, {}, "13947080"},
    {"fnmmel", "Scala minore melodica", 400, false, 0, {}},
    {"fndm", "Dettati melodici", 225, true, 1, {"ef1", "ef2", "ef3", "ef4", "ef5", "ef6", "ef7", "ef8"}},
};

std::vector<std::string> WindowLines(const Design& d) {
  auto b = [](bool v) { return std::string(v ? "\"True\"" : "\"False\""); };
  std::string back = d.backColor ? d.backColor : "16777215";
  return {"Name = \"" + std::string(d.name) + "\"", "Frame = \"0\"", "HasBackColor = " + b(d.backColor != nullptr),
          "BackColor = \"" + back + "\"", "Backdrop = \"0\"", "Title = \"" + std::string(d.title) + "\"",
          "Visible = \"True\"", "FullScreen = \"False\"", "MenuBarVisible = \"True\"", "CloseBox = \"True\"",
          "GrowIcon = " + b(d.growAndZoom), "ZoomIcon = " + b(d.growAndZoom), "BalloonHelp = \"\"",
          "MacProcID = \"0\"", "Placement = \"" + std::to_string(d.placement) + "\"", "Width = \"508\"",
          "Height = \"" + std::to_string(d.height) + "\"", "MinWidth = \"64\"", "MinHeight = \"64\"",
          "MaxWidth = \"32000\"", "MaxHeight = \"32000\""};
}

const Control* Named(const Record& r, const std::string& name) {
  for (const Control& c : r.controls)
    if (c.properties.count("Name") && c.properties.at("Name") == name) return &c;
  return nullptr;
}

TEST(MelodyDesign, WindowsCarryTheirPropertiesAndKeepTheirStateBelowTheVisibleArea) {
  for (const Design& d : kDesigns) {
    SCOPED_TRACE(d.name);
    Record r = ReadRecord(Listing(), d.name);
    EXPECT_EQ(r.windowLines, WindowLines(d));
    const Control* player = Named(r, "NotePlayer1");
    ASSERT_NE(player, nullptr);
    EXPECT_EQ(player->properties.at("Instrument"), "0");
    EXPECT_GT(std::stoi(player->properties.at("Top")), d.height);
    for (const std::string& field : d.state) {
      const Control* c = Named(r, field);
      ASSERT_NE(c, nullptr) << field;
      EXPECT_EQ(c->cls, "\"EditField\"") << field;
      EXPECT_GT(std::stoi(c->properties.at("Top")), d.height) << field;
    }
    const Control* esci = Named(r, "PushButton1");
    ASSERT_NE(esci, nullptr);
    EXPECT_EQ(esci->properties.at("Caption"), "Esci");
  }
}

// Each melodic minor bar is a control-array member indexed by its note; "bb10" begins the
// upper row and the array "bb13" has one bar in each row, indices 60 and 64.
TEST(MelodyDesign, MelodicMinorBarsAreIndexedByTheirNotes) {
  Record r = ReadRecord(Listing(), "fnmmel");
  std::map<int, std::vector<std::pair<int, const Control*>>> rows;  // Top -> (Left, bar)
  for (const Control& c : r.controls)
    if (c.properties.count("Caption") && c.properties.at("Name").rfind("bb", 0) == 0)
      rows[std::stoi(c.properties.at("Top"))].push_back({std::stoi(c.properties.at("Left")), &c});
  ASSERT_EQ(rows.size(), 2u);
  const std::vector<int> expected[] = {{57, 59, 60, 62, 64, 66, 68, 69}, {69, 67, 65, 64, 62, 60, 59, 57}};
  const int tops[] = {60, 230};
  std::vector<int> bb13;
  for (int row = 0; row < 2; ++row) {
    size_t before = bb13.size();
    auto& bars = rows[tops[row]];
    std::sort(bars.begin(), bars.end(), [](auto& a, auto& b) { return a.first < b.first; });
    ASSERT_EQ(bars.size(), 8u);
    for (int i = 0; i < 8; ++i) {
      EXPECT_EQ(bars[i].first, 100 + 40 * i);
      EXPECT_EQ(bars[i].second->properties.at("Index"), std::to_string(expected[row][i])) << row << " " << i;
      if (bars[i].second->properties.at("Name") == "bb13")
        bb13.push_back(std::stoi(bars[i].second->properties.at("Index")));
    }
    if (row == 0) {
      EXPECT_EQ(bars[0].second->properties.at("Name"), "bb10");
    }
    EXPECT_EQ(bb13.size(), before + 1) << "row " << row;
  }
  std::sort(bb13.begin(), bb13.end());
  EXPECT_EQ(bb13, (std::vector<int>{60, 64}));
}

}  // namespace
