// Script steps and dump readers shared by the tests of the single-voice exercises: pointer
// moves in client coordinates of a titled window, the text of an edit field found by its
// place in a dump, and the MIDI words that follow a given point of a session.
// Entry points: melody::Hover, melody::Click, melody::FieldAt, melody::OnChannel.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/app/apprun.h"

namespace melody {

// The exercise window's player: the main window's player still holds channel 0 while the
// menu handler makes the exercise window, so the exercise's player gets channel 1.
constexpr int kChannel = 1;

inline std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

// Rests the pointer on a point of the window (the tracker raises MouseEnter on the control
// there, and MouseExit on the one it left).
inline std::string Hover(const std::string& title, int x, int y) {
  return "move " + Quoted(title) + " " + std::to_string(x) + " " + std::to_string(y) + "\n";
}
// A corner of the client area where no window of these exercises has a control.
inline std::string Away(const std::string& title) { return Hover(title, 2, 2); }
inline std::string Click(const std::string& title, int x, int y) {
  return Hover(title, x, y) + "click\n";
}
// Clicks an edit field and types into it.
inline std::string TypeAt(const std::string& title, int x, int y, const std::string& text) {
  return Click(title, x, y) + "type " + Quoted(text) + "\n";
}

// The instrument window: "Flauto" chosen, back to the main window.
inline std::string ChooseFlute() {
  return "menu \"Strumenti/Cambia\"\n" + Click("Cambia", 40, 280) + Click("Cambia", 60, 410);
}

// The text of the edit field at (left, top) of the window's block in a dump; "<none>" when
// the dump shows no edit field there.
inline std::string FieldAt(const std::string& dump, const std::string& title, int left, int top) {
  std::string block = apptest::WindowBlock(dump, title);
  std::string place = " " + std::to_string(left) + " " + std::to_string(top) + " ";
  for (const std::string& line : runprogram::SplitLines(block)) {
    size_t open = line.find("RichEdit \"");
    size_t close = line.rfind("\"");
    if (open == std::string::npos || close <= open + 9) continue;
    if (line.compare(close + 1, place.size(), place) == 0) return line.substr(open + 10, close - open - 10);
  }
  return "<none>";
}

// The MIDI words of one channel, in order (the main window's player sits on channel 0).
inline std::vector<std::string> OnChannel(const std::vector<std::string>& midi, int channel) {
  std::vector<std::string> words;
  for (const std::string& word : apptest::Words(midi))
    if ((std::stoul(word, nullptr, 16) & 0x0F) == static_cast<unsigned long>(channel)) words.push_back(word);
  return words;
}

// The notes of the note-on words (velocity not 0) on a channel, in order.
inline std::vector<int> NoteOns(const std::vector<std::string>& words, int channel) {
  std::vector<int> notes;
  for (const std::string& word : words) {
    unsigned long w = std::stoul(word, nullptr, 16);
    if ((w & 0xFF) == (0x90u | channel) && ((w >> 16) & 0x7F) != 0) notes.push_back((w >> 8) & 0x7F);
  }
  return notes;
}

// A session that must end normally and quietly.
inline apptest::Session RunClean(const std::string& script) {
  apptest::Session s = apptest::Run(script);
  EXPECT_EQ(s.status, 0) << s.errors;
  EXPECT_EQ(s.errors, "");
  return s;
}

}  // namespace melody
