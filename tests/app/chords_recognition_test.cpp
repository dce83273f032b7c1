// The recognition exercises answered as a student does, with the real random draws: cadence
// recognition (fncad), harmony recognition in both modes (fnsamm) and chord types (fnsf).
// After every draw each answer button is pushed in turn, and exactly the right one may say
// "true"; the chords heard are checked word for word against the draws the dumps show. The
// tables are written out afresh from the exercises' description.
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

// The number a hidden field shows, 0 when it shows something else.
int Drawn(const std::string& block, int left, int top) {
  std::string text = chords::TextAt(block, "RichEdit", left, top);
  if (text.empty() || text.find_first_not_of("0123456789") != std::string::npos) return 0;
  return std::stoi(text);
}

// ---- Cadence recognition ----

const char kCadences[] = "Cadenze";
const Box kFirstChordBar = {20, 20, 140, 22};
const Box kSecondChordBar = {185, 20, 140, 22};
const Box kClearVerdict = {400, 75, 60, 20};

const Notes kFirstChords[] = {{60, 64, 67, 72}, {55, 62, 67, 71}, {53, 65, 69, 72}};
const Notes kSecondChords[] = {{60, 64, 67, 72}, {55, 62, 67, 71}, {53, 65, 69, 72},
                               {57, 60, 64, 72}, {60, 64, 67, 70}, {52, 60, 67, 72}};

struct CadenceAnswer {
  const char* caption;
  Box box;
  int first, second;  // the draws that make this cadence; 0: "No cadenza"
};

const CadenceAnswer kCadenceAnswers[] = {
    {"Perfetta", {20, 75, 85, 20}, 2, 1},     {"Imperfetta", {130, 75, 85, 20}, 2, 6},
    {"D'inganno", {240, 75, 85, 20}, 2, 4},   {"Plagale", {20, 115, 85, 20}, 3, 1},
    {"Sospesa", {130, 115, 85, 20}, 1, 2},    {"Sottodom.", {240, 115, 85, 20}, 2, 3},
    {"Evitata", {20, 155, 85, 20}, 2, 5},     {"No cadenza", {130, 155, 195, 20}, 0, 0},
};

bool IsCadence(int first, int second) {
  for (const CadenceAnswer& answer : kCadenceAnswers)
    if (answer.first == first && answer.second == second) return true;
  return false;
}

std::string CadenceVerdict(const CadenceAnswer& answer, int first, int second) {
  bool right = answer.first ? answer.first == first && answer.second == second
                            : !IsCadence(first, second);
  return right ? "true" : "false";
}

TEST(CadenceRecognition, EveryDrawHasExactlyOneRightAnswer) {
  // Enough rounds that the two pairs the edge cases name, (2, 1) and (1, 1), each 1 in 18,
  // come up (a miss has odds below one in a million).
  const int kRounds = 250;
  Script script;
  script.Menu("Ear training/Cadenze");
  for (int round = 0; round < kRounds; ++round) {
    script.Hover(kCadences, kFirstChordBar).LeaveWindow();
    script.Hover(kCadences, kSecondChordBar).LeaveWindow().Dump();
    for (const CadenceAnswer& answer : kCadenceAnswers) script.Push(kCadences, answer.box).Dump();
  }
  apptest::Session session = apptest::Run(script.Text());
  ASSERT_EQ(session.status, 0) << session.errors;
  EXPECT_EQ(session.errors, "");
  std::vector<std::string> blocks = chords::Blocks(session, kCadences);
  ASSERT_EQ(blocks.size(), kRounds * 9u);
  Midi expected(chords::kExerciseChannel);
  bool sawPerfect = false, sawRepeatedTonic = false;
  for (int round = 0; round < kRounds; ++round) {
    const std::string& drawn = blocks[round * 9];
    int first = Drawn(drawn, 20, 300), second = Drawn(drawn, 70, 300);
    ASSERT_TRUE(first >= 1 && first <= 3) << drawn;
    ASSERT_TRUE(second >= 1 && second <= 6) << drawn;
    // The drawn chord sounds; leaving a bar silences every chord it can draw.
    expected.On(kFirstChords[first - 1]);
    for (const Notes& chord : kFirstChords) expected.Off(chord);
    expected.On(kSecondChords[second - 1]);
    for (const Notes& chord : kSecondChords) expected.Off(chord);
    int right = 0;
    for (int i = 0; i < 8; ++i) {
      std::string verdict = chords::TextAt(blocks[round * 9 + 1 + i], "RichEdit", 400, 20);
      EXPECT_EQ(verdict, CadenceVerdict(kCadenceAnswers[i], first, second))
          << kCadenceAnswers[i].caption << " after " << first << ", " << second;
      right += verdict == "true";
    }
    EXPECT_EQ(right, 1) << first << ", " << second;
    sawPerfect |= first == 2 && second == 1;
    sawRepeatedTonic |= first == 1 && second == 1;
  }
  EXPECT_TRUE(sawPerfect);
  EXPECT_TRUE(sawRepeatedTonic);
  EXPECT_EQ(chords::OnChannel(session.midi, chords::kExerciseChannel), expected.Words());
  EXPECT_TRUE(apptest::Sounding(session.midi).empty());
}

