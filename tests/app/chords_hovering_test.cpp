// The bars of the chord windows played in the orders a student produces: resting, pressing,
// dragging onto the next bar or out of the window, releasing outside, clicking twice, and
// coming back. Whatever the order, once the pointer has left no note is left sounding, and
// pushing a bar (no "Action" of its own) sounds nothing more.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/app/chords_session.h"

namespace {

using chords::Box;
using chords::Midi;
using chords::Script;

struct HoverWindow {
  const char* menu;
  const char* title;
  std::vector<Box> bars;
};

const HoverWindow kWindows[] = {
    {"Cadenze/Perfetta", "Cadenza perfetta", {{150, 60, 100, 60}, {250, 60, 100, 60}}},
    {"Cadenze/Composta", "Cadenza composta",
     {{50, 60, 100, 60}, {150, 60, 100, 60}, {250, 60, 100, 60}, {350, 60, 100, 60}}},
    {"Cadenze/Frigia", "Cadenza frigia", {{100, 60, 100, 60}, {200, 60, 100, 60}, {300, 60, 100, 60}}},
    {"Armonie/Modo maggiore", "Armonie modo maggiore",
     {{40, 20, 40, 60}, {80, 20, 40, 60}, {0, 80, 40, 60}, {40, 140, 40, 60}}},
    {"Armonie/Modo minore", "Armonie modo minore",
     {{80, 20, 40, 60}, {120, 20, 40, 60}, {320, 140, 40, 60}, {360, 140, 40, 60}}},
    {"Ear training/Cadenze", "Cadenze", {{20, 20, 140, 22}, {185, 20, 140, 22}}},
    {"Ear training/Armonie/Modo maggiore", "Armonie modo maggiore", {{20, 13, 205, 22}, {20, 170, 205, 22}}},
    {"Ear training/Armonie/Modo minore", "Armonie modo minore", {{20, 13, 205, 22}, {20, 170, 205, 22}}},
    {"Ear training/Accordi", "Accordi stato fondamentale", {{20, 19, 220, 22}, {20, 180, 220, 22}}},
    {"Dettati/Modo maggiore", "Dettato armonico modo maggiore",
     {{80, 40, 40, 100}, {120, 40, 40, 100}, {160, 40, 40, 100}, {360, 40, 40, 100}}},
    {"Dettati/Modo minore", "Dettato armonico modo minore",
     {{80, 40, 40, 100}, {280, 40, 40, 100}, {320, 40, 40, 100}, {360, 40, 40, 100}}},
};

std::string At(const char* title, Box box) {
  return "move \"" + std::string(title) + "\" " + std::to_string(box.X()) + " " + std::to_string(box.Y());
}

// Every order on every pair of bars a and b of the window.
void StudentOrders(Script& s, const HoverWindow& w, Box a, Box b) {
  s.Hover(w.title, a).Line("press").Line(At(w.title, b)).Line("idle 1").Line("release").LeaveWindow();
  s.Hover(w.title, a).Line("press").LeaveWindow().Line("release").Hover(w.title, a).LeaveWindow();
  s.Hover(w.title, a).Line("click").Line("click").Hover(w.title, b).Line("click").LeaveWindow();
  s.Line(At(w.title, a)).Line(At(w.title, b)).Line("idle 1").Hover(w.title, a).LeaveWindow();
  s.Hover(w.title, b).Hover(w.title, a).Hover(w.title, b).Line("press").Line("release").LeaveWindow();
}

TEST(ChordHovering, NoNoteIsLeftSoundingWhateverTheOrder) {
  for (const HoverWindow& w : kWindows) {
    SCOPED_TRACE(w.title);
    Script script;
    script.Menu(w.menu);
    for (size_t i = 0; i < w.bars.size(); ++i)
      for (size_t j = 0; j < w.bars.size(); ++j)
        if (i != j) StudentOrders(script, w, w.bars[i], w.bars[j]);
    apptest::Session session = apptest::Run(script.Text());
    ASSERT_EQ(session.status, 0) << session.errors;
    EXPECT_EQ(session.errors, "");
    std::vector<std::string> words = chords::OnChannel(session.midi, chords::kExerciseChannel);
    EXPECT_GT(words.size(), 0u);
    EXPECT_TRUE(apptest::Sounding(session.midi).empty());
  }
}

TEST(ChordHovering, PushingABarSoundsNothingMore) {
  struct Case {
    const char* menu;
    const char* title;
    Box bar;
    chords::Notes chord;
  } cases[] = {
      {"Cadenze/Composta", "Cadenza composta", {150, 60, 100, 60}, {55, 64, 67, 72}},
      {"Ear training/Armonie/Modo maggiore", "Armonie modo maggiore", {20, 13, 205, 22}, {60, 67, 76, 84}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.title);
    Script script;
    script.Menu(c.menu).Hover(c.title, c.bar);
    script.Line("click").Line("click").Line("press").Line("idle 1").Line("release").LeaveWindow();
    apptest::Session session = apptest::Run(script.Text());
    ASSERT_EQ(session.status, 0) << session.errors;
    Midi expected(chords::kExerciseChannel);
    expected.On(c.chord).Off(c.chord);
    EXPECT_EQ(chords::OnChannel(session.midi, chords::kExerciseChannel), expected.Words());
  }
}

}  // namespace
