// What the chord exercises' tests share: a script written as a student's gestures (open a
// menu item, rest on a control, leave the window, push a button, type into a field), the
// MIDI words a chord gives on one channel, and readers for the dump lines of edit fields
// and buttons. Sessions themselves run through apptest::Run (apprun.h).
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "tests/app/apprun.h"

namespace chords {

using Notes = std::vector<int>;

// A control's rectangle as the layouts give it: Left, Top, Width, Height.
struct Box {
  int left, top, width, height;
  int X() const { return left + width / 2; }
  int Y() const { return top + height / 2; }
};

// The player of an exercise window opened from the main window gets channel 1: the menu
// handler reaches the exercise window (creating it) while the main window, whose own player
// holds channel 0, is still open. The chord-inversion window is reached after the main
// window closed, so its player gets channel 0.
constexpr int kExerciseChannel = 1;
constexpr int kInversionChannel = 0;

// A script in the headless backend's commands, built a gesture at a time.
class Script {
 public:
  Script& Menu(const std::string& path) { return Line("menu \"" + path + "\""); }
  // Rests the pointer on the middle of box in window title (one turn of the loop lets the
  // mouse tracker raise MouseEnter / MouseExit).
  Script& Hover(const std::string& title, Box box) {
    return Line("move \"" + title + "\" " + std::to_string(box.X()) + " " + std::to_string(box.Y()))
        .Line("idle 1");
  }
  // A point of the screen that no window covers.
  Script& LeaveWindow() { return Line("move 1015 760").Line("idle 1"); }
  Script& Push(const std::string& title, Box box) { return Hover(title, box).Line("click"); }
  Script& Type(const std::string& text) { return Line("type \"" + text + "\""); }
  Script& Dump() { return Line("dump"); }
  Script& Line(const std::string& line) {
    text_ += line + "\n";
    return *this;
  }
  const std::string& Text() const { return text_; }

 private:
  std::string text_;
};

// The MIDI words a sequence of chords gives on one channel, as the recorder writes them.
class Midi {
 public:
  explicit Midi(int channel) : channel_(channel) {}
  Midi& On(const Notes& chord) {
    for (int note : chord) words_.push_back(apptest::Word(0x90 | channel_, note, 127));
    return *this;
  }
  // Velocity 0 goes out as a note-off with release velocity 64.
  Midi& Off(const Notes& chord) {
    for (int note : chord) words_.push_back(apptest::Word(0x80 | channel_, note, 64));
    return *this;
  }
  Midi& Program(int program) {
    words_.push_back(apptest::Word(0xC0 | channel_, program, 0));
    return *this;
  }
  const std::vector<std::string>& Words() const { return words_; }

 private:
  int channel_;
  std::vector<std::string> words_;
};

// The recorded words of one channel (note-on, note-off, program change), in order.
inline std::vector<std::string> OnChannel(const std::vector<std::string>& midi, int channel) {
  std::vector<std::string> words;
  for (const std::string& word : apptest::Words(midi)) {
    unsigned long value = std::stoul(word, nullptr, 16);
    if (static_cast<int>(value & 0x0F) == channel) words.push_back(word);
  }
  return words;
}

// The text of the control of class kind ("RichEdit", "BUTTON", "KT_Pane") whose dump line
// has this position; "<none>" when the block has no such control.
inline std::string TextAt(const std::string& block, const std::string& kind, int left, int top) {
  std::istringstream lines(block);
  std::string position = " " + std::to_string(left) + " " + std::to_string(top) + " ";
  for (std::string line; std::getline(lines, line);) {
    std::string head = "  " + kind + " \"";
    if (line.rfind(head, 0) != 0) continue;
    size_t close = line.rfind('"');
    if (line.compare(close + 1, position.size(), position) == 0)
      return line.substr(head.size(), close - head.size());
  }
  return "<none>";
}

// Whether the block has a line of class kind at this rectangle (any text).
inline bool HasControlAt(const std::string& block, const std::string& kind, Box box) {
  std::istringstream lines(block);
  char tail[64];
  std::snprintf(tail, sizeof tail, "\" %d %d %d %d", box.left, box.top, box.width, box.height);
  for (std::string line; std::getline(lines, line);) {
    if (line.rfind("  " + kind + " \"", 0) != 0) continue;
    size_t close = line.rfind('"');
    std::string rest = line.substr(close);
    if (rest.rfind(tail, 0) == 0 && (rest.size() == std::strlen(tail) || rest[std::strlen(tail)] == ' '))
      return true;
  }
  return false;
}

// Whether the block has the line of a control of class kind with this text and rectangle.
inline bool HasLine(const std::string& block, const std::string& kind, const std::string& text,
                    Box box) {
  char tail[64];
  std::snprintf(tail, sizeof tail, "\" %d %d %d %d", box.left, box.top, box.width, box.height);
  std::string line = "  " + kind + " \"" + text + tail;
  size_t at = block.find(line);
  while (at != std::string::npos) {
    char next = at + line.size() < block.size() ? block[at + line.size()] : '\n';
    if ((at == 0 || block[at - 1] == '\n') && (next == '\n' || next == ' ')) return true;
    at = block.find(line, at + 1);
  }
  return false;
}

// The dumps of a session, each cut down to the block of window title.
inline std::vector<std::string> Blocks(const apptest::Session& session, const std::string& title) {
  std::vector<std::string> blocks;
  for (const std::string& dump : apptest::Dumps(session.output))
    blocks.push_back(apptest::WindowBlock(dump, title));
  return blocks;
}

// Whether the instrument window shows in a dump as visible.
inline bool InstrumentWindowVisible(const std::string& dump) {
  std::string block = apptest::WindowBlock(dump, "Cambia");
  return !block.empty() && block.substr(0, block.find('\n')).find(" visible") != std::string::npos;
}

// Chooses "Flauto" (program 74) in the instrument window and comes back to the main window.
inline void ChooseFlute(Script& script) {
  script.Menu("Strumenti/Cambia")
      .Push("Cambia", {30, 270, 80, 20})
      .Push("Cambia", {43, 403, 60, 20});
}
constexpr int kFluteProgram = 74;

}  // namespace chords