TEST(CadenceRecognition, NoCadenceIsNotRightBeforeBothChordsWereDrawn) {
  const Box noCadence = kCadenceAnswers[7].box;
  Script script;
  script.Menu("Ear training/Cadenze");
  script.Push(kCadences, noCadence).Dump();
  script.Hover(kCadences, kFirstChordBar).LeaveWindow().Push(kCadences, noCadence).Dump();
  script.Push(kCadences, kClearVerdict).Dump();
  apptest::Session session = apptest::Run(script.Text());
  ASSERT_EQ(session.status, 0) << session.errors;
  std::vector<std::string> blocks = chords::Blocks(session, kCadences);
  ASSERT_EQ(blocks.size(), 3u) << session.output;
  EXPECT_EQ(chords::TextAt(blocks[0], "RichEdit", 400, 20), "false");
  EXPECT_EQ(chords::TextAt(blocks[1], "RichEdit", 400, 20), "false");
  EXPECT_EQ(chords::TextAt(blocks[2], "RichEdit", 400, 20), "");  // " Clear"
}

TEST(CadenceRecognition, AnsweringDrawsNothingNew) {
  Script script;
  script.Menu("Ear training/Cadenze");
  script.Hover(kCadences, kFirstChordBar).LeaveWindow();
  script.Hover(kCadences, kSecondChordBar).LeaveWindow().Dump();
  for (const CadenceAnswer& answer : kCadenceAnswers) script.Push(kCadences, answer.box);
  script.Push(kCadences, kClearVerdict).Dump();
  apptest::Session session = apptest::Run(script.Text());
  ASSERT_EQ(session.status, 0) << session.errors;
  std::vector<std::string> blocks = chords::Blocks(session, kCadences);
  ASSERT_EQ(blocks.size(), 2u) << session.output;
  EXPECT_EQ(chords::TextAt(blocks[1], "RichEdit", 20, 300), chords::TextAt(blocks[0], "RichEdit", 20, 300));
  EXPECT_EQ(chords::TextAt(blocks[1], "RichEdit", 70, 300), chords::TextAt(blocks[0], "RichEdit", 70, 300));
  EXPECT_EQ(chords::TextAt(blocks[1], "RichEdit", 400, 20), "");
}

// ---- Harmony recognition ----

struct Harmony {
  const char* name;
  Notes chord;
};

