// Naming a note in the four voices (fns) and naming an interval above C3 (fni), run for real:
// the captions the menu handler sets, the guide note with the chosen instrument, random draws
// judged by pushing every answer button in turn, and the edge cases of the answers.
#include <gtest/gtest.h>

#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "tests/app/melody_steps.h"

namespace {

using melody::kChannel;

struct Voice {
  const char* menu;
  const char* title;
  int lowest;
  const char* captions;  // answer buttons 1 .. 22
};

const Voice kVoices[] = {
    {"Ear training/Note/Soprano", "Note soprano", 60,
     "C3 C#3 D3 Eb3 E3 F3 F#3 G3 Ab3 A3 Bb3 B3 C4 C#4 D4 Eb4 E4 F4 F#4 G4 Ab4 A4"},
    {"Ear training/Note/Alto", "Note contralto", 53,
     "F2 F#2 G2 Ab2 A2 Bb2 B2 C3 C#3 D3 Eb3 E3 F3 F#3 G3 Ab3 A3 Bb3 B3 C4 C#4 D4"},
    {"Ear training/Note/Tenore", "Note tenore", 48,
     "C2 C#2 D2 Eb2 E2 F2 F#2 G2 Ab2 A2 Bb2 B2 C3 C#3 D3 Eb3 E3 F3 F#3 G3 Ab3 A3"},
    {"Ear training/Note/Basso", "Note basso", 41,
     "F1 F#1 G1 Ab1 A1 Bb1 B1 C2 C#2 D2 Eb2 E2 F2 F#2 G2 Ab2 A2 Bb2 B2 C3 C#3 D3"},
};

std::vector<std::string> Split(const std::string& text) {
  std::vector<std::string> parts;
  std::istringstream in(text);
  for (std::string part; in >> part;) parts.push_back(part);
  return parts;
}

// Answer button i (1 .. 22) of fns: rows of eight, 40 x 20.
int ButtonLeft(int i) { return 20 + 55 * ((i - 1) % 8); }
int ButtonTop(int i) { return 55 + 35 * ((i - 1) / 8); }
std::string PushAnswer(const std::string& title, int i) {
  return melody::Click(title, ButtonLeft(i) + 20, ButtonTop(i) + 10);
}

constexpr int kGuideX = 100, kGuideY = 25;  // "Nota guida C3"
constexpr int kPlayX = 100, kPlayY = 180;   // "Play"

TEST(NoteNaming, EveryVoiceShowsItsTwentyTwoCaptionsAndItsTitle) {
  for (const Voice& v : kVoices) {
    SCOPED_TRACE(v.title);
    apptest::Session s = melody::RunClean("menu \"" + std::string(v.menu) + "\"\ndump\n");
    std::vector<std::string> dumps = apptest::Dumps(s.output);
    ASSERT_EQ(dumps.size(), 1u) << s.output;
    std::string block = apptest::WindowBlock(dumps[0], v.title);
    ASSERT_NE(block, "") << dumps[0];
    std::vector<std::string> captions = Split(v.captions);
    ASSERT_EQ(captions.size(), 22u);
    for (int i = 1; i <= 22; ++i) {
      std::string line = "  BUTTON \"" + captions[i - 1] + "\" " + std::to_string(ButtonLeft(i)) + " " +
                         std::to_string(ButtonTop(i)) + " 40 20\n";
      EXPECT_NE(block.find(line), std::string::npos) << line << block;
    }
    for (const char* line : {"  BUTTON \"Clear\" 295 17 60 20\n", "  BUTTON \"Esci\" 385 170 60 20",
                             "  KT_Pane \"Nota guida C3\" 20 15 205 22\n", "  KT_Pane \"Play\" 20 170 205 22\n",
                             "  StaticText \"Mouse enter to play\" "})
      EXPECT_NE(block.find(line), std::string::npos) << line << block;
  }
}

TEST(NoteNaming, GuideSoundsC3WithTheChosenInstrumentAndHidesTheInstrumentWindow) {
  std::string script = melody::ChooseFlute() + "menu \"Ear training/Note/Tenore\"\n" +
                       melody::Hover("Note tenore", kGuideX, kGuideY) + "dump\n" +
                       melody::Away("Note tenore") + "dump\n";
  apptest::Session s = melody::RunClean(script);
  EXPECT_EQ(melody::OnChannel(s.midi, kChannel),
            (std::vector<std::string>{apptest::Program(kChannel, 74), apptest::NoteOn(kChannel, 60),
                                      apptest::NoteOff(kChannel, 60)}));
  std::vector<std::string> dumps = apptest::Dumps(s.output);
  ASSERT_EQ(dumps.size(), 2u) << s.output;
  EXPECT_EQ(melody::FieldAt(dumps[0], "Note tenore", 405, 300), "60");
  EXPECT_NE(dumps[0].find("window \"Cambia\" 431 79 162 451 hidden\n"), std::string::npos) << dumps[0];
}

TEST(NoteNaming, GuideWithoutAChoiceKeepsTheDesignInstrument) {
  std::string script = "menu \"Ear training/Note/Soprano\"\n" + melody::Hover("Note soprano", kGuideX, kGuideY) +
                       melody::Away("Note soprano") + "dump\n";
  apptest::Session s = melody::RunClean(script);
  EXPECT_EQ(melody::OnChannel(s.midi, kChannel),
            (std::vector<std::string>{apptest::NoteOn(kChannel, 60), apptest::NoteOff(kChannel, 60)}));
  // Reading the radio buttons made the instrument window, and the guide hid it again.
  EXPECT_NE(s.output.find("window \"Cambia\" 431 79 162 451 hidden\n"), std::string::npos) << s.output;
}

// After each draw every answer button is pushed in turn: exactly the one that names the note
// that sounded says "true".
TEST(NoteNaming, AfterEachDrawExactlyTheButtonNamingTheNoteSaysTrue) {
  constexpr int kDraws = 3;
  for (const Voice& v : kVoices) {
    SCOPED_TRACE(v.title);
    std::string script = "menu \"" + std::string(v.menu) + "\"\n";
    for (int d = 0; d < kDraws; ++d) {
      script += melody::Hover(v.title, kPlayX, kPlayY) + melody::Away(v.title);
      for (int i = 1; i <= 22; ++i) script += PushAnswer(v.title, i) + "dump\n";
    }
    apptest::Session s = melody::RunClean(script);
    std::vector<std::string> words = melody::OnChannel(s.midi, kChannel);
    std::vector<int> notes = melody::NoteOns(words, kChannel);
    ASSERT_EQ(notes.size(), static_cast<size_t>(kDraws)) << s.output;
    std::vector<std::string> dumps = apptest::Dumps(s.output);
    ASSERT_EQ(dumps.size(), static_cast<size_t>(kDraws * 22));
    std::vector<std::string> captions = Split(v.captions);
    for (int d = 0; d < kDraws; ++d) {
      int n = notes[d];
      ASSERT_GE(n, v.lowest);
      ASSERT_LE(n, v.lowest + 21);
      // Leaving "Play" stopped the note it started.
      EXPECT_EQ(words[2 * d], apptest::NoteOn(kChannel, n));
      EXPECT_EQ(words[2 * d + 1], apptest::NoteOff(kChannel, n));
      int trues = 0;
      for (int i = 1; i <= 22; ++i) {
        const std::string& dump = dumps[d * 22 + i - 1];
        EXPECT_EQ(melody::FieldAt(dump, v.title, 405, 300), std::to_string(n));
        std::string verdict = melody::FieldAt(dump, v.title, 405, 15);
        bool right = captions[i - 1] == captions[n - v.lowest];
        EXPECT_EQ(verdict, right ? "true" : "false") << "note " << n << ", button " << i;
        trues += verdict == "true";
      }
      EXPECT_EQ(trues, 1) << "note " << n;
    }
  }
}

// "Note basso": Play draws every note from 41 to 62 and nothing else, and "D3" (button 22)
// is right exactly for 62.
TEST(NoteNaming, BassoDrawsFrom41To62AndD3IsRightFor62) {
  constexpr int kDraws = 300;  // every one of the 22 notes turns up but once in 50000 runs
  std::string script = "menu \"Ear training/Note/Basso\"\n";
  for (int d = 0; d < kDraws; ++d)
    script += melody::Hover("Note basso", kPlayX, kPlayY) + melody::Away("Note basso") +
              PushAnswer("Note basso", 22) + "dump\n";
  apptest::Session s = melody::RunClean(script);
  std::vector<int> notes = melody::NoteOns(melody::OnChannel(s.midi, kChannel), kChannel);
  ASSERT_EQ(notes.size(), static_cast<size_t>(kDraws));
  std::vector<std::string> dumps = apptest::Dumps(s.output);
  ASSERT_EQ(dumps.size(), static_cast<size_t>(kDraws));
  std::set<int> drawn;
  for (int d = 0; d < kDraws; ++d) {
    drawn.insert(notes[d]);
    EXPECT_EQ(melody::FieldAt(dumps[d], "Note basso", 405, 15), notes[d] == 62 ? "true" : "false") << notes[d];
  }
  std::set<int> range;
  for (int n = 41; n <= 62; ++n) range.insert(n);
  EXPECT_EQ(drawn, range);
}

TEST(NoteNaming, AnswersCompareNumbersAndClearEmptiesTheFeedback) {
  const std::string t = "Note soprano";
  std::string script = "menu \"Ear training/Note/Soprano\"\n" +
                       // Before any sound efin is empty, read as 0: even C3 is wrong.
                       PushAnswer(t, 1) + "dump\n" +
                       // The guide leaves "60" in efin, which matches the caption "C3".
                       melody::Hover(t, kGuideX, kGuideY) + melody::Away(t) + PushAnswer(t, 1) + "dump\n" +
                       PushAnswer(t, 2) + "dump\n" + PushAnswer(t, 13) + "dump\n" +
                       melody::Click(t, 325, 27) + "dump\n";
  apptest::Session s = melody::RunClean(script);
  std::vector<std::string> dumps = apptest::Dumps(s.output);
  ASSERT_EQ(dumps.size(), 5u) << s.output;
  const char* expected[] = {"false", "true", "false", "false", ""};
  for (int i = 0; i < 5; ++i) EXPECT_EQ(melody::FieldAt(dumps[i], t, 405, 15), expected[i]) << i;
  EXPECT_EQ(melody::FieldAt(dumps[0], t, 405, 300), "");
}

// The note field is the first control of fns and has the focus when the window opens, so the
// keyboard can put a note into it: "D3" (button 22 of "Note basso") is right for 62, its
// neighbour is not, and a text that is no number counts as 0.
TEST(NoteNaming, D3IsRightFor62AndATextThatIsNoNumberMatchesNothing) {
  const std::string t = "Note basso";
  std::string script = "menu \"Ear training/Note/Basso\"\ntype \"62\"\n" + PushAnswer(t, 22) + "dump\n" +
                       PushAnswer(t, 21) + "dump\n";
  apptest::Session s = melody::RunClean(script);
  std::vector<std::string> dumps = apptest::Dumps(s.output);
  ASSERT_EQ(dumps.size(), 2u) << s.output;
  EXPECT_EQ(melody::FieldAt(dumps[0], t, 405, 300), "62");
  EXPECT_EQ(melody::FieldAt(dumps[0], t, 405, 15), "true");
  EXPECT_EQ(melody::FieldAt(dumps[1], t, 405, 15), "false");

  s = melody::RunClean("menu \"Ear training/Note/Basso\"\ntype \"re\"\n" + PushAnswer(t, 1) + "dump\n");
  dumps = apptest::Dumps(s.output);
  ASSERT_EQ(dumps.size(), 1u) << s.output;
  EXPECT_EQ(melody::FieldAt(dumps[0], t, 405, 300), "re");
  EXPECT_EQ(melody::FieldAt(dumps[0], t, 405, 15), "false");
}

struct Interval {
  const char* caption;
  int left, top;
  int semitones;  // above C3
};

const Interval kIntervals[] = {
    {"U", 20, 160, 0},   {"2m", 20, 55, 1},   {"2M", 130, 55, 2},   {"3m", 240, 55, 3},   {"3M", 350, 55, 4},
    {"4g", 20, 90, 5},   {"5d", 130, 90, 6},  {"5g", 240, 90, 7},   {"6m", 350, 90, 8},   {"6M", 20, 125, 9},
    {"7m", 130, 125, 10}, {"7M", 240, 125, 11}, {"8", 350, 125, 12},
};

std::string PushAll(const std::string& title) {
  std::string script;
  for (const Interval& i : kIntervals) script += melody::Click(title, i.left + 30, i.top + 10) + "dump\n";
  return script;
}

TEST(IntervalNaming, ShowsItsButtonsAndAfterTheGuideOnlyUnisonIsTrue) {
  const std::string t = "Intervalli";
  std::string script = melody::ChooseFlute() + "menu \"Ear training/Intervalli\"\ndump\n" + PushAll(t) +
                       melody::Hover(t, 100, 25) + melody::Away(t) + PushAll(t);
  apptest::Session s = melody::RunClean(script);
  std::vector<std::string> dumps = apptest::Dumps(s.output);
  ASSERT_EQ(dumps.size(), 27u) << s.output;
  std::string block = apptest::WindowBlock(dumps[0], t);
  for (const char* line : {"  KT_Pane \"Nota guida\" 20 15 163 22\n", "  KT_Pane \"Play\" 125 160 180 22\n",
                           "  StaticText \"Mouse enter to play\" ", "  BUTTON \"Esci\" 385 170 60 20"})
    EXPECT_NE(block.find(line), std::string::npos) << line << block;
  for (const Interval& i : kIntervals) {
    std::string line = "  BUTTON \"" + std::string(i.caption) + "\" " + std::to_string(i.left) + " " +
                       std::to_string(i.top) + " 60 20\n";
    EXPECT_NE(block.find(line), std::string::npos) << line << block;
  }
  // Before any sound efin is empty: every answer is "False".
  for (int k = 0; k < 13; ++k) EXPECT_EQ(melody::FieldAt(dumps[1 + k], t, 240, 15), "False") << k;
  for (int k = 0; k < 13; ++k)
    EXPECT_EQ(melody::FieldAt(dumps[14 + k], t, 240, 15), k == 0 ? "True" : "False") << kIntervals[k].caption;
  // The guide applied the chosen instrument and hid the instrument window.
  EXPECT_EQ(melody::OnChannel(s.midi, kChannel),
            (std::vector<std::string>{apptest::Program(kChannel, 74), apptest::NoteOn(kChannel, 60),
                                      apptest::NoteOff(kChannel, 60)}));
  EXPECT_NE(dumps[14].find("window \"Cambia\" 431 79 162 451 hidden\n"), std::string::npos) << dumps[14];
}

TEST(IntervalNaming, AfterEachDrawExactlyTheIntervalFromC3SaysTrue) {
  constexpr int kDraws = 5;
  const std::string t = "Intervalli";
  std::string script = melody::ChooseFlute() + "menu \"Ear training/Intervalli\"\n";
  for (int d = 0; d < kDraws; ++d) script += melody::Hover(t, 200, 170) + melody::Away(t) + PushAll(t);
  apptest::Session s = melody::RunClean(script);
  std::vector<std::string> words = melody::OnChannel(s.midi, kChannel);
  // "Play" does not apply the instrument choice: no program change.
  ASSERT_EQ(words.size(), static_cast<size_t>(2 * kDraws));
  std::vector<std::string> dumps = apptest::Dumps(s.output);
  ASSERT_EQ(dumps.size(), static_cast<size_t>(13 * kDraws));
  for (int d = 0; d < kDraws; ++d) {
    unsigned long on = std::stoul(words[2 * d], nullptr, 16);
    int n = (on >> 8) & 0x7F;
    ASSERT_GE(n, 60);
    ASSERT_LE(n, 72);
    EXPECT_EQ(words[2 * d], apptest::NoteOn(kChannel, n));
    EXPECT_EQ(words[2 * d + 1], apptest::NoteOff(kChannel, n));
    int trues = 0;
    for (int k = 0; k < 13; ++k) {
      std::string verdict = melody::FieldAt(dumps[13 * d + k], t, 240, 15);
      EXPECT_EQ(verdict, 60 + kIntervals[k].semitones == n ? "True" : "False") << n << " " << kIntervals[k].caption;
      trues += verdict == "True";
    }
    EXPECT_EQ(trues, 1) << n;
  }
}

}  // namespace
