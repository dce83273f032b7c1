// The listening windows played as a student does: the two-chord cadences (fncp), the
// composite and Phrygian cadences (fncc, fnfr) and the harmonies of a key in both modes
// (fnmmag). Resting on a bar sounds its chord lowest voice first at velocity 127, leaving it
// (onto the next bar or out of the window) sends the note-offs, and nothing keeps sounding.
// The chord tables below are written out afresh from the exercises' description.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/app/chords_session.h"

namespace {

using chords::Box;
using chords::Midi;
using chords::Notes;
using chords::Script;

const Notes kI = {60, 64, 67, 72};
const Notes kV = {55, 62, 67, 71};
const Notes kVI = {57, 60, 64, 72};
const Notes kIV = {53, 65, 69, 72};
const Notes kI6 = {52, 60, 67, 72};
const Notes kV7Star = {60, 64, 67, 70};

struct CadencePair {
  const char* menu;
  const char* title;
  const char* firstName;
  Notes first;
  const char* secondName;
  Notes second;
};

const CadencePair kCadencePairs[] = {
    {"Cadenze/Perfetta", "Cadenza perfetta", "V", kV, "I", kI},
    {"Cadenze/Imperfetta", "Cadenza imperfetta", "V", kV, "I6", kI6},
    {"Cadenze/D'inganno", "Cadenza alla d'inganno", "V", kV, "VI", kVI},
    {"Cadenze/Plagale", "Cadenza plagale", "IV", kIV, "I", kI},
    {"Cadenze/Sospesa", "Cadenza sospesa", "I", kI, "V", kV},
    {"Cadenze/Evitata", "Cadenza evitata", "V", kV, "V7*", kV7Star},
    {"Cadenze/Alla sottodom.", "Cadenza alla sottodominante", "V", kV, "IV", kIV},
};

const Box kCadenceBar1 = {150, 60, 100, 60};
const Box kCadenceBar2 = {250, 60, 100, 60};

TEST(TwoChordCadences, EachBarSoundsItsChordAndStopsItWhenLeft) {
  for (const CadencePair& row : kCadencePairs) {
    SCOPED_TRACE(row.title);
    Script script;
    script.Menu(row.menu)
        .Hover(row.title, kCadenceBar1)
        .Hover(row.title, kCadenceBar2)  // leaves bar 1 straight onto bar 2
        .LeaveWindow()
        .Hover(row.title, kCadenceBar2)
        .Hover(row.title, kCadenceBar1)
        .LeaveWindow()
        .Dump();
    apptest::Session session = apptest::Run(script.Text());
    ASSERT_EQ(session.status, 0) << session.errors;
    EXPECT_EQ(session.errors, "");
    Midi expected(chords::kExerciseChannel);
    expected.On(row.first).Off(row.first).On(row.second).Off(row.second);
    expected.On(row.second).Off(row.second).On(row.first).Off(row.first);
    EXPECT_EQ(chords::OnChannel(session.midi, chords::kExerciseChannel), expected.Words());
    EXPECT_TRUE(apptest::Sounding(session.midi).empty());
    // The hidden fields hold the chord played last, lowest voice first.
    std::string block = chords::Blocks(session, row.title).back();
    EXPECT_EQ(chords::TextAt(block, "KT_Pane", 150, 60), row.firstName);
    EXPECT_EQ(chords::TextAt(block, "KT_Pane", 250, 60), row.secondName);
    for (int voice = 0; voice < 4; ++voice)
      EXPECT_EQ(chords::TextAt(block, "RichEdit", 20 + 50 * voice, 300),
                std::to_string(row.first[voice]));
  }
}

TEST(TwoChordCadences, TheAvoidedCadenceNamesTheNewKeyUnderTheBars) {
  Script script;
  script.Menu("Cadenze/Evitata").Dump().Hover("Cadenza evitata", kCadenceBar2).LeaveWindow().Dump();
  apptest::Session session = apptest::Run(script.Text());
  ASSERT_EQ(session.status, 0) << session.errors;
  std::vector<std::string> blocks = chords::Blocks(session, "Cadenza evitata");
  ASSERT_EQ(blocks.size(), 2u) << session.output;
  EXPECT_NE(blocks[0].find("  StaticText \"Mouse enter to play\" 190 145 128 16"), std::string::npos)
      << blocks[0];
  EXPECT_EQ(blocks[0].find("V7 della nuova"), std::string::npos) << blocks[0];
  EXPECT_NE(blocks[1].find("  StaticText \"* V7 della nuova tonalità\" 195 168 125 16"), std::string::npos)
      << blocks[1];
}

struct FixedBar {
  Box box;
  Notes chord;
};

const FixedBar kComposite[] = {
    {{50, 60, 100, 60}, {53, 62, 69, 74}},   // "II 6"
    {{150, 60, 100, 60}, {55, 64, 67, 72}},  // "I 6/4"
    {{250, 60, 100, 60}, {55, 62, 67, 71}},  // "V "
    {{350, 60, 100, 60}, {60, 64, 67, 72}},  // "I"
};

TEST(CompositeCadence, SweepingTheBarsBothWaysLeavesNothingSounding) {
  Script script;
  script.Menu("Cadenze/Composta");
  for (const FixedBar& bar : kComposite) script.Hover("Cadenza composta", bar.box);
  for (int i = 3; i >= 0; --i) script.Hover("Cadenza composta", kComposite[i].box);
  script.LeaveWindow().Dump();
  apptest::Session session = apptest::Run(script.Text());
  ASSERT_EQ(session.status, 0) << session.errors;
  Midi expected(chords::kExerciseChannel);
  for (const FixedBar& bar : kComposite) expected.On(bar.chord).Off(bar.chord);
  // The sweep back starts on the bar the pointer already rests on.
  for (int i = 2; i >= 0; --i) expected.On(kComposite[i].chord).Off(kComposite[i].chord);
  EXPECT_EQ(chords::OnChannel(session.midi, chords::kExerciseChannel), expected.Words());
  EXPECT_TRUE(apptest::Sounding(session.midi).empty());
  std::string block = chords::Blocks(session, "Cadenza composta").back();
  EXPECT_NE(block.find("window \"Cadenza composta\" "), std::string::npos) << session.output;
}

const Box kPhrygian1 = {100, 60, 100, 60};  // "VII"
const Box kPhrygian2 = {200, 60, 100, 60};  // "IV"
const Box kPhrygian3 = {300, 60, 100, 60};  // "V"

TEST(PhrygianCadence, TheThreeNoteChordLeavesTheFourthFieldAsItWas) {
  Script script;
  script.Menu("Cadenze/Frigia")
      .Hover("Cadenza frigia", kPhrygian2)  // nothing stored yet: three note-offs
      .LeaveWindow()
      .Hover("Cadenza frigia", kPhrygian1)
      .Hover("Cadenza frigia", kPhrygian2)  // the fourth field still holds 83
      .Hover("Cadenza frigia", kPhrygian3)
      .LeaveWindow()
      .Dump();
  apptest::Session session = apptest::Run(script.Text());
  ASSERT_EQ(session.status, 0) << session.errors;
  const Notes vii = {67, 74, 79, 83};
  const Notes iv = {65, 74, 81};
  const Notes v = {64, 71, 76, 80};
  Midi expected(chords::kExerciseChannel);
  expected.On(iv).Off(iv);
  expected.On(vii).Off(vii);
  expected.On(iv).Off({65, 74, 81, 83});
  expected.On(v).Off(v);
  EXPECT_EQ(chords::OnChannel(session.midi, chords::kExerciseChannel), expected.Words());
  EXPECT_TRUE(apptest::Sounding(session.midi).empty());
}

// The harmonies of a key: bar index, its position, and its chord in each mode (empty: the
// minor mode moves the bar out of sight).
struct HarmonyBar {
  int index;
  const char* major;
  Notes majorChord;
  const char* minor;
  Notes minorChord;
};

const HarmonyBar kHarmonyBars[] = {
    {1, "I6", {64, 67, 72, 72}, "", {}},
    {2, "I6/4", {55, 60, 64, 67}, "i", {60, 63, 67, 72}},
    {3, "I7", {60, 64, 67, 70}, "i6", {63, 67, 72, 72}},
    {4, "ii6", {53, 65, 69, 74}, "i6/4", {55, 60, 63, 67}},
    {5, "ii7 ", {62, 65, 69, 72}, "I7", {60, 64, 67, 70}},
    {6, "II7", {62, 66, 69, 72}, "IIb", {61, 65, 68, 73}},
    {7, "iii", {64, 67, 71, 76}, "ii6", {53, 65, 68, 74}},
    {8, "III7", {64, 68, 71, 74}, "III", {63, 67, 70, 75}},
    {9, "iv ", {53, 65, 68, 72}, "iv", {53, 65, 68, 72}},
    {10, "IV6/4", {60, 65, 69, 72}, "", {}},
    {11, "IV", {53, 65, 69, 72}, "", {}},
    {12, "I ", {60, 64, 67, 72}, "", {}},
    {13, "I ", {60, 64, 67, 72}, "", {}},
    {14, "iv6/4 ", {60, 65, 68, 72}, "", {}},
    {15, "IV7", {53, 63, 69, 72}, "iv6/4", {60, 65, 68, 72}},
    {16, "V", {55, 67, 71, 74}, "V", {55, 67, 71, 74}},
    {17, "V7", {55, 62, 65, 71}, "V7", {55, 62, 65, 71}},
    {18, "vi", {57, 64, 69, 72}, "VI", {56, 60, 63, 68}},
    {19, "VI7", {57, 64, 69, 73}, "vii6", {62, 65, 71, 74}},
    {20, "vi7 ", {57, 64, 67, 72}, "VII", {58, 62, 65, 70}},
    {21, "VIb", {56, 63, 68, 72}, "vii°", {62, 65, 68, 71}},
    {22, "vii6", {62, 65, 71, 74}, "i", {60, 63, 67, 72}},
    {23, "vii6/5", {62, 65, 69, 71}, "", {}},
    {24, "vii°", {62, 65, 68, 71}, "", {}},
};

Box HarmonyBox(int index) {
  if (index <= 11) return {40 + 40 * (index - 1), 20, 40, 60};
  if (index == 12) return {0, 80, 40, 60};
  if (index == 13) return {480, 80, 40, 60};
  return {40 + 40 * (index - 14), 140, 40, 60};
}

const char kMajorKey[] = "Armonie modo maggiore";
const char kMinorKey[] = "Armonie modo minore";

TEST(KeyHarmonies, EveryMajorBarSoundsItsChord) {
  Script script;
  script.Menu("Armonie/Modo maggiore");
  for (const HarmonyBar& bar : kHarmonyBars)
    script.Hover(kMajorKey, HarmonyBox(bar.index)).LeaveWindow();
  // The upper row swept without leaving: each bar is left onto its neighbour.
  for (int index = 1; index <= 11; ++index) script.Hover(kMajorKey, HarmonyBox(index));
  script.LeaveWindow().Dump();
  apptest::Session session = apptest::Run(script.Text());
  ASSERT_EQ(session.status, 0) << session.errors;
  EXPECT_EQ(session.errors, "");
  Midi expected(chords::kExerciseChannel);
  for (const HarmonyBar& bar : kHarmonyBars) expected.On(bar.majorChord).Off(bar.majorChord);
  for (int index = 1; index <= 11; ++index)
    expected.On(kHarmonyBars[index - 1].majorChord).Off(kHarmonyBars[index - 1].majorChord);
  EXPECT_EQ(chords::OnChannel(session.midi, chords::kExerciseChannel), expected.Words());
  EXPECT_TRUE(apptest::Sounding(session.midi).empty());
  std::string block = chords::Blocks(session, kMajorKey).back();
  ASSERT_NE(block, "") << session.output;
  for (const HarmonyBar& bar : kHarmonyBars)
    EXPECT_TRUE(chords::HasControlAt(block, "KT_Pane", HarmonyBox(bar.index))) << bar.index;
}

TEST(KeyHarmonies, MinorMovesTheBarsWithoutAChordOutOfSight) {
  Script script;
  script.Menu("Armonie/Modo minore").Dump();
  for (const HarmonyBar& bar : kHarmonyBars)
    script.Hover(kMinorKey, HarmonyBox(bar.index)).LeaveWindow();
  script.Dump();
  apptest::Session session = apptest::Run(script.Text());
  ASSERT_EQ(session.status, 0) << session.errors;
  Midi expected(chords::kExerciseChannel);
  for (const HarmonyBar& bar : kHarmonyBars)
    if (*bar.minor) expected.On(bar.minorChord).Off(bar.minorChord);
  EXPECT_EQ(chords::OnChannel(session.midi, chords::kExerciseChannel), expected.Words());
  EXPECT_TRUE(apptest::Sounding(session.midi).empty());
  std::string block = chords::Blocks(session, kMinorKey).front();
  ASSERT_NE(block, "") << session.output;
  for (const HarmonyBar& bar : kHarmonyBars) {
    Box box = HarmonyBox(bar.index);
    if (!*bar.minor) box.top = 300;
    EXPECT_TRUE(chords::HasControlAt(block, "KT_Pane", box)) << bar.index << "\n" << block;
  }
}

TEST(KeyHarmonies, BarsShowTheNamesOfTheirMode) {
  Script script;
  script.Menu("Armonie/Modo maggiore").Dump().Push(kMajorKey, {228, 221, 60, 20});
  script.Menu("Armonie/Modo minore").Dump();
  apptest::Session session = apptest::Run(script.Text());
  ASSERT_EQ(session.status, 0) << session.errors;
  std::string major = apptest::WindowBlock(session.output, kMajorKey);
  std::string minor = apptest::WindowBlock(session.output, kMinorKey);
  ASSERT_NE(major, "") << session.output;
  ASSERT_NE(minor, "") << session.output;
  for (const HarmonyBar& bar : kHarmonyBars) {
    Box box = HarmonyBox(bar.index);
    EXPECT_EQ(chords::TextAt(major, "KT_Pane", box.left, box.top), bar.major) << bar.index;
    if (*bar.minor) {
      EXPECT_EQ(chords::TextAt(minor, "KT_Pane", box.left, box.top), bar.minor);
    }
  }
}

}  // namespace
