// Harmonic dictation (fndarm) in both modes, as a student does it: the guide bars sound the
// tonic, every bar draws a chord of the mode afresh, and "Check" writes each solution with
// " sì" or " no" for what the student wrote (bare for an empty field). Degrees count as
// written, case included, spaces around them aside; "vii°" may lack its sign. The tables
// and the rule are written out afresh here.
#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "tests/app/chords_session.h"

namespace {

using chords::Box;
using chords::Midi;
using chords::Notes;
using chords::Script;

const char* const kDegrees[6] = {"ii", "iii", "IV", "V", "vi", "vii°"};

struct Mode {
  const char* menu;
  const char* title;
  const char* tonicName;
  Notes tonic, open;
  Notes chords[6];
};

const Mode kMajor = {"Dettati/Modo maggiore", "Dettato armonico modo maggiore", "I",
                     {60, 64, 67, 72}, {60, 67, 76, 84},
                     {{62, 65, 69, 74}, {64, 67, 71, 76}, {65, 69, 72, 77},
                      {67, 71, 74, 79}, {69, 72, 76, 81}, {71, 74, 77, 83}}};
const Mode kMinor = {"Dettati/Modo minore", "Dettato armonico modo minore", "i",
                     {60, 63, 67, 72}, {60, 67, 75, 84},
                     {{62, 65, 68, 74}, {63, 67, 70, 75}, {65, 68, 72, 77},
                      {67, 71, 74, 79}, {68, 72, 75, 80}, {71, 74, 77, 83}}};

const Box kGuideBar = {80, 40, 40, 100};
const Box kLastBar = {360, 40, 40, 100};
const Box kCheck = {425, 60, 60, 20};
const Box kClear = {425, 100, 60, 20};

int Left(int bar) { return 120 + 40 * (bar - 2); }
Box Bar(int bar) { return {Left(bar), 40, 40, 100}; }
Box Answer(int bar) { return {Left(bar), 172, 40, 22}; }

// The chord number bar i's hidden field shows, 0 when none.
int Drawn(const std::string& block, int bar) {
  std::string text = chords::TextAt(block, "RichEdit", Left(bar), 300);
  if (text.size() != 1 || text[0] < '1' || text[0] > '6') return 0;
  return text[0] - '0';
}

std::string AnswerText(const std::string& block, int bar) {
  return chords::TextAt(block, "RichEdit", Left(bar), 172);
}

std::string Trimmed(const std::string& text) {
  size_t begin = text.find_first_not_of(' ');
  if (begin == std::string::npos) return "";
  return text.substr(begin, text.find_last_not_of(' ') + 1 - begin);
}

bool Accepted(const std::string& written, const std::string& solution) {
  std::string degree = Trimmed(written);
  if (degree == solution) return true;
  return solution == "vii°" && (degree == "vii" || degree == "viiº" || degree == "viio");
}

// What "Check" leaves in a field where the student wrote `written`.
std::string Judged(const std::string& written, const std::string& solution) {
  if (Trimmed(written).empty()) return solution;
  return solution + (Accepted(written, solution) ? " sì" : " no");
}

// Rests on the guide bar, sweeps bars 2 to 7 from one to the next, ends on the last bar
// and leaves the window.
void Sweep(Script& script, const Mode& mode) {
  script.Hover(mode.title, kGuideBar);
  for (int bar = 2; bar <= 7; ++bar) script.Hover(mode.title, Bar(bar));
  script.Hover(mode.title, kLastBar).LeaveWindow();
}

void PrintTo(const Mode& mode, std::ostream* out) { *out << mode.title; }

class HarmonicDictation : public ::testing::TestWithParam<Mode> {};

TEST_P(HarmonicDictation, EveryEntryDrawsAChordOfTheModeAndLeavingStopsIt) {
  const Mode& mode = GetParam();
  const int kSweeps = 4;
  Script script;
  script.Menu(mode.menu).Dump();
  for (int sweep = 0; sweep < kSweeps; ++sweep) Sweep(script, mode), script.Dump();
  apptest::Session session = apptest::Run(script.Text());
  ASSERT_EQ(session.status, 0) << session.errors;
  EXPECT_EQ(session.errors, "");
  std::vector<std::string> blocks = chords::Blocks(session, mode.title);
  ASSERT_EQ(blocks.size(), 1u + kSweeps) << session.output;
  for (int bar = 2; bar <= 7; ++bar) EXPECT_EQ(Drawn(blocks[0], bar), 0);
  Midi expected(chords::kExerciseChannel);
  for (int sweep = 1; sweep <= kSweeps; ++sweep) {
    expected.On(mode.tonic).Off(mode.tonic);
    for (int bar = 2; bar <= 7; ++bar) {
      int c = Drawn(blocks[sweep], bar);
      ASSERT_NE(c, 0) << blocks[sweep];
      expected.On(mode.chords[c - 1]).Off(mode.chords[c - 1]);
    }
    expected.On(mode.open).Off(mode.open);
  }
  EXPECT_EQ(chords::OnChannel(session.midi, chords::kExerciseChannel), expected.Words());
  EXPECT_TRUE(apptest::Sounding(session.midi).empty());
  EXPECT_EQ(chords::TextAt(blocks[0], "KT_Pane", kGuideBar.left, kGuideBar.top), mode.tonicName);
  EXPECT_EQ(chords::TextAt(blocks[0], "KT_Pane", kLastBar.left, kLastBar.top), mode.tonicName);
  EXPECT_NE(blocks[0].find("  StaticText \"Arm. guida\" 72 140 "), std::string::npos) << blocks[0];
}

// Answer sets for the six fields (bars 2..7), each typed after "Clear". First nothing at
// all, so that Check writes the bare solutions; then six sets that give every field every
// degree once, in the spellings a student may use (the exact solution typed into a field
// that Check had filled before "Clear" is judged afresh); then degrees in the wrong case,
// other texts, and a few fields only.
std::vector<std::vector<std::string>> AnswerSets() {
  const char* const spellings[] = {"%", " %", "% ", " % ", "%", "  %"};
  const char* const diminished[] = {"vii°", "vii", "viiº", "viio", " vii° ", "vii "};
  std::vector<std::vector<std::string>> sets = {{"", "", "", "", "", ""}};
  for (int s = 0; s < 6; ++s) {
    std::vector<std::string> set;
    for (int f = 0; f < 6; ++f) {
      int degree = (s + f) % 6;
      if (degree == 5) {
        set.push_back(diminished[f]);
      } else {
        std::string text = spellings[f];
        text.replace(text.find('%'), 1, kDegrees[degree]);
        set.push_back(text);
      }
    }
    sets.push_back(set);
  }
  sets.push_back({"II", "III", "iv", "v", "VI", "VII°"});
  sets.push_back({"VII", "I", "vii7", "ii°", "V7", "x"});
  sets.push_back({"  ", "", "IV", "", "vii", ""});
  return sets;
}

TEST_P(HarmonicDictation, CheckWritesEachSolutionWithItsVerdict) {
  const Mode& mode = GetParam();
  std::vector<std::vector<std::string>> sets = AnswerSets();
  Script script;
  script.Menu(mode.menu);
  Sweep(script, mode);
  script.Dump();
  for (const std::vector<std::string>& set : sets) {
    script.Push(mode.title, kClear);
    for (int bar = 2; bar <= 7; ++bar) {
      if (set[bar - 2].empty()) continue;
      script.Push(mode.title, Answer(bar)).Type(set[bar - 2]);
    }
    script.Push(mode.title, kCheck).Dump();
    script.Push(mode.title, kCheck).Dump();  // pushed again: the verdicts stay
  }
  Sweep(script, mode);  // new draws under the verdicts of the last set
  script.Dump().Push(mode.title, kCheck).Dump().Push(mode.title, kClear).Dump();
  apptest::Session session = apptest::Run(script.Text());
  ASSERT_EQ(session.status, 0) << session.errors;
  EXPECT_EQ(session.errors, "");
  std::vector<std::string> blocks = chords::Blocks(session, mode.title);
  ASSERT_EQ(blocks.size(), 1 + 2 * sets.size() + 3) << session.output;
  std::vector<std::string> solution(8);
  for (int bar = 2; bar <= 7; ++bar) {
    int c = Drawn(blocks[0], bar);
    ASSERT_NE(c, 0) << blocks[0];
    solution[bar] = kDegrees[c - 1];
  }
  std::vector<int> right(8, 0);
  for (size_t s = 0; s < sets.size(); ++s) {
    for (int bar = 2; bar <= 7; ++bar) {
      std::string expected = Judged(sets[s][bar - 2], solution[bar]);
      EXPECT_EQ(AnswerText(blocks[1 + 2 * s], bar), expected)
          << "bar " << bar << " with \"" << sets[s][bar - 2] << "\"";
      EXPECT_EQ(AnswerText(blocks[2 + 2 * s], bar), expected) << "second Check, bar " << bar;
      right[bar] += Accepted(sets[s][bar - 2], solution[bar]);
    }
  }
  // The spelling sets give each field a right answer, whatever the draw.
  for (int bar = 2; bar <= 7; ++bar) EXPECT_GE(right[bar], 1) << "bar " << bar;
  // After a new draw, what Check wrote stays where the solution is the same and gives way to
  // the bare solution elsewhere.
  const std::string& redrawn = blocks[1 + 2 * sets.size()];
  const std::string& checked = blocks[2 + 2 * sets.size()];
  const std::string& before = blocks[2 * sets.size()];
  for (int bar = 2; bar <= 7; ++bar) {
    int c = Drawn(redrawn, bar);
    ASSERT_NE(c, 0) << redrawn;
    std::string old = AnswerText(before, bar);
    std::string fresh = kDegrees[c - 1];
    std::string expected = solution[bar] == fresh ? old : fresh;
    EXPECT_EQ(AnswerText(checked, bar), expected) << "bar " << bar << " was \"" << old << "\"";
    EXPECT_EQ(AnswerText(blocks.back(), bar), "") << "Clear, bar " << bar;
  }
}

// The same text in every field, after each of many draws: the diminished chord's other
// spellings are right exactly where its chord was drawn, and case tells IV from iv.
TEST_P(HarmonicDictation, SpellingsAndCaseAreJudgedWhereverTheirChordWasDrawn) {
  const Mode& mode = GetParam();
  const std::vector<std::string> texts = {"vii", "viiº", "viio", " vii° ", "VII", "iv", " IV"};
  const int kRounds = 20;
  Script script;
  script.Menu(mode.menu);
  for (int round = 0; round < kRounds; ++round) {
    Sweep(script, mode);
    script.Dump();
    for (const std::string& text : texts) {
      script.Push(mode.title, kClear);
      for (int bar = 2; bar <= 7; ++bar) script.Push(mode.title, Answer(bar)).Type(text);
      script.Push(mode.title, kCheck).Dump();
    }
  }
  apptest::Session session = apptest::Run(script.Text());
  ASSERT_EQ(session.status, 0) << session.errors;
  std::vector<std::string> blocks = chords::Blocks(session, mode.title);
  size_t perRound = texts.size() + 1;
  ASSERT_EQ(blocks.size(), kRounds * perRound) << session.output;
  std::vector<int> right(texts.size(), 0);
  for (int round = 0; round < kRounds; ++round) {
    for (int bar = 2; bar <= 7; ++bar) {
      int c = Drawn(blocks[round * perRound], bar);
      ASSERT_NE(c, 0);
      std::string solution = kDegrees[c - 1];
      for (size_t t = 0; t < texts.size(); ++t) {
        std::string expected = Judged(texts[t], solution);
        EXPECT_EQ(AnswerText(blocks[round * perRound + 1 + t], bar), expected)
            << "\"" << texts[t] << "\" for " << solution;
        right[t] += Accepted(texts[t], solution);
      }
    }
  }
  for (size_t t = 0; t < texts.size(); ++t) {
    bool acceptable = texts[t] != "VII" && texts[t] != "iv";
    EXPECT_EQ(right[t] > 0, acceptable) << "\"" << texts[t] << "\"";
  }
}

INSTANTIATE_TEST_SUITE_P(Modes, HarmonicDictation, ::testing::Values(kMajor, kMinor),
                         [](const auto& info) { return info.index == 0 ? "Major" : "Minor"; });

TEST(HarmonicDictationEdges, CheckBeforeAnyBarWritesNothing) {
  Script script;
  script.Menu(kMajor.menu)
      .Push(kMajor.title, Answer(3))
      .Type("IV")
      .Push(kMajor.title, kCheck)
      .Dump();
  apptest::Session session = apptest::Run(script.Text());
  ASSERT_EQ(session.status, 0) << session.errors;
  std::string block = apptest::WindowBlock(session.output, kMajor.title);
  ASSERT_NE(block, "") << session.output;
  for (int bar = 2; bar <= 7; ++bar) EXPECT_EQ(AnswerText(block, bar), bar == 3 ? "IV" : "");
}

}  // namespace
