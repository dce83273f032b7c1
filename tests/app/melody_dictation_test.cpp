// Melodic dictation (fndm), run for real: the guide bar, the eight bars drawing a note of the
// C major scale into their hidden fields, "Check" writing the solutions and judging what the
// student wrote in letter or Italian names, and "Clear".
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "tests/app/melody_steps.h"

namespace {

using melody::kChannel;

constexpr char kTitle[] = "Dettati melodici";
const int kScale[] = {60, 62, 64, 65, 67, 69, 71, 72};                            // degrees 1 .. 8
const char* const kSolution[] = {"C3", "D3", "E3", "F3", "G3", "A3", "B3", "C4"};  // the same

int BarX(int k) { return 100 + 40 * (k - 1); }
std::string HoverBar(int k) { return melody::Hover(kTitle, BarX(k), 90); }
std::string Answer(int k, const std::string& text) { return melody::TypeAt(kTitle, BarX(k), 183, text); }
std::string Hidden(const std::string& dump, int k) { return melody::FieldAt(dump, kTitle, 80 + 40 * (k - 1), 300); }
std::string Visible(const std::string& dump, int k) { return melody::FieldAt(dump, kTitle, 80 + 40 * (k - 1), 172); }
// The hidden field below the answer that keeps what the last "Check" wrote there.
std::string Remembered(const std::string& dump, int k) { return melody::FieldAt(dump, kTitle, 80 + 40 * (k - 1), 330); }
const std::string kCheck = melody::Click(kTitle, 455, 70);
const std::string kClear = melody::Click(kTitle, 455, 110);
constexpr char kOpen[] = "menu \"Dettati/Melodici\"\n";

// The words that leaving any bar sends.
std::vector<std::string> Offs() {
  std::vector<std::string> offs;
  for (int n : kScale) offs.push_back(apptest::NoteOff(kChannel, n));
  return offs;
}

int Degree(int note) {
  for (int d = 1; d <= 8; ++d)
    if (kScale[d - 1] == note) return d;
  return 0;
}

TEST(MelodicDictation, TheGuideBarSoundsC3WithoutTouchingTheInstrument) {
  apptest::Session s = melody::RunClean(melody::ChooseFlute() + kOpen + melody::Hover(kTitle, 40, 90) +
                                        melody::Away(kTitle) + "dump\n");
  EXPECT_EQ(melody::OnChannel(s.midi, kChannel),
            (std::vector<std::string>{apptest::NoteOn(kChannel, 60), apptest::NoteOff(kChannel, 60)}));
  std::vector<std::string> dumps = apptest::Dumps(s.output);
  ASSERT_EQ(dumps.size(), 1u);
  EXPECT_EQ(apptest::WindowBlock(dumps[0], kTitle).rfind("window \"Dettati melodici\" 258 135 508 225 visible", 0), 0u)
      << dumps[0];
  for (const char* line : {"  BUTTON \"Check\" 425 60 60 20", "  BUTTON \"Clear\" 425 100 60 20",
                           "  BUTTON \"Esci\" 425 172 60 20", "  KT_Pane \"C3\" 20 40 40 100\n",
                           "  StaticText \"Nota guida\" 12 140 ", "  StaticText \"Mouse enter to play\" 180 10 "})
    EXPECT_NE(dumps[0].find(line), std::string::npos) << line;
  for (int k = 1; k <= 8; ++k) {
    std::string bar = "  KT_Pane \"" + std::to_string(k) + "\" " + std::to_string(80 + 40 * (k - 1)) + " 40 40 100\n";
    EXPECT_NE(dumps[0].find(bar), std::string::npos) << bar;
    std::string field = "  RichEdit \"\" " + std::to_string(80 + 40 * (k - 1)) + " 172 40 22";
    EXPECT_NE(dumps[0].find(field), std::string::npos) << field;
  }
}

// Bar 2 first (no program change), then bar 1 (the flute, and the instrument window hidden),
// then the others: each note is a degree of the scale, kept as its number in the bar's field.
TEST(MelodicDictation, EachBarDrawsADegreeIntoItsHiddenFieldAndOnlyBarOneSetsTheInstrument) {
  const int order[] = {2, 1, 3, 4, 5, 6, 7, 8};
  std::string script = melody::ChooseFlute() + kOpen;
  for (int k : order) script += HoverBar(k) + melody::Away(kTitle) + "dump\n";
  apptest::Session s = melody::RunClean(script);
  std::vector<std::string> words = melody::OnChannel(s.midi, kChannel);
  std::vector<int> notes = melody::NoteOns(words, kChannel);
  ASSERT_EQ(notes.size(), 8u);
  std::vector<std::string> expected;
  for (int i = 0; i < 8; ++i) {
    if (order[i] == 1) expected.push_back(apptest::Program(kChannel, 74));
    expected.push_back(apptest::NoteOn(kChannel, notes[i]));
    for (const std::string& off : Offs()) expected.push_back(off);
  }
  EXPECT_EQ(words, expected);
  std::vector<std::string> dumps = apptest::Dumps(s.output);
  ASSERT_EQ(dumps.size(), 8u) << s.output;
  for (int i = 0; i < 8; ++i) {
    ASSERT_NE(Degree(notes[i]), 0) << notes[i];
    EXPECT_EQ(Hidden(dumps[i], order[i]), std::to_string(Degree(notes[i]))) << "bar " << order[i];
  }
  EXPECT_NE(dumps[1].find("window \"Cambia\" 431 79 162 451 hidden\n"), std::string::npos) << dumps[1];
}

// Every entry draws afresh, and pushing bar 2 draws as entering it does.
TEST(MelodicDictation, EnteringAgainOrPushingBarTwoDrawsANewNote) {
  constexpr int kEntries = 24;
  std::string script = kOpen;
  for (int i = 0; i < kEntries; ++i) script += HoverBar(3) + melody::Away(kTitle) + "dump\n";
  script += HoverBar(2) + "click\ndump\n" + melody::Away(kTitle);
  apptest::Session s = melody::RunClean(script);
  std::vector<int> notes = melody::NoteOns(melody::OnChannel(s.midi, kChannel), kChannel);
  ASSERT_EQ(notes.size(), static_cast<size_t>(kEntries + 2));
  std::vector<std::string> dumps = apptest::Dumps(s.output);
  ASSERT_EQ(dumps.size(), static_cast<size_t>(kEntries + 1));
  std::set<int> seen;
  for (int i = 0; i < kEntries; ++i) {
    EXPECT_EQ(Hidden(dumps[i], 3), std::to_string(Degree(notes[i])));
    seen.insert(notes[i]);
  }
  EXPECT_GT(seen.size(), 1u);  // 24 equal draws of 8 would happen once in 10^21 runs
  EXPECT_EQ(Hidden(dumps[kEntries], 2), std::to_string(Degree(notes[kEntries + 1])));
}

// "Check" before any bar was entered writes nothing, whatever the student typed.
TEST(MelodicDictation, CheckBeforeAnyBarWritesNothing) {
  apptest::Session s =
      melody::RunClean(kOpen + Answer(1, "C3") + Answer(2, "Do3") + Answer(8, "xyz") + kCheck + "dump\n");
  std::vector<std::string> dumps = apptest::Dumps(s.output);
  ASSERT_EQ(dumps.size(), 1u) << s.output;
  const char* expected[] = {"C3", "Do3", "", "", "", "", "", "xyz"};
  for (int k = 1; k <= 8; ++k) EXPECT_EQ(Visible(dumps[0], k), expected[k - 1]) << k;
}

// After a random dictation with every answer "C3", each field shows its solution, marked right
// exactly where the solution is C3; then "Clear" empties them all.
TEST(MelodicDictation, CheckWritesEverySolutionAndJudgesTheAnswers) {
  constexpr int kRounds = 4;
  std::string script = kOpen;
  for (int r = 0; r < kRounds; ++r) {
    for (int k = 1; k <= 8; ++k) script += HoverBar(k) + melody::Away(kTitle);
    for (int k = 1; k <= 8; ++k) script += Answer(k, r % 2 ? "C3" : "do 3");
    script += kCheck + "dump\n" + kClear + "dump\n";
  }
  apptest::Session s = melody::RunClean(script);
  std::vector<int> notes = melody::NoteOns(melody::OnChannel(s.midi, kChannel), kChannel);
  ASSERT_EQ(notes.size(), static_cast<size_t>(8 * kRounds));
  std::vector<std::string> dumps = apptest::Dumps(s.output);
  ASSERT_EQ(dumps.size(), static_cast<size_t>(2 * kRounds));
  for (int r = 0; r < kRounds; ++r) {
    for (int k = 1; k <= 8; ++k) {
      int note = notes[8 * r + k - 1];
      std::string solution = kSolution[Degree(note) - 1];
      EXPECT_EQ(Visible(dumps[2 * r], k), solution + (note == 60 ? " sì" : " no")) << "round " << r << ", bar " << k;
      EXPECT_EQ(Visible(dumps[2 * r + 1], k), "");
    }
  }
}

struct Judged {
  const char* degree;   // typed into the bar's hidden field
  const char* written;  // the student's answer
  const char* shown;    // the field after "Check"
};

// The hidden fields take the keyboard too (ef1 has the focus when the window opens, Tab goes
// on to ef2 ...), which fixes the solutions: each group fills the eight bars.
const Judged kJudged[][8] = {
    {{"1", "C3", "C3 sì"},
     {"1", "c3", "C3 sì"},
     {"1", "C 3", "C3 sì"},
     {"1", "Do3", "C3 sì"},
     {"1", "do 3", "C3 sì"},
     {"1", "DO3", "C3 sì"},
     {"1", "B#2", "C3 sì"},
     {"1", "", "C3"}},
    {{"2", "Re3", "D3 sì"},
     {"3", "mi 3", "E3 sì"},
     {"4", "Fa3", "F3 sì"},
     {"5", "Sol3", "G3 sì"},
     {"6", "la3", "A3 sì"},
     {"7", "Si3", "B3 sì"},
     {"8", "Do4", "C4 sì"},
     {"4", "E#3", "F3 sì"}},
    {{"1", "D3", "C3 no"},
     {"1", "C4", "C3 no"},
     {"8", "do3", "C4 no"},
     {"2", "Reb3", "D3 no"},
     {"7", "Cb4", "B3 sì"},
     {"3", "Fb3", "E3 sì"},
     {"6", "Sib3", "A3 no"},
     {"5", "Sol#3", "G3 no"}},
    {{"1", "C", "C3 no"},        // the octave is part of the answer
     {"1", "xyz", "C3 no"},      // no note at all
     {"1", "C3 C3", "C3 no"},    // one note per bar
     {"2", "D#b3", "D3 sì"},     // the accidentals add up
     {"9", "C3", "C3"},          // no such degree: untouched
     {"0", "Do3", "Do3"},        // nor 0
     {"", "", ""},               // a bar never entered
     {"6", "   ", "A3"}},        // only spaces: nothing to judge
};

std::string FillHidden(const Judged (&group)[8]) {
  std::string script;
  for (int k = 1; k <= 8; ++k)
    script += std::string(k > 1 ? "key Tab\n" : "") + "type " + melody::Quoted(group[k - 1].degree) + "\n";
  return script;
}

TEST(MelodicDictation, JudgesLetterAndItalianNamesAndLeavesEmptyAnswersUnjudged) {
  for (size_t g = 0; g < std::size(kJudged); ++g) {
    SCOPED_TRACE(g);
    std::string script = kOpen + FillHidden(kJudged[g]);
    for (int k = 1; k <= 8; ++k) script += Answer(k, kJudged[g][k - 1].written);
    // A second "Check" leaves every field as the first one wrote it: a bare solution is no
    // answer of the student's.
    script += kCheck + "dump\n" + kCheck + "dump\n";
    apptest::Session s = melody::RunClean(script);
    std::vector<std::string> dumps = apptest::Dumps(s.output);
    ASSERT_EQ(dumps.size(), 2u) << s.output;
    for (int k = 1; k <= 8; ++k) {
      const Judged& j = kJudged[g][k - 1];
      bool drawn = j.degree[0] >= '1' && j.degree[0] <= '8';
      EXPECT_EQ(Hidden(dumps[0], k), j.degree) << k;
      EXPECT_EQ(Visible(dumps[0], k), j.shown) << k << " " << j.written;
      EXPECT_EQ(Remembered(dumps[0], k), drawn ? j.shown : "") << k;
      EXPECT_EQ(Visible(dumps[1], k), j.shown) << k << " " << j.written;
      EXPECT_EQ(Remembered(dumps[1], k), drawn ? j.shown : "") << k;
    }
    EXPECT_TRUE(s.midi.empty() || melody::OnChannel(s.midi, kChannel).empty());
  }
}

// A verdict belongs to the note it judged: after the bar has drawn again, "Check" writes the
// new solution alone unless it is the same note; what "Check" wrote is never judged.
TEST(MelodicDictation, ANewDrawReplacesAnOldVerdictByTheNewSolution) {
  std::string script = kOpen + FillHidden(kJudged[0]) + Answer(1, "Do3") + kCheck + "dump\n";
  for (int i = 0; i < 12; ++i) script += HoverBar(1) + melody::Away(kTitle) + kCheck + "dump\n";
  apptest::Session s = melody::RunClean(script);
  std::vector<int> notes = melody::NoteOns(melody::OnChannel(s.midi, kChannel), kChannel);
  ASSERT_EQ(notes.size(), 12u);
  std::vector<std::string> dumps = apptest::Dumps(s.output);
  ASSERT_EQ(dumps.size(), 13u);
  EXPECT_EQ(Visible(dumps[0], 1), "C3 sì");
  std::string shown = "C3 sì";
  for (int i = 0; i < 12; ++i) {
    std::string solution = kSolution[Degree(notes[i]) - 1];
    if (shown != solution && shown != solution + " sì" && shown != solution + " no") shown = solution;
    EXPECT_EQ(Visible(dumps[i + 1], 1), shown) << i;
    EXPECT_EQ(Remembered(dumps[i + 1], 1), shown) << i;
  }
}

// Bar 1 holds C3 throughout; each case is a run of steps on its answer field, each step
// followed by a dump of what the field shows. What "Check" wrote is left alone by the next
// "Check"; whatever the student changed, or typed after "Clear", is judged.
struct Repeat {
  const char* what;
  std::vector<std::pair<std::string, std::string>> steps;  // script step, field after it
};

const Repeat kRepeats[] = {
    {"an unanswered field keeps its bare solution", {{kCheck, "C3"}, {kCheck, "C3"}, {kCheck, "C3"}}},
    {"a wrong answer keeps its verdict", {{Answer(1, "D3"), "D3"}, {kCheck, "C3 no"}, {kCheck, "C3 no"}}},
    {"a right answer keeps its verdict", {{Answer(1, "do 3"), "do 3"}, {kCheck, "C3 sì"}, {kCheck, "C3 sì"}}},
    // After Clear the field remembers nothing: "C3" typed again is the student's answer.
    {"the solution typed after Clear", {{kCheck, "C3"}, {kClear, ""}, {Answer(1, "C3"), "C3"}, {kCheck, "C3 sì"},
                                        {kCheck, "C3 sì"}}},
    {"the bare solution edited by the student", {{kCheck, "C3"}, {Answer(1, "x"), "<edited>"}, {kCheck, "C3 no"}}},
};

class RepeatedCheck : public ::testing::TestWithParam<Repeat> {};

TEST_P(RepeatedCheck, JudgesOnlyWhatTheStudentWrote) {
  const Repeat& c = GetParam();
  std::string script = std::string(kOpen) + "type \"1\"\n";  // ef1 has the focus
  for (const auto& step : c.steps) script += step.first + "dump\n";
  apptest::Session s = melody::RunClean(script);
  std::vector<std::string> dumps = apptest::Dumps(s.output);
  ASSERT_EQ(dumps.size(), c.steps.size()) << s.output;
  for (size_t i = 0; i < dumps.size(); ++i) {
    std::string shown = Visible(dumps[i], 1);
    if (c.steps[i].second == "<edited>") {
      EXPECT_TRUE(shown == "C3x" || shown == "xC3") << c.what << ", step " << i << ": " << shown;
    } else {
      EXPECT_EQ(shown, c.steps[i].second) << c.what << ", step " << i;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Steps, RepeatedCheck, ::testing::ValuesIn(kRepeats));

}  // namespace
