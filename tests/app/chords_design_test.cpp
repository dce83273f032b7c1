// The design of the chord exercise windows as the shipped image carries it (read back with
// amxdump): each window's properties, every control of its layout with class, name, index,
// position, size, caption and text size, and the hidden state fields and note player below
// the visible area. The layouts are written out afresh from the windows' description.
#include <gtest/gtest.h>

#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/runprogram.h"

namespace {

constexpr char kNoIndex[] = "-2147483648";

struct ControlRecord {
  std::string cls;  // "BevelButton", "StaticText", ... (an anonymous subclass: its superclass)
  std::map<std::string, std::string> props;
};

struct WindowRecord {
  std::map<std::string, std::string> props;
  std::vector<ControlRecord> controls;
};

// amxdump's description records: a window line names the window class, "control N:" lines
// open a control, and `Name = "value"` lines fill the latest one.
std::map<std::string, WindowRecord> ReadWindows() {
  runprogram::CommandRun run = runprogram::RunCommand(
      runprogram::Quoted(AMX_DUMP_EXE) + " " + runprogram::Quoted(AMX_ARMONIX_EXE));
  std::map<std::string, WindowRecord> windows;
  WindowRecord* window = nullptr;
  std::map<std::string, std::string>* props = nullptr;
  for (const std::string& line : runprogram::SplitLines(run.output)) {
    if (line.find(" properties, ") != std::string::npos && line.find(" controls, ") != std::string::npos) {
      size_t open = line.find('"');
      std::string name = line.substr(open + 1, line.find('"', open + 1) - open - 1);
      window = &windows[name];
      props = &window->props;
    } else if (window && line.rfind("    control ", 0) == 0) {
      ControlRecord control;
      size_t quote = line.rfind('"');
      size_t open = line.rfind('"', quote - 1);
      control.cls = line.substr(open + 1, quote - open - 1);
      window->controls.push_back(control);
      props = &window->controls.back().props;
    } else if (props && line.find(" = \"") != std::string::npos) {
      size_t eq = line.find(" = \"");
      std::string key = line.substr(line.find_first_not_of(' '), eq - line.find_first_not_of(' '));
      (*props)[key] = line.substr(eq + 4, line.size() - eq - 5);
    }
  }
  return windows;
}

const std::map<std::string, WindowRecord>& Windows() {
  static const std::map<std::string, WindowRecord> windows = ReadWindows();
  return windows;
}

const ControlRecord* Find(const WindowRecord& window, const std::string& name,
                          const std::string& index) {
  for (const ControlRecord& control : window.controls) {
    auto n = control.props.find("Name");
    auto i = control.props.find("Index");
    if (n != control.props.end() && n->second == name && i != control.props.end() && i->second == index)
      return &control;
  }
  return nullptr;
}

struct WindowDesign {
  const char* name;
  const char* title;  // nullptr: set by the menu
  int width, height;
  bool growZoom;
  int placement;
};

const WindowDesign kWindows[] = {
    {"fncp", nullptr, 508, 225, true, 0},
    {"fncad", "Cadenze", 508, 225, true, 0},
    {"fncc", "Cadenza composta", 508, 225, true, 0},
    {"fnmmag", nullptr, 521, 252, true, 0},
    {"fnsamm", nullptr, 508, 225, false, 2},
    {"fnfr", "Cadenza frigia", 508, 225, true, 0},
    {"fnasf", nullptr, 508, 225, true, 0},
    {"fndarm", nullptr, 508, 225, true, 1},
    {"fnsf", "Accordi stato fondamentale", 508, 225, true, 0},
};

TEST(ChordWindowDesign, WindowProperties) {
  for (const WindowDesign& w : kWindows) {
    SCOPED_TRACE(w.name);
    auto it = Windows().find(w.name);
    ASSERT_NE(it, Windows().end());
    std::map<std::string, std::string> p = it->second.props;
    if (w.title) {
      EXPECT_EQ(p["Title"], w.title);
    }
    EXPECT_EQ(p["Width"], std::to_string(w.width));
    EXPECT_EQ(p["Height"], std::to_string(w.height));
    EXPECT_EQ(p["GrowIcon"], w.growZoom ? "True" : "False");
    EXPECT_EQ(p["ZoomIcon"], w.growZoom ? "True" : "False");
    EXPECT_EQ(p["Placement"], std::to_string(w.placement));
    EXPECT_EQ(p["CloseBox"], "True");
    EXPECT_EQ(p["MenuBarVisible"], "True");
    EXPECT_EQ(p["Visible"], "True");
    EXPECT_EQ(p["Frame"], "0");
    EXPECT_EQ(p["MinWidth"], "64");
    EXPECT_EQ(p["MinHeight"], "64");
    EXPECT_EQ(p["MaxWidth"], "32000");
    EXPECT_EQ(p["MaxHeight"], "32000");
  }
}

// One control of a layout; -1 and nullptr: what the layout leaves open.
struct Design {
  const char* window;
  const char* name;  // "": the static text whose Text is `text`
  int index;         // -1: not in a control array
  const char* cls;
  int left, top, width, height;
  const char* text;  // caption, or text of a static text
  int textSize;
};

std::vector<Design> Layouts() {
  std::vector<Design> d = {
      {"fncp", "bbcp", 1, "BevelButton", 150, 60, 100, 60, nullptr, 0},
      {"fncp", "bbcp", 2, "BevelButton", 250, 60, 100, 60, nullptr, 0},
      {"fncp", "", -1, "StaticText", 190, 145, 128, 16, "Mouse enter to play", 12},
      {"fncp", "st2", -1, "StaticText", 195, 168, 125, 16, "", 10},
      {"fncp", "PushButton1", -1, "PushButton", 384, 184, -1, -1, "Esci", 0},

      {"fncad", "bb1", -1, "BevelButton", 20, 20, 140, 22, "I accordo", 0},
      {"fncad", "bb2", -1, "BevelButton", 185, 20, 140, 22, "II accordo", 0},
      {"fncad", "Efc", -1, "EditField", 400, 20, 60, 22, "", 0},
      {"fncad", "pb1", -1, "PushButton", 20, 75, 85, 20, "Perfetta", 0},
      {"fncad", "pb2", -1, "PushButton", 130, 75, 85, 20, "Imperfetta", 0},
      {"fncad", "pb3", -1, "PushButton", 240, 75, 85, 20, "D'inganno", 0},
      {"fncad", "pb4", -1, "PushButton", 20, 115, 85, 20, "Plagale", 0},
      {"fncad", "pb5", -1, "PushButton", 130, 115, 85, 20, "Sospesa", 0},
      {"fncad", "pb6", -1, "PushButton", 240, 115, 85, 20, "Sottodom.", 0},
      {"fncad", "pb7", -1, "PushButton", 20, 155, 85, 20, "Evitata", 0},
      {"fncad", "pb8", -1, "PushButton", 130, 155, 195, 20, "No cadenza", 0},
      {"fncad", "PushButton2", -1, "PushButton", 400, 75, 60, 20, " Clear", 0},
      {"fncad", "PushButton1", -1, "PushButton", 400, 155, -1, -1, "Esci", 0},

      {"fncc", "bb1", -1, "BevelButton", 50, 60, 100, 60, "II 6", 0},
      {"fncc", "bb2", -1, "BevelButton", 150, 60, 100, 60, "I 6/4", 0},
      {"fncc", "bb3", -1, "BevelButton", 250, 60, 100, 60, "V ", 0},
      {"fncc", "bb4", -1, "BevelButton", 350, 60, 100, 60, "I", 0},
      {"fncc", "", -1, "StaticText", 192, 140, -1, -1, "Mouse enter to play", 12},
      {"fncc", "PushButton1", -1, "PushButton", 400, 170, -1, -1, "Esci", 0},

      {"fnmmag", "bb", 12, "BevelButton", 0, 80, 40, 60, nullptr, 0},
      {"fnmmag", "bb", 13, "BevelButton", 480, 80, 40, 60, nullptr, 0},
      {"fnmmag", "", -1, "StaticText", 197, 95, 133, 26, "Mouse enter to play", 12},
      {"fnmmag", "PushButton1", -1, "PushButton", 228, 221, -1, -1, "Esci", 0},

      {"fnsamm", "BevelButton2", -1, "BevelButton", 20, 13, 205, 22, nullptr, 0},
      {"fnsamm", "eftf", -1, "EditField", 365, 15, 80, 22, "", 0},
      {"fnsamm", "BevelButton1", -1, "BevelButton", 20, 170, 205, 22, "Play", 0},
      {"fnsamm", "PushButton4", -1, "PushButton", 280, 170, 60, 22, "Clear", 0},
      {"fnsamm", "PushButton1", -1, "PushButton", 385, 170, -1, -1, "Esci", 0},

      {"fnfr", "bb1", -1, "BevelButton", 100, 60, 100, 60, "VII", 0},
      {"fnfr", "bb2", -1, "BevelButton", 200, 60, 100, 60, "IV", 0},
      {"fnfr", "bb3", -1, "BevelButton", 300, 60, 100, 60, "V", 0},
      {"fnfr", "", -1, "StaticText", 190, 140, -1, -1, "Mouse enter to play", 12},
      {"fnfr", "PushButton1", -1, "PushButton", 400, 170, -1, -1, "Esci", 0},

      {"fnasf", "pb16", -1, "PushButton", 20, 60, 380, 20, "Stop", 0},
      {"fnasf", "pb17", -1, "PushButton", 20, 140, 380, 20, "Stop", 0},
      {"fnasf", "PushButton1", -1, "PushButton", 420, 180, -1, -1, "Esci", 0},

      {"fndarm", "bbarg", -1, "BevelButton", 80, 40, 40, 100, nullptr, 0},
      {"fndarm", "", -1, "StaticText", 72, 140, -1, -1, "Arm. guida", 10},
      {"fndarm", "bbar1", -1, "BevelButton", 360, 40, -1, -1, nullptr, 0},
      {"fndarm", "", -1, "StaticText", 180, 10, -1, -1, "Mouse enter to play", 12},
      {"fndarm", "pbch", -1, "PushButton", 425, 60, -1, -1, "Check", 0},
      {"fndarm", "PushButton2", -1, "PushButton", 425, 100, -1, -1, "Clear", 0},
      {"fndarm", "PushButton1", -1, "PushButton", 425, 172, -1, -1, "Esci", 0},

      {"fnsf", "BevelButton2", -1, "BevelButton", 20, 19, 220, 22, "M  accordo guida", 0},
      {"fnsf", "efc", -1, "EditField", 320, 19, 80, 22, "", 0},
      {"fnsf", "BevelButton1", -1, "BevelButton", 20, 180, 220, 22, "Play", 0},
      {"fnsf", "PushButton1", -1, "PushButton", 420, 180, -1, -1, "Esci", 0},
  };
  for (int i = 1; i <= 11; ++i) d.push_back({"fnmmag", "bb", i, "BevelButton", 40 + 40 * (i - 1), 20, 40, 60, nullptr, 0});
  for (int i = 14; i <= 24; ++i) d.push_back({"fnmmag", "bb", i, "BevelButton", 40 + 40 * (i - 14), 140, 40, 60, nullptr, 0});
  for (int i = 1; i <= 23; ++i)
    d.push_back({"fnsamm", "pb", i, "PushButton", 20 + 55 * ((i - 1) % 8), 55 + 35 * ((i - 1) / 8), 40, 20, nullptr, 0});
  static const char* const asf[] = {"pb1", "pb2", "pb3", "pb4", "pb5", "pb6", "pb7", "pb8",
                                    "pb9", "pb10", "pb11", "pb12", "pb13", "pb14", "pb15"};
  for (int i = 0; i < 15; ++i)
    d.push_back({"fnasf", asf[i], -1, "PushButton", 20 + 80 * (i % 5), 20 + 80 * (i / 5), 60, 20, nullptr, 0});
  for (int i = 2; i <= 7; ++i) {
    d.push_back({"fndarm", "bb", i, "BevelButton", 120 + 40 * (i - 2), 40, 40, 100, nullptr, 0});
    d.push_back({"fndarm", "efv", i, "EditField", 120 + 40 * (i - 2), 172, 40, 22, "", 0});
  }
  static const char* const sf[][2] = {
      {"pbM", "M"}, {"pbM6", "M6"}, {"pb7maj", "7maj"}, {"pb7", "7"}, {"pb9", "9"},
      {"pb-", "m"}, {"pb-6", "m6"}, {"pb-7", "m7"}, {"pb-9", "m9"}, {"pbdim", "dim"},
      {"pb5#", "5#"}, {"pb75b", "7/5b"}, {"pb75#", "7/5#"}, {"pb79b", "7/9b"}, {"PushButton6", "s/dim"}};
  for (int i = 0; i < 15; ++i)
    d.push_back({"fnsf", sf[i][0], -1, "PushButton", 20 + 80 * (i % 5), 60 + 40 * (i / 5), 60, 20, sf[i][1], 0});
  return d;
}

const ControlRecord* FindDesign(const WindowRecord& window, const Design& design) {
  if (*design.name) {
    return Find(window, design.name, design.index < 0 ? kNoIndex : std::to_string(design.index));
  }
  for (const ControlRecord& control : window.controls) {
    auto text = control.props.find("Text");
    if (control.cls == "StaticText" && text != control.props.end() && text->second == design.text)
      return &control;
  }
  return nullptr;
}

TEST(ChordWindowDesign, EveryControlOfTheLayouts) {
  for (const Design& design : Layouts()) {
    SCOPED_TRACE(std::string(design.window) + " " + design.name + " " + std::to_string(design.index) +
                 (design.text ? std::string(" \"") + design.text + "\"" : ""));
    auto it = Windows().find(design.window);
    ASSERT_NE(it, Windows().end());
    const ControlRecord* control = FindDesign(it->second, design);
    ASSERT_NE(control, nullptr);
    std::map<std::string, std::string> p = control->props;
    EXPECT_EQ(control->cls, design.cls);
    EXPECT_EQ(p["Left"], std::to_string(design.left));
    EXPECT_EQ(p["Top"], std::to_string(design.top));
    if (design.width >= 0) {
      EXPECT_EQ(p["Width"], std::to_string(design.width));
    }
    if (design.height >= 0) {
      EXPECT_EQ(p["Height"], std::to_string(design.height));
    }
    bool hasText = control->cls == "StaticText" || control->cls == "EditField";
    if (design.text) {
      EXPECT_EQ(p[hasText ? "Text" : "Caption"], design.text);
    }
    if (design.textSize) {
      EXPECT_EQ(p["TextSize"], std::to_string(design.textSize));
    }
    EXPECT_EQ(p["Visible"], "True");
  }
}

struct Hidden {
  const char* window;
  std::vector<std::pair<const char*, int>> fields;  // name, index (-1: none)
};

TEST(ChordWindowDesign, StateFieldsAndNotePlayerLieBelowTheVisibleArea) {
  const Hidden hidden[] = {
      {"fncp", {{"ef1", -1}, {"ef2", -1}, {"ef3", -1}, {"ef4", -1}}},
      {"fncc", {{"ef1", -1}, {"ef2", -1}, {"ef3", -1}, {"ef4", -1}}},
      {"fnfr", {{"ef1", -1}, {"ef2", -1}, {"ef3", -1}, {"ef4", -1}}},
      {"fncad", {{"Efp", -1}, {"Efp1", -1}}},
      {"fnmmag", {{"ef", 1}, {"ef", 2}, {"ef", 3}, {"ef", 4}}},
      {"fnsamm", {{"efpark1", -1}}},
      {"fnsf", {{"efpark1", -1}}},
      {"fndarm", {{"ef", 2}, {"ef", 3}, {"ef", 4}, {"ef", 5}, {"ef", 6}, {"ef", 7}}},
      {"fnasf", {}},
  };
  for (const Hidden& h : hidden) {
    SCOPED_TRACE(h.window);
    const WindowRecord& window = Windows().at(h.window);
    int height = std::stoi(window.props.at("Height"));
    for (auto [name, index] : h.fields) {
      const ControlRecord* field = Find(window, name, index < 0 ? kNoIndex : std::to_string(index));
      ASSERT_NE(field, nullptr) << name << " " << index;
      EXPECT_EQ(field->cls, "EditField");
      EXPECT_GT(std::stoi(field->props.at("Top")), height) << name << " " << index;
      EXPECT_EQ(field->props.at("Text"), "");
    }
    const ControlRecord* player = Find(window, "NotePlayer1", kNoIndex);
    ASSERT_NE(player, nullptr);
    EXPECT_EQ(player->cls, "NotePlayer");
    EXPECT_EQ(player->props.at("Instrument"), "0");
    EXPECT_GT(std::stoi(player->props.at("Top")), height);
    // Every control that a student can see lies inside the window.
    for (const ControlRecord& control : window.controls) {
      if (control.cls == "NotePlayer" || control.cls == "EditField") continue;
      EXPECT_LE(std::stoi(control.props.at("Top")) + std::stoi(control.props.at("Height")), height)
          << control.props.at("Name") << " " << control.props.at("Index");
    }
  }
}

}  // namespace
