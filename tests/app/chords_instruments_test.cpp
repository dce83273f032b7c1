// Which handlers of the chord exercises give their player the chosen instrument, and which of
// those hide the instrument window afterwards. With "Flauto" chosen, an applying handler's
// first word is the program change to 74 right before its first note; in a session that never
// opened the instrument window, an applying handler creates it (reaching its radio buttons)
// and then either hides it or leaves it on screen.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/app/chords_session.h"

namespace {

using chords::Box;
using chords::Script;

struct Handler {
  const char* name;  // for the messages
  const char* menu;
  const char* title;
  Box box;
  bool push;     // pushed (fnasf) rather than rested on
  bool applies;  // sets the chosen instrument
  bool hides;    // then hides the instrument window
  int channel;
};

const int kCh = chords::kExerciseChannel;
const int kInv = chords::kInversionChannel;

const Handler kHandlers[] = {
    {"fncp bbcp(1)", "Cadenze/Perfetta", "Cadenza perfetta", {150, 60, 100, 60}, false, true, true, kCh},
    {"fncp bbcp(2)", "Cadenze/Perfetta", "Cadenza perfetta", {250, 60, 100, 60}, false, true, true, kCh},
    {"fncc bb1", "Cadenze/Composta", "Cadenza composta", {50, 60, 100, 60}, false, true, false, kCh},
    {"fncc bb3", "Cadenze/Composta", "Cadenza composta", {250, 60, 100, 60}, false, false, false, kCh},
    {"fnfr bb1", "Cadenze/Frigia", "Cadenza frigia", {100, 60, 100, 60}, false, true, false, kCh},
    {"fnfr bb2", "Cadenze/Frigia", "Cadenza frigia", {200, 60, 100, 60}, false, false, false, kCh},
    {"fnmmag bb(16)", "Armonie/Modo maggiore", "Armonie modo maggiore", {120, 140, 40, 60}, false, true, true, kCh},
    {"fncad bb1", "Ear training/Cadenze", "Cadenze", {20, 20, 140, 22}, false, true, true, kCh},
    {"fncad bb2", "Ear training/Cadenze", "Cadenze", {185, 20, 140, 22}, false, true, false, kCh},
    {"fnsamm guide", "Ear training/Armonie/Modo minore", "Armonie modo minore", {20, 13, 205, 22}, false, true, true, kCh},
    {"fnsamm Play", "Ear training/Armonie/Modo minore", "Armonie modo minore", {20, 170, 205, 22}, false, false, false, kCh},
    {"fnsf guide", "Ear training/Accordi", "Accordi stato fondamentale", {20, 19, 220, 22}, false, true, true, kCh},
    {"fnsf Play", "Ear training/Accordi", "Accordi stato fondamentale", {20, 180, 220, 22}, false, false, false, kCh},
    {"fndarm bbarg", "Dettati/Modo maggiore", "Dettato armonico modo maggiore", {80, 40, 40, 100}, false, true, true, kCh},
    {"fndarm bb(4)", "Dettati/Modo maggiore", "Dettato armonico modo maggiore", {200, 40, 40, 100}, false, false, false, kCh},
    {"fndarm bbar1", "Dettati/Modo maggiore", "Dettato armonico modo maggiore", {360, 40, 40, 100}, false, false, false, kCh},
    {"fnasf pb1", "Accordi/Stato fondamentale", "Accordi stato fondamentale", {20, 20, 60, 20}, true, true, false, kInv},
    {"fnasf pb2", "Accordi/Stato fondamentale", "Accordi stato fondamentale", {100, 20, 60, 20}, true, false, false, kInv},
};

void Act(Script& script, const Handler& h) {
  if (h.push) {
    script.Push(h.title, h.box);
  } else {
    script.Hover(h.title, h.box).LeaveWindow();
  }
}

TEST(ChordInstruments, TheChosenInstrumentReachesExactlyTheApplyingHandlers) {
  for (const Handler& h : kHandlers) {
    SCOPED_TRACE(h.name);
    Script script;
    chords::ChooseFlute(script);
    script.Menu(h.menu);
    Act(script, h);
    apptest::Session session = apptest::Run(script.Text());
    ASSERT_EQ(session.status, 0) << session.errors;
    EXPECT_EQ(session.errors, "");
    std::vector<std::string> words = chords::OnChannel(session.midi, h.channel);
    std::string program = apptest::Word(0xC0 | h.channel, chords::kFluteProgram, 0);
    size_t firstNote = 0;
    while (firstNote < words.size() && (std::stoul(words[firstNote], nullptr, 16) & 0xF0) != 0x90)
      ++firstNote;
    ASSERT_LT(firstNote, words.size()) << "the handler played nothing";
    int programs = 0;
    for (const std::string& word : words) programs += word == program;
    if (h.applies) {
      ASSERT_GE(firstNote, 1u);
      EXPECT_EQ(words[firstNote - 1], program);
      EXPECT_EQ(programs, 1);
    } else {
      EXPECT_EQ(programs, 0);
    }
  }
}

TEST(ChordInstruments, ApplyingHandlersHideTheInstrumentWindowOrLeaveIt) {
  for (const Handler& h : kHandlers) {
    SCOPED_TRACE(h.name);
    Script script;
    script.Menu(h.menu);
    Act(script, h);
    script.Dump();
    apptest::Session session = apptest::Run(script.Text());
    ASSERT_EQ(session.status, 0) << session.errors;
    std::string block = apptest::WindowBlock(session.output, "Cambia");
    if (!h.applies) {
      EXPECT_EQ(block, "") << "the instrument window was reached";
      continue;
    }
    ASSERT_NE(block, "") << session.output;
    EXPECT_EQ(chords::InstrumentWindowVisible(session.output), !h.hides) << block;
  }
}

}  // namespace
