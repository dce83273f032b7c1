// Runs the shipped program build/armonix headless on a script and collects what a student
// would have seen and heard: every dump and message box (stdout), complaints (stderr), the
// exit status and the MIDI words the recorder wrote. Also small readers for those: dumps cut
// per command, one window's block of a dump, MIDI words spelled as the recorder writes them,
// and the notes still sounding at the end. Entry point: apptest::Run.
#pragma once

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <vector>

#include "tests/support/runprogram.h"

namespace apptest {

struct Session {
  int status = -1;
  std::string output;             // stdout: dumps and message boxes
  std::string errors;             // stderr
  std::vector<std::string> midi;  // the recorder's lines: "open", "XXXXXXXX", "close"
};

// A fresh per-process name for each call, since one test may run several sessions.
inline std::string SessionPath(const std::string& stem, const std::string& suffix) {
  static int count = 0;
  return runprogram::ProcessTempPath(stem + "_" + std::to_string(++count), suffix);
}

// Printed before every dump, so that two dumps in a row can be told apart.
constexpr char kDumpMark[] = "-- dump --";

// A script with each `dump` preceded by an echo of the mark.
inline std::string MarkDumps(const std::string& script) {
  std::string marked;
  for (const std::string& line : runprogram::SplitLines(script)) {
    if (line == "dump") marked += std::string("echo \"") + kDumpMark + "\"\n";
    marked += line + "\n";
  }
  return marked;
}

// script: the lines of an ARMONIX_SCRIPT (native/README.md).
inline Session Run(const std::string& script, const std::string& extraEnvironment = "") {
  std::string scriptFile = SessionPath("armonix_script", ".txt");
  std::string midiFile = SessionPath("armonix_midi", ".txt");
  std::string errorsFile = SessionPath("armonix_stderr", ".txt");
  std::filesystem::remove(midiFile);
  std::ofstream(scriptFile) << MarkDumps(script);
  std::string command = "cd " + runprogram::Quoted(::testing::TempDir()) +
                        " && ARMONIX_NATIVE=headless ARMONIX_SCRIPT=" +
                        runprogram::Quoted(scriptFile) +
                        " ARMONIX_MIDI=" + runprogram::Quoted("record:" + midiFile) + " " +
                        extraEnvironment + " " + runprogram::Quoted(AMX_ARMONIX_EXE) + " 2>" +
                        runprogram::Quoted(errorsFile);
  runprogram::CommandRun run = runprogram::RunCommand(command);
  Session session{run.status, run.output, runprogram::ReadFile(errorsFile),
                  runprogram::SplitLines(runprogram::ReadFile(midiFile))};
  std::filesystem::remove(scriptFile);
  std::filesystem::remove(midiFile);
  std::filesystem::remove(errorsFile);
  return session;
}

// The screens of a session, one per `dump` command (Run marks where each one starts).
inline std::vector<std::string> Dumps(const std::string& output) {
  std::vector<std::string> dumps;
  for (const std::string& line : runprogram::SplitLines(output)) {
    if (line == kDumpMark) dumps.emplace_back();
    else if (!dumps.empty() && line.rfind("msgbox ", 0) != 0) dumps.back() += line + "\n";
  }
  return dumps;
}

// The block of window TITLE in one dump: its top-level line and its controls' lines; "" when
// the dump does not show that window.
inline std::string WindowBlock(const std::string& dump, const std::string& title) {
  std::string head = "window \"" + title + "\" ";
  size_t start = dump.rfind(head, 0) == 0 ? 0 : dump.find("\n" + head);
  if (start == std::string::npos) return "";
  if (start != 0) ++start;
  size_t end = dump.find("\nwindow \"", start);
  return dump.substr(start, end == std::string::npos ? std::string::npos : end + 1 - start);
}

// MIDI words as the recorder writes them: the status byte lowest, eight hex digits.
inline std::string Word(int status, int data1, int data2) {
  char text[9];
  std::snprintf(text, sizeof text, "%08X",
                (data2 & 0x7F) << 16 | (data1 & 0x7F) << 8 | (status & 0xFF));
  return text;
}
inline std::string NoteOn(int channel, int note) { return Word(0x90 | channel, note, 127); }
// PlayNote(n, 0) stops a note with a note-off of release velocity 64.
inline std::string NoteOff(int channel, int note) { return Word(0x80 | channel, note, 64); }
inline std::string Program(int channel, int program) { return Word(0xC0 | channel, program, 0); }

// The (channel, note) pairs whose last note-on has had no note-off after it.
inline std::set<std::pair<int, int>> Sounding(const std::vector<std::string>& midi) {
  std::set<std::pair<int, int>> sounding;
  for (const std::string& line : midi) {
    if (line.size() != 8) continue;
    unsigned long word = std::stoul(line, nullptr, 16);
    int status = word & 0xFF, note = (word >> 8) & 0x7F, velocity = (word >> 16) & 0x7F;
    if ((status & 0xF0) != 0x90 && (status & 0xF0) != 0x80) continue;
    bool on = (status & 0xF0) == 0x90 && velocity > 0;
    if (on) sounding.insert({status & 0x0F, note});
    else sounding.erase({status & 0x0F, note});
  }
  return sounding;
}

// Only the MIDI words, without the "open" and "close" lines.
inline std::vector<std::string> Words(const std::vector<std::string>& midi) {
  std::vector<std::string> words;
  for (const std::string& line : midi)
    if (line.size() == 8) words.push_back(line);
  return words;
}

}  // namespace apptest