const Harmony kMajorHarmonies[] = {
    {"I", {60, 64, 67, 72}},       {"I6", {64, 67, 72, 72}},      {"I6/4", {55, 64, 67, 72}},
    {"I7", {60, 64, 67, 70}},      {"ii6", {53, 62, 69, 74}},     {"ii7 ", {62, 65, 69, 72}},
    {"II7", {62, 66, 69, 72}},     {"iii", {64, 67, 71, 76}},     {"III7", {64, 68, 71, 74}},
    {"iv ", {53, 65, 68, 72}},     {"IV", {53, 65, 69, 72}},      {"IV7", {53, 63, 69, 72}},
    {"iv6/4 ", {60, 65, 68, 72}},  {"IV6/4", {60, 65, 69, 72}},   {"V", {55, 62, 67, 71}},
    {"V7", {55, 62, 65, 71}},      {"vi", {57, 64, 69, 72}},      {"vi7 ", {57, 64, 67, 73}},
    {"VIb", {56, 63, 68, 72}},     {"VI7", {57, 64, 67, 72}},     {"vii", {62, 65, 71, 74}},
    {"vii7", {62, 65, 69, 71}},    {"vii°", {62, 65, 68, 71}},
};

const Harmony kMinorHarmonies[] = {
    {"i", {60, 63, 67, 72}},      {"i6", {63, 67, 72, 72}},   {"i6/4", {55, 63, 67, 72}},
    {"I7", {60, 63, 67, 70}},     {"ii6", {53, 62, 68, 74}},  {"IIb", {61, 65, 68, 73}},
    {"III", {63, 67, 70, 75}},    {"iv", {53, 65, 68, 72}},   {"iv6/4", {60, 65, 68, 72}},
    {"V", {55, 62, 67, 71}},      {"V7", {55, 62, 65, 71}},   {"VI", {56, 63, 68, 72}},
    {"vii ", {62, 65, 71, 74}},   {"VII", {58, 62, 65, 70}},  {"vii°", {62, 65, 68, 71}},
};

struct Mode {
  const char* menu;
  const char* title;
  const Harmony* harmonies;
  int count;
  Notes guide;
  const char* guideName;
};

const Mode kMajor = {"Ear training/Armonie/Modo maggiore", "Armonie modo maggiore",
                     kMajorHarmonies, 23, {60, 67, 76, 84}, "I armonia guida"};
const Mode kMinor = {"Ear training/Armonie/Modo minore", "Armonie modo minore",
                     kMinorHarmonies, 15, {60, 67, 75, 84}, "i armonia guida"};

const Box kHarmonyGuide = {20, 13, 205, 22};
const Box kHarmonyPlay = {20, 170, 205, 22};
const Box kHarmonyClear = {280, 170, 60, 22};

Box AnswerBox(int index) {
  return {20 + 55 * ((index - 1) % 8), 55 + 35 * ((index - 1) / 8), 40, 20};
}

void PrintTo(const Mode& mode, std::ostream* out) { *out << mode.title; }

class HarmonyRecognition : public ::testing::TestWithParam<Mode> {};

TEST_P(HarmonyRecognition, TheMenuNamesTheAnswersOfTheMode) {
  const Mode& mode = GetParam();
  Script script;
  script.Menu(mode.menu).Dump();
  apptest::Session session = apptest::Run(script.Text());
  ASSERT_EQ(session.status, 0) << session.errors;
  std::string block = apptest::WindowBlock(session.output, mode.title);
  ASSERT_NE(block, "") << session.output;
  for (int index = 1; index <= 23; ++index) {
    Box box = AnswerBox(index);
    if (index > mode.count) {
      box.top = 280;  // out of sight
      EXPECT_EQ(chords::TextAt(block, "BUTTON", box.left, box.top), "") << index;
    } else {
      EXPECT_EQ(chords::TextAt(block, "BUTTON", box.left, box.top), mode.harmonies[index - 1].name);
    }
  }
  EXPECT_EQ(chords::TextAt(block, "RichEdit", 365, 15), "");
  EXPECT_EQ(chords::TextAt(block, "KT_Pane", 20, 13), mode.guideName);
  EXPECT_EQ(chords::TextAt(block, "KT_Pane", 20, 170), "Play");
}

