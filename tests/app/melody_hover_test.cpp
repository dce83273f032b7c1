// The pointer moving over the bars of the single-voice windows in every order a student
// produces: from bar to bar in both directions, pushing while resting, pressing on one bar and
// releasing over the next, and leaving the window. Once the pointer has left, every note-on
// has had its note-off.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "tests/app/melody_steps.h"

namespace {

struct Listening {
  const char* menu;
  const char* title;
  std::vector<std::pair<int, int>> bars;    // centres, in screen order
  std::vector<std::pair<int, int>> pushed;  // the bars also pushed and dragged from
};

std::vector<std::pair<int, int>> Row(int x, int y, int count) {
  std::vector<std::pair<int, int>> row;
  for (int i = 0; i < count; ++i) row.push_back({x + 40 * i, y});
  return row;
}

std::vector<Listening> Windows() {
  std::vector<std::pair<int, int>> minor = Row(120, 110, 8);
  for (auto p : Row(120, 280, 8)) minor.push_back(p);
  // Pushing six of the melodic minor bars opens the scale window over the upper row; those
  // are only hovered here.
  std::vector<std::pair<int, int>> dictation = {{40, 90}};
  for (auto p : Row(100, 90, 8)) dictation.push_back(p);
  return {
      {"Ear training/Note/Soprano", "Note soprano", {{100, 25}, {100, 180}}, {{100, 25}, {100, 180}}},
      {"Ear training/Note/Basso", "Note basso", {{100, 25}, {100, 180}}, {{100, 180}}},
      {"Ear training/Intervalli", "Intervalli", {{100, 25}, {200, 170}}, {{100, 25}, {200, 170}}},
      {"Ear training/Scale/Esatonale", "Scala esatonale", Row(120, 110, 8), Row(120, 110, 8)},
      {"Ear training/Scale/Dorica", "Scala dorica", Row(120, 110, 8), Row(120, 110, 4)},
      {"Ear training/Scale/Minore melodica", "Scala minore melodica", minor,
       {{120, 110}, {400, 110}, {120, 280}, {160, 280}, {200, 280}, {280, 280}}},
      {"Dettati/Melodici", "Dettati melodici", dictation, dictation},
  };
}

TEST(MelodyHovering, NoNoteIsLeftSoundingOnceThePointerHasLeft) {
  for (const Listening& w : Windows()) {
    SCOPED_TRACE(w.title);
    const std::string t = w.title;
    std::string script = melody::ChooseFlute() + "menu \"" + std::string(w.menu) + "\"\n";
    auto at = [&](std::pair<int, int> p) { return melody::Hover(t, p.first, p.second); };
    for (auto p : w.bars) script += at(p);  // bar to bar, left to right
    for (auto it = w.bars.rbegin(); it != w.bars.rend(); ++it) script += at(*it);  // and back
    for (auto p : w.pushed) script += at(p) + "click\n";
    // Pressed on a bar, released over the next one (or beside the window for the last).
    for (size_t i = 0; i < w.pushed.size(); ++i) {
      script += at(w.pushed[i]) + "press\n";
      script += (i + 1 < w.pushed.size() ? at(w.pushed[i + 1]) : "move 1000 700\n") + "release\n";
    }
    for (auto p : w.bars) script += at(p) + melody::Away(t);
    script += at(w.bars.front()) + "move 1000 700\nidle 2\n";  // straight out of the window
    apptest::Session s = melody::RunClean(script);
    EXPECT_FALSE(melody::NoteOns(melody::OnChannel(s.midi, melody::kChannel), melody::kChannel).empty());
    EXPECT_TRUE(apptest::Sounding(s.midi).empty()) << apptest::Sounding(s.midi).size() << " notes sounding";
  }
}

}  // namespace
