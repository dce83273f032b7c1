// Scales and modes (fn) and the melodic minor scale (fnmmel), run for real: the note each bar
// sounds for every scale title, the instrument choice, the nineteen note-offs on leaving a
// bar, the bars a scale leaves empty, and the melodic minor bars with their pushes.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/app/melody_steps.h"

namespace {

using melody::kChannel;

// "C3" = 60, sharps written "#".
int NoteNumber(const std::string& name) {
  static const int kSemitone[] = {9, 11, 0, 2, 4, 5, 7};  // A B C D E F G
  int pc = kSemitone[name[0] - 'A'];
  size_t p = 1;
  if (name[p] == '#') ++pc, ++p;
  return 12 * (std::stoi(name.substr(p)) + 2) + pc;
}

struct Scale {
  const char* item;   // under "Ear training/Scale"
  const char* title;
  std::vector<std::string> bars;  // captions of bars 1 .. 8, "" for an empty bar
};

const std::vector<Scale>& Scales() {
  static const std::vector<Scale> scales = {
      {"Maggiore", "Scala maggiore", {"C3", "D3", "E3", "F3", "G3", "A3", "B3", "C4"}},
      {"Ionica", "Scala ionica", {"C3", "D3", "E3", "F3", "G3", "A3", "B3", "C4"}},
      {"Minore armonica", "Scala minore armonica", {"A2", "B2", "C3", "D3", "E3", "F3", "G#3", "A3"}},
      {"Minore naturale", "Scala minore naturale", {"A2", "B2", "C3", "D3", "E3", "F3", "G3", "A3"}},
      {"Eolia", "Scala eolia", {"A2", "B2", "C3", "D3", "E3", "F3", "G3", "A3"}},
      {"Dorica", "Scala dorica", {"D3", "E3", "F3", "G3", "A3", "B3", "C4", "D4"}},
      {"Frigia", "Scala frigia", {"E3", "F3", "G3", "A3", "B3", "C4", "D4", "E4"}},
      {"Lidia", "Scala lidia", {"F3", "G3", "A3", "B3", "C4", "D4", "E4", "F4"}},
      {"Misolidia", "Scala misolidia", {"G3", "A3", "B3", "C4", "D4", "E4", "F4", "G4"}},
      {"Locria", "Scala locria", {"B2", "C3", "D3", "E3", "F3", "G3", "A3", "B3"}},
      {"Pentatonica", "Scala pentatonica", {"C3", "D3", "E3", "G3", "A3", "C4", "", ""}},
      {"Esatonale", "Scala esatonale", {"C3", "D3", "E3", "F#3", "G#3", "A#3", "C4", ""}},
  };
  return scales;
}

// Leaving any bar silences these, in this order.
const int kScaleOffs[] = {53, 55, 57, 59, 60, 62, 64, 65, 67, 66, 68, 69, 70, 71, 72, 74, 76, 77, 79};

std::string HoverBar(const std::string& title, int i) { return melody::Hover(title, 120 + 40 * (i - 1), 110); }

// Every bar in turn, the first one also pushed (which does nothing), with the flute chosen:
// the program change comes once, before the first bar's note.
TEST(Scales, EveryBarSoundsItsNoteAndLeavingSilencesTheWholeTable) {
  for (const Scale& scale : Scales()) {
    SCOPED_TRACE(scale.title);
    std::string script = melody::ChooseFlute() + "menu \"Ear training/Scale/" + scale.item + "\"\ndump\n";
    for (int i = 1; i <= 8; ++i) {
      script += HoverBar(scale.title, i);
      if (i == 1) script += "click\n";
      script += melody::Away(scale.title);
    }
    apptest::Session s = melody::RunClean(script);
    std::vector<std::string> expected = {apptest::Program(kChannel, 74)};
    for (const std::string& bar : scale.bars) {
      if (!bar.empty()) expected.push_back(apptest::NoteOn(kChannel, NoteNumber(bar)));
      for (int off : kScaleOffs) expected.push_back(apptest::NoteOff(kChannel, off));
    }
    EXPECT_EQ(melody::OnChannel(s.midi, kChannel), expected);
    std::vector<std::string> dumps = apptest::Dumps(s.output);
    ASSERT_EQ(dumps.size(), 1u) << s.output;
    std::string block = apptest::WindowBlock(dumps[0], scale.title);
    EXPECT_EQ(block.rfind("window \"" + std::string(scale.title) + "\" 10 50 508 225 visible active\n", 0), 0u)
        << dumps[0];
    EXPECT_NE(block.find("  BUTTON \"Esci\" 420 186 60 20"), std::string::npos) << block;
    EXPECT_NE(block.find("  StaticText \"Mouse enter   to play\" 195 186 "), std::string::npos) << block;
    for (int i = 1; i <= 8; ++i) {
      std::string bar = "  KT_Pane \"" + scale.bars[i - 1] + "\" " + std::to_string(100 + 40 * (i - 1)) + " 60 40 100\n";
      EXPECT_NE(block.find(bar), std::string::npos) << bar << block;
    }
  }
}

// "Scala pentatonica": entering bar 7 or 8 applies the instrument (and hides the instrument
// window) but plays nothing.
TEST(Scales, AnEmptyBarAppliesTheInstrumentButPlaysNothing) {
  const std::string t = "Scala pentatonica";
  for (int bar : {7, 8}) {
    SCOPED_TRACE(bar);
    std::string script = melody::ChooseFlute() + "menu \"Ear training/Scale/Pentatonica\"\n" + HoverBar(t, bar) +
                         "dump\n" + melody::Away(t);
    apptest::Session s = melody::RunClean(script);
    std::vector<std::string> expected = {apptest::Program(kChannel, 74)};
    for (int off : kScaleOffs) expected.push_back(apptest::NoteOff(kChannel, off));
    EXPECT_EQ(melody::OnChannel(s.midi, kChannel), expected);
    EXPECT_NE(s.output.find("window \"Cambia\" 431 79 162 451 hidden\n"), std::string::npos) << s.output;
  }
}

struct MinorBar {
  const char* caption;
  int x, y;  // centre
  int note;
  bool colours;  // pushing it also gives the scale window fn a background colour
};

// The upper row ascends, the lower one descends; bars 40 wide from Left 100, Top 60 and 230.
const MinorBar kMinorBars[] = {
    {"A", 120, 110, 57, false}, {"B", 160, 110, 59, true},  {"C", 200, 110, 60, true},
    {"D", 240, 110, 62, true},  {"E", 280, 110, 64, true},  {"F #", 320, 110, 66, true},
    {"G #", 360, 110, 68, true}, {"A", 400, 110, 69, false}, {"A", 120, 280, 69, false},
    {"G", 160, 280, 67, false}, {"F", 200, 280, 65, false}, {"E", 240, 280, 64, true},
    {"D", 280, 280, 62, false}, {"C", 320, 280, 60, false}, {"B", 360, 280, 59, false},
    {"A", 400, 280, 57, false},
};
constexpr char kMinor[] = "Scala minore melodica";

TEST(MelodicMinor, EveryBarPlaysItsIndexAndTheFirstAppliesTheInstrument) {
  std::string script = melody::ChooseFlute() + "menu \"Ear training/Scale/Minore melodica\"\ndump\n";
  for (const MinorBar& b : kMinorBars) script += melody::Hover(kMinor, b.x, b.y) + melody::Away(kMinor);
  apptest::Session s = melody::RunClean(script);
  std::vector<std::string> expected = {apptest::Program(kChannel, 74)};
  for (const MinorBar& b : kMinorBars) {
    expected.push_back(apptest::NoteOn(kChannel, b.note));
    expected.push_back(apptest::NoteOff(kChannel, b.note));
  }
  EXPECT_EQ(melody::OnChannel(s.midi, kChannel), expected);
  std::vector<std::string> dumps = apptest::Dumps(s.output);
  ASSERT_EQ(dumps.size(), 1u);
  std::string block = apptest::WindowBlock(dumps[0], kMinor);
  EXPECT_EQ(block.rfind("window \"Scala minore melodica\" 10 50 508 400 visible active\n", 0), 0u) << dumps[0];
  EXPECT_NE(block.find("  BUTTON \"Esci\" 415 365 60 20"), std::string::npos) << block;
  for (const char* line : {"  StaticText \"Ascendente\" 222 25 ", "  StaticText \"Discendente\" 222 350 ",
                           "  StaticText \"Mouse enter to play\" 195 186 "})
    EXPECT_NE(block.find(line), std::string::npos) << line << block;
  for (const MinorBar& b : kMinorBars) {
    std::string bar = "  KT_Pane \"" + std::string(b.caption) + "\" " + std::to_string(b.x - 20) + " " +
                      std::to_string(b.y - 50) + " 40 100\n";
    EXPECT_NE(block.find(bar), std::string::npos) << bar << block;
  }
}

// The first bar reads the instrument buttons without hiding their window: in a fresh session
// that makes the instrument window, which stays on the screen. Another bar leaves it unmade.
TEST(MelodicMinor, TheFirstBarLeavesTheInstrumentWindowShown) {
  apptest::Session s = melody::RunClean("menu \"Ear training/Scale/Minore melodica\"\n" +
                                        melody::Hover(kMinor, 160, 110) + melody::Away(kMinor) + "dump\n");
  EXPECT_EQ(s.output.find("window \"Cambia\""), std::string::npos) << s.output;
  s = melody::RunClean("menu \"Ear training/Scale/Minore melodica\"\n" + melody::Hover(kMinor, 120, 110) +
                       melody::Away(kMinor) + "dump\n");
  EXPECT_NE(s.output.find("window \"Cambia\" 431 79 162 451 visible"), std::string::npos) << s.output;
  // Without a choice the design instrument stays: no program change.
  EXPECT_EQ(melody::OnChannel(s.midi, kChannel),
            (std::vector<std::string>{apptest::NoteOn(kChannel, 57), apptest::NoteOff(kChannel, 57)}));
}

// Pushing an upper bar plays its note again; six bars (the second array member among them, in
// the lower row) also colour the scale window, which their push opens. A lower bar's push
// does nothing else. One session per bar, since the scale window then covers the upper row.
TEST(MelodicMinor, PushingABarReplaysTheUpperRowAndOpensTheScaleWindowFromSixBars) {
  for (size_t k = 0; k < std::size(kMinorBars); ++k) {
    const MinorBar& b = kMinorBars[k];
    SCOPED_TRACE(k);
    bool upper = b.y == 110;
    apptest::Session s = melody::RunClean("menu \"Ear training/Scale/Minore melodica\"\n" +
                                          melody::Click(kMinor, b.x, b.y) + "dump\n" + melody::Away(kMinor));
    std::vector<std::string> expected = {apptest::NoteOn(kChannel, b.note)};
    if (upper || b.colours) expected.push_back(apptest::NoteOn(kChannel, b.note));
    expected.push_back(apptest::NoteOff(kChannel, b.note));
    EXPECT_EQ(melody::OnChannel(s.midi, kChannel), expected);
    std::vector<std::string> dumps = apptest::Dumps(s.output);
    ASSERT_EQ(dumps.size(), 1u) << s.output;
    // The scale window made by its accessor: design title (empty), placement 0.
    bool opened = dumps[0].find("window \"\" 10 50 508 225 visible") != std::string::npos;
    EXPECT_EQ(opened, b.colours) << dumps[0];
  }
}

}  // namespace