TEST_P(HarmonyRecognition, EveryDrawHasExactlyOneRightAnswer) {
  const Mode& mode = GetParam();
  const int kRounds = 6;
  Script script;
  script.Menu(mode.menu);
  script.Hover(mode.title, kHarmonyGuide).LeaveWindow();
  for (int round = 0; round < kRounds; ++round) {
    script.Hover(mode.title, kHarmonyPlay).LeaveWindow().Dump();
    for (int index = 1; index <= mode.count; ++index)
      script.Push(mode.title, AnswerBox(index)).Dump();
  }
  script.Push(mode.title, kHarmonyClear).Dump();
  apptest::Session session = apptest::Run(script.Text());
  ASSERT_EQ(session.status, 0) << session.errors;
  EXPECT_EQ(session.errors, "");
  std::vector<std::string> blocks = chords::Blocks(session, mode.title);
  size_t perRound = mode.count + 1;
  ASSERT_EQ(blocks.size(), kRounds * perRound + 1);
  Midi expected(chords::kExerciseChannel);
  expected.On(mode.guide).Off(mode.guide);
  for (int round = 0; round < kRounds; ++round) {
    int k = Drawn(blocks[round * perRound], 20, 300);
    ASSERT_TRUE(k >= 1 && k <= mode.count) << blocks[round * perRound];
    expected.On(mode.harmonies[k - 1].chord).Off(mode.harmonies[k - 1].chord);
    for (int index = 1; index <= mode.count; ++index) {
      EXPECT_EQ(chords::TextAt(blocks[round * perRound + index], "RichEdit", 365, 15),
                index == k ? "true" : "false")
          << "answer " << index << " after chord " << k;
    }
  }
  EXPECT_EQ(chords::TextAt(blocks.back(), "RichEdit", 365, 15), "");  // "Clear"
  EXPECT_EQ(chords::OnChannel(session.midi, chords::kExerciseChannel), expected.Words());
  EXPECT_TRUE(apptest::Sounding(session.midi).empty());
}

INSTANTIATE_TEST_SUITE_P(Modes, HarmonyRecognition, ::testing::Values(kMajor, kMinor),
                         [](const auto& info) { return info.index == 0 ? "Major" : "Minor"; });

// Pushes the given answers after each of many draws; every answer the draws reach is right
// exactly for its own chord.
void AnswerManyDraws(const Mode& mode, const std::vector<int>& answers, int rounds) {
  Script script;
  script.Menu(mode.menu);
  for (int round = 0; round < rounds; ++round) {
    script.Hover(mode.title, kHarmonyPlay).LeaveWindow().Dump();
    for (int index : answers) script.Push(mode.title, AnswerBox(index)).Dump();
  }
  apptest::Session session = apptest::Run(script.Text());
  ASSERT_EQ(session.status, 0) << session.errors;
  std::vector<std::string> blocks = chords::Blocks(session, mode.title);
  size_t perRound = answers.size() + 1;
  ASSERT_EQ(blocks.size(), rounds * perRound);
  std::vector<bool> judgedRight(answers.size(), false);
  for (int round = 0; round < rounds; ++round) {
    int k = Drawn(blocks[round * perRound], 20, 300);
    for (size_t i = 0; i < answers.size(); ++i) {
      std::string verdict = chords::TextAt(blocks[round * perRound + 1 + i], "RichEdit", 365, 15);
      EXPECT_EQ(verdict, answers[i] == k ? "true" : "false") << answers[i] << " after " << k;
      if (verdict == "true") judgedRight[i] = true;
    }
  }
  for (size_t i = 0; i < answers.size(); ++i)
    EXPECT_TRUE(judgedRight[i]) << "\"" << mode.harmonies[answers[i] - 1].name << "\" never drawn";
}

TEST(HarmonyRecognitionEdges, MajorNamesWithATrailingSpaceAreToldFromTheirTwins) {
  // "ii7 " / "II7", "iv " / "IV", "iv6/4 " / "IV6/4", "vi7 " / "VI7": a name compared
  // ignoring case would be found at its twin's index.
  AnswerManyDraws(kMajor, {6, 7, 10, 11, 13, 14, 18, 20}, 450);
}

TEST(HarmonyRecognitionEdges, MinorViiWithASpaceIsRightForChord13) {
  AnswerManyDraws(kMinor, {13, 14}, 250);
}

