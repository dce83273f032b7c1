// A compiled program plays through its window's NotePlayer1: the runtime runs the image
// headless with the MIDI recorder, and the recording must hold exactly the words the
// window's description and its Open handler cause, between one open and one close.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "tests/support/runprogram.h"

namespace {

using Lines = std::vector<std::string>;

struct ProgramRun {
  int status = -1;
  Lines output;      // stdout: the script's dump
  Lines recording;   // the recorder's lines
  std::string errors;
};

ProgramRun RunNotes(const std::string& midi) {
  const std::string script = runprogram::ProcessTempPath("armonix-notes", "-script.txt"),
                    recording = runprogram::ProcessTempPath("armonix-notes", "-midi.txt"),
                    errors = runprogram::ProcessTempPath("armonix-notes", "-stderr.txt");
  std::ofstream(script) << "idle 3\ndump\n";
  std::remove(recording.c_str());
  const std::string backend = midi.empty() ? "record:" + recording : midi;
  const runprogram::ProgramRun ran = runprogram::RunHeadless(
      AMX_RUNTIME_EXE,
      {AMX_MUSIC_PROGRAM_DIR, {{"ARMONIX_SCRIPT", script}, {"ARMONIX_MIDI", backend}}, "", errors});
  ProgramRun run;
  run.status = ran.status;
  run.output = runprogram::SplitLines(ran.output);
  run.recording = runprogram::SplitLines(runprogram::ReadFile(recording));
  run.errors = ran.errors;
  for (const std::string& path : {script, recording, errors}) std::remove(path.c_str());
  return run;
}

TEST(NotePlayerProgram, WindowPlaysThroughNotePlayer1AndClosesTheDeviceAtTheEnd) {
  ProgramRun run = RunNotes("");
  EXPECT_EQ(run.status, 0) << run.errors;
  EXPECT_EQ(run.recording, (Lines{
                               "open",
                               "000001C0",  // "Instrument" 1 from the window's description
                               "00643C90",  // C3 on, velocity 100
                               "00403C80",  // C3 off
                               "000013C0",  // Instrument = 19, sent once for two settings
                               "007F3E90",  // D3 on, velocity read back: 19 + 108
                               "00403E80",  // D3 off
                               "close",     // the window closed at the end of the run
                           }))
      << run.errors;
}

TEST(NotePlayerProgram, ThePlayerHasNoWindowOfItsOwn) {
  ProgramRun run = RunNotes("");
  ASSERT_FALSE(run.output.empty()) << run.errors;
  EXPECT_EQ(run.output[0].rfind("window \"Note\"", 0), 0u) << run.output[0];
  for (const std::string& line : run.output) {
    EXPECT_NE(line.rfind("  ", 0), 0u) << "a child window: " << line;
  }
}

TEST(NotePlayerProgram, WithoutMidiTheProgramRunsSilently) {
  ProgramRun run = RunNotes("none");
  EXPECT_EQ(run.status, 0) << run.errors;
  EXPECT_EQ(run.recording, Lines{});
  EXPECT_EQ(run.errors, "");
}

}  // namespace
