// Runs the compiled ear-training demo (several windows, a menu bar, control arrays, a bevel
// button from the carried plug-in, a note player) headless through its lesson script: the
// screen after each step, the MIDI messages sent and a clean end with status 0.
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/runprogram.h"

namespace {

struct Lesson {
  int status = -1;
  std::string output;  // stdout: the dumps
  std::string errors;  // stderr: script and runtime complaints
  std::string midi;    // the recorder's lines
};

Lesson RunLesson(const std::string& script) {
  std::string midiFile = runprogram::ProcessTempPath("ear_midi", ".txt");
  std::filesystem::remove(midiFile);
  runprogram::ProgramRun run = runprogram::RunHeadless(
      AMX_RUNTIME_EXE,
      {AMX_EAR_DIR,
       {{"ARMONIX_SCRIPT", script}, {"ARMONIX_MIDI", "record:" + midiFile}},
       "",
       runprogram::ProcessTempPath("ear_stderr", ".txt")});
  return {run.status, run.output, run.errors, runprogram::ReadFile(midiFile)};
}

// The screens the lesson dumps, split at each top-level window line that starts a dump.
std::vector<std::string> Dumps(const std::string& output) {
  std::vector<std::string> dumps;
  std::istringstream lines(output);
  for (std::string line; std::getline(lines, line);) {
    bool first = line.rfind("window \"", 0) == 0 && (dumps.empty() || dumps.back().find('\n') != std::string::npos);
    if (dumps.empty() || first) dumps.emplace_back();
    dumps.back() += line + "\n";
  }
  return dumps;
}

TEST(EarDemo, PlaysTheScriptedLessonToItsEnd) {
  Lesson lesson = RunLesson(AMX_EAR_SCRIPT);
  EXPECT_EQ(lesson.status, 0) << lesson.errors;
  EXPECT_EQ(lesson.errors, "");
  std::vector<std::string> dumps = Dumps(lesson.output);
  ASSERT_EQ(dumps.size(), 5u) << lesson.output;
  EXPECT_EQ(dumps[0], "window \"Armonix\" 316 140 391 206 visible active\n  StaticText \"Armonix\" 37 13 320 60\n");
  // The menu handler opened the exercise and closed the main window.
  EXPECT_EQ(dumps[1].find("window \"Armonix\""), std::string::npos) << dumps[1];
  EXPECT_NE(dumps[1].find("window \"Note\" "), std::string::npos) << dumps[1];
  EXPECT_NE(dumps[1].find("  BUTTON \"E3\" 130 60 40 20\n"), std::string::npos) << dumps[1];
  EXPECT_NE(dumps[1].find("  KT_Pane \"Nota guida\" 20 15 150 22\n"), std::string::npos) << dumps[1];
  // Resting on the bevel button stored the guide note; C3 is right, D3 is wrong.
  EXPECT_NE(dumps[2].find("  RichEdit \"60\" 200 120 40 22 hidden\n  RichEdit \"true\" "), std::string::npos)
      << dumps[2];
  EXPECT_NE(dumps[3].find("  RichEdit \"false C3\" "), std::string::npos) << dumps[3];
  EXPECT_EQ(dumps[4], "window \"Armonix\" 316 140 391 206 visible active\n  StaticText \"Armonix\" 37 13 320 60\n");
  // Note-on with velocity 127 on entering, its note-off on leaving.
  EXPECT_EQ(lesson.midi, "open\n007F3C90\n00403C80\nclose\n");
}

}  // namespace