// ---- Chord-type recognition ----

struct ChordType {
  const char* caption;
  Notes chord;
};

const ChordType kChordTypes[] = {
    {"M", {60, 64, 67, 72}},    {"M6", {60, 64, 67, 69}},    {"7maj", {60, 64, 67, 71}},
    {"7", {60, 64, 67, 70}},    {"9", {60, 64, 67, 74}},     {"m", {60, 63, 67, 72}},
    {"m6", {60, 63, 67, 69}},   {"m7", {60, 63, 67, 70}},    {"m9", {60, 63, 67, 74}},
    {"dim", {60, 63, 66, 69}},  {"5#", {60, 64, 68, 72}},    {"7/5b", {60, 64, 66, 70}},
    {"7/5#", {60, 64, 68, 70}}, {"7/9b", {60, 64, 70, 73}},  {"s/dim", {60, 63, 66, 70}},
};

const char kChordTypesTitle[] = "Accordi stato fondamentale";
const Box kChordGuide = {20, 19, 220, 22};
const Box kChordPlay = {20, 180, 220, 22};

Box ChordTypeBox(int k) {
  const int lefts[] = {20, 100, 180, 260, 340};
  const int tops[] = {60, 100, 140};
  return {lefts[(k - 1) % 5], tops[(k - 1) / 5], 60, 20};
}

TEST(ChordTypeRecognition, EveryDrawHasExactlyOneRightAnswer) {
  const int kRounds = 8;
  Script script;
  script.Menu("Ear training/Accordi").Dump();
  script.Hover(kChordTypesTitle, kChordGuide).LeaveWindow();
  for (int round = 0; round < kRounds; ++round) {
    script.Hover(kChordTypesTitle, kChordPlay).LeaveWindow().Dump();
    for (int k = 1; k <= 15; ++k) script.Push(kChordTypesTitle, ChordTypeBox(k)).Dump();
  }
  apptest::Session session = apptest::Run(script.Text());
  ASSERT_EQ(session.status, 0) << session.errors;
  EXPECT_EQ(session.errors, "");
  std::vector<std::string> blocks = chords::Blocks(session, kChordTypesTitle);
  ASSERT_EQ(blocks.size(), 1 + kRounds * 16u);
  for (int k = 1; k <= 15; ++k) {
    Box box = ChordTypeBox(k);
    EXPECT_EQ(chords::TextAt(blocks[0], "BUTTON", box.left, box.top), kChordTypes[k - 1].caption);
  }
  Midi expected(chords::kExerciseChannel);
  expected.On(kChordTypes[0].chord).Off(kChordTypes[0].chord);  // the guide: the major chord
  for (int round = 0; round < kRounds; ++round) {
    const std::string& drawn = blocks[1 + round * 16];
    int k = Drawn(drawn, 20, 300);
    ASSERT_TRUE(k >= 1 && k <= 15) << drawn;
    expected.On(kChordTypes[k - 1].chord).Off(kChordTypes[k - 1].chord);
    for (int answer = 1; answer <= 15; ++answer) {
      EXPECT_EQ(chords::TextAt(blocks[1 + round * 16 + answer], "RichEdit", 320, 19),
                answer == k ? "true" : "false")
          << kChordTypes[answer - 1].caption << " after " << kChordTypes[k - 1].caption;
    }
  }
  EXPECT_EQ(chords::OnChannel(session.midi, chords::kExerciseChannel), expected.Words());
  EXPECT_TRUE(apptest::Sounding(session.midi).empty());
}

TEST(ChordTypeRecognition, AnAnswerBeforeAnyDrawIsWrong) {
  Script script;
  script.Menu("Ear training/Accordi");
  script.Push(kChordTypesTitle, ChordTypeBox(1)).Dump();
  apptest::Session session = apptest::Run(script.Text());
  ASSERT_EQ(session.status, 0) << session.errors;
  EXPECT_EQ(chords::TextAt(apptest::WindowBlock(session.output, kChordTypesTitle), "RichEdit", 320, 19),
            "false");
}

}  // namespace
