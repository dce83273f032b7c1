// Chord types by inversion (fnasf) pushed as a student does: every button of every
// inversion plays its chord (or nothing where the type has no such inversion), chords keep
// sounding until "Stop", and "Stop" silences 55 and 57 to 76 only. The third inversion keeps
// eight buttons in two rows. The table is written out afresh from the exercise's description.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "tests/app/chords_session.h"

namespace {

using chords::Box;
using chords::Midi;
using chords::Notes;
using chords::Script;

struct ChordType {
  const char* caption;
  Notes inversions[4];  // root position, first, second, third; empty: none
};

const ChordType kTypes[] = {
    {"M", {{60, 64, 67, 72}, {64, 67, 67, 72}, {55, 60, 64, 67}, {}}},
    {"M6", {{60, 64, 67, 69}, {64, 67, 69, 72}, {55, 60, 64, 69}, {}}},
    {"7maj", {{60, 64, 67, 71}, {64, 67, 71, 72}, {55, 60, 64, 71}, {59, 64, 67, 72}}},
    {"7", {{60, 64, 67, 70}, {64, 67, 70, 72}, {55, 60, 64, 70}, {58, 64, 67, 72}}},
    {"9", {{60, 64, 67, 74}, {64, 67, 72, 74}, {55, 64, 72, 74}, {}}},
    {"m", {{60, 63, 67, 72}, {63, 67, 67, 72}, {55, 60, 63, 67}, {}}},
    {"m6", {{60, 63, 67, 69}, {63, 67, 69, 72}, {55, 60, 63, 69}, {}}},
    {"m7", {{60, 63, 67, 70}, {63, 67, 70, 72}, {55, 60, 63, 70}, {58, 63, 67, 72}}},
    {"m9", {{60, 63, 67, 74}, {63, 67, 72, 74}, {55, 63, 72, 74}, {}}},
    {"dim", {{60, 63, 66, 69}, {63, 66, 69, 72}, {54, 63, 69, 72}, {57, 60, 63, 66}}},
    {"5#", {{60, 64, 68, 72}, {64, 67, 68, 72}, {57, 60, 64, 72}, {}}},
    {"7/5b", {{60, 64, 66, 70}, {64, 66, 70, 72}, {55, 64, 72, 74}, {58, 64, 66, 72}}},
    {"7/5#", {{60, 64, 68, 70}, {64, 68, 70, 72}, {68, 70, 72, 76}, {58, 64, 68, 72}}},
    {"7/9b", {{60, 64, 70, 73}, {64, 67, 70, 73}, {55, 64, 70, 73}, {58, 60, 64, 73}}},
    {"s/dim", {{60, 63, 66, 70}, {63, 66, 70, 72}, {66, 70, 72, 75}, {58, 60, 63, 66}}},
};

struct Inversion {
  const char* menu;
  const char* title;
};

const Inversion kInversions[] = {
    {"Accordi/Stato fondamentale", "Accordi stato fondamentale"},
    {"Accordi/I° rivolto", "Accordi primo rivolto"},
    {"Accordi/II° rivolto", "Accordi secondo rivolto"},
    {"Accordi/III° rivolto", "Accordi terzo rivolto"},
};

// The main window's player held channel 0 before the chord window took it over, and sent its
// design instrument (program 1) when the program started.
Midi Expected() { return std::move(Midi(chords::kInversionChannel).Program(1)); }

const Notes kStopped = [] {
  Notes notes = {55};
  for (int n = 57; n <= 76; ++n) notes.push_back(n);
  return notes;
}();

// Where button k (1..15) stands in the given inversion; top 300 when moved out of sight.
Box ButtonBox(int inversion, int k) {
  const int lefts[] = {20, 100, 180, 260, 340};
  const int tops[] = {20, 100, 180};
  Box box = {lefts[(k - 1) % 5], tops[(k - 1) / 5], 60, 20};
  if (inversion != 3) return box;
  const int kept[] = {3, 4, 8, 10, 12, 13, 14, 15};
  for (int i = 0; i < 8; ++i)
    if (kept[i] == k) return {lefts[i % 4], i < 4 ? 20 : 100, 60, 20};
  box.top = 300;
  return box;
}

// "M" (pb1) leaves the instrument window on screen, in front; a click on an empty spot of the
// chord window brings it back to the front (the headless screen spends that click on it).
const Box kEmptySpot = {5, 145, 10, 10};

Box StopBox(int inversion, int which) {
  if (which == 16) return {20, 60, inversion == 3 ? 300 : 380, 20};
  return {20, inversion == 3 ? 300 : 140, 380, 20};
}

class ChordInversions : public ::testing::TestWithParam<int> {};

TEST_P(ChordInversions, TheMenuNamesAndPlacesTheButtons) {
  int inversion = GetParam();
  const Inversion& row = kInversions[inversion];
  Script script;
  script.Menu(row.menu).Dump();
  apptest::Session session = apptest::Run(script.Text());
  ASSERT_EQ(session.status, 0) << session.errors;
  std::string block = apptest::WindowBlock(session.output, row.title);
  ASSERT_NE(block, "") << session.output;
  for (int k = 1; k <= 15; ++k) {
    Box box = ButtonBox(inversion, k);
    EXPECT_TRUE(chords::HasLine(block, "BUTTON", kTypes[k - 1].caption, box)) << k << "\n" << block;
  }
  for (int which : {16, 17}) {
    Box box = StopBox(inversion, which);
    EXPECT_TRUE(chords::HasLine(block, "BUTTON", "Stop", box)) << which << "\n" << block;
  }
}

TEST_P(ChordInversions, EachButtonPlaysItsChordUntilStop) {
  int inversion = GetParam();
  const Inversion& row = kInversions[inversion];
  Script script;
  script.Menu(row.menu);
  Midi expected = Expected();
  bool sounds54 = false;
  for (int k = 1; k <= 15; ++k) {
    Box box = ButtonBox(inversion, k);
    if (box.top == 300) continue;  // out of sight: no student reaches it
    script.Push(row.title, box);
    if (k == 1) script.Push(row.title, kEmptySpot);
    script.Push(row.title, StopBox(inversion, 16));
    const Notes& chord = kTypes[k - 1].inversions[inversion];
    expected.On(chord).Off(kStopped);
    for (int note : chord) sounds54 |= note == 54;
  }
  script.Dump();
  apptest::Session session = apptest::Run(script.Text());
  ASSERT_EQ(session.status, 0) << session.errors;
  EXPECT_EQ(session.errors, "");
  EXPECT_EQ(chords::OnChannel(session.midi, chords::kInversionChannel), expected.Words());
  std::set<std::pair<int, int>> left;
  if (sounds54) left.insert({chords::kInversionChannel, 54});
  EXPECT_EQ(apptest::Sounding(session.midi), left);
}

std::string InversionName(const ::testing::TestParamInfo<int>& info) {
  const char* names[] = {"Root", "First", "Second", "Third"};
  return names[info.param];
}

INSTANTIATE_TEST_SUITE_P(AllInversions, ChordInversions, ::testing::Values(0, 1, 2, 3),
                         InversionName);

TEST(ChordInversionEdges, ChordsPileUpUntilEitherStopButton) {
  const char* title = kInversions[0].title;
  Script script;
  script.Menu(kInversions[0].menu)
      .Push(title, ButtonBox(0, 1))    // "M"
      .Push(title, kEmptySpot)
      .Push(title, ButtonBox(0, 6))    // "m": "M" keeps sounding
      .Push(title, StopBox(0, 17))
      .Push(title, ButtonBox(0, 15))   // "s/dim"
      .Push(title, ButtonBox(0, 15))
      .Push(title, StopBox(0, 16))
      .Dump();
  apptest::Session session = apptest::Run(script.Text());
  ASSERT_EQ(session.status, 0) << session.errors;
  Midi expected = Expected();
  expected.On(kTypes[0].inversions[0]).On(kTypes[5].inversions[0]).Off(kStopped);
  expected.On(kTypes[14].inversions[0]).On(kTypes[14].inversions[0]).Off(kStopped);
  EXPECT_EQ(chords::OnChannel(session.midi, chords::kInversionChannel), expected.Words());
  EXPECT_TRUE(apptest::Sounding(session.midi).empty());
}

TEST(ChordInversionEdges, DiminishedInSecondAndThirdInversion) {
  struct Case {
    int inversion;
    Notes chord;
    bool leaves54;
  } cases[] = {{3, {57, 60, 63, 66}, false}, {2, {54, 63, 69, 72}, true}};
  for (const Case& c : cases) {
    const Inversion& row = kInversions[c.inversion];
    SCOPED_TRACE(row.title);
    Script script;
    script.Menu(row.menu).Push(row.title, ButtonBox(c.inversion, 10)).Push(row.title, StopBox(c.inversion, 16));
    apptest::Session session = apptest::Run(script.Text());
    ASSERT_EQ(session.status, 0) << session.errors;
    Midi expected = Expected();
    expected.On(c.chord).Off(kStopped);
    EXPECT_EQ(chords::OnChannel(session.midi, chords::kInversionChannel), expected.Words());
    std::set<std::pair<int, int>> left;
    if (c.leaves54) left.insert({chords::kInversionChannel, 54});
    EXPECT_EQ(apptest::Sounding(session.midi), left);
  }
}

}  // namespace
