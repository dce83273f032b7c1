// A compiled program with windows run for real: the runtime started headless on the image
// amxc made from programs/windows.amx, a script playing the user, and the message boxes and
// screen dumps it prints checked line by line. Covers the default window's creation and
// placement, hover events of a control array, a click, a window opened from the menu bar,
// CancelClose refusing and agreeing, and the run ending when the last window closes.
#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "tests/support/runprogram.h"

namespace {

struct RunResult {
  int status = -1;
  std::vector<std::string> lines;
  std::string errors;
};

RunResult RunProgram(const std::string& script) {
  std::string scriptFile = runprogram::ProcessTempPath("windows", "_script.txt");
  std::ofstream(scriptFile) << script;
  runprogram::ProgramRun run = runprogram::RunHeadless(
      AMX_RUNTIME_EXE, {AMX_WINDOWS_PROGRAM_DIR,
                        {{"ARMONIX_MIDI", "none"}, {"ARMONIX_SCRIPT", scriptFile}},
                        "",
                        runprogram::ProcessTempPath("windows", "_stderr.txt")});
  return {run.status, runprogram::SplitLines(run.output), run.errors};
}

struct RunCase {
  const char* what;
  const char* script;  // the main window's client area starts at screen (362, 142)
  std::vector<std::string> expected;
};

class WindowsRun : public ::testing::TestWithParam<RunCase> {};

TEST_P(WindowsRun, PrintsWhatTheHandlersDid) {
  const RunCase& c = GetParam();
  RunResult run = RunProgram(c.script);
  EXPECT_EQ(run.status, 0) << c.what << "\nstderr: " << run.errors;
  EXPECT_EQ(run.lines, c.expected) << c.what << "\nstderr: " << run.errors;
  EXPECT_EQ(run.errors, "") << c.what;
}

const RunCase kRuns[] = {
    {"hovering, clicking, a second window, closing the last one",
     "move 392 167\n"
     "dump\n"
     "move 612 292\n"
     "dump\n"
     "move 472 167\n"
     "click\n"
     "menu \"Prove/Apri\"\n"
     "close \"Seconda\"\n"
     "close \"sopra 2\"\n",
     {"msgbox \"Message\" \"aperta\" -> OK",
      "window \"sopra 1\" 362 142 300 200 visible active",
      "  BUTTON \"Uno\" 20 20 60 20 default",
      "  BUTTON \"Due\" 100 20 60 20",
      "  BUTTON \"Blocca\" 180 20 60 20",
      "window \"fuori\" 362 142 300 200 visible active",
      "  BUTTON \"Uno\" 20 20 60 20 default",
      "  BUTTON \"Due\" 100 20 60 20",
      "  BUTTON \"Blocca\" 180 20 60 20",
      "msgbox \"Message\" \"premuto 2\" -> OK",
      "msgbox \"Message\" \"seconda aperta\" -> OK",
      "msgbox \"Message\" \"chiudo?\" -> OK",
      "msgbox \"Message\" \"chiusa\" -> OK"}},
    {"CancelClose True keeps the window; the end of the run closes it without asking",
     "move 552 167\n"
     "click\n"
     "close \"fisso\"\n"
     "dump\n",
     {"msgbox \"Message\" \"aperta\" -> OK",
      "msgbox \"Message\" \"chiudo?\" -> OK",
      "window \"fisso\" 362 142 300 200 visible active",
      "  BUTTON \"Uno\" 20 20 60 20",
      "  BUTTON \"Due\" 100 20 60 20",
      "  BUTTON \"Blocca\" 180 20 60 20 default",
      "msgbox \"Message\" \"chiusa\" -> OK"}},
};

INSTANTIATE_TEST_SUITE_P(Program, WindowsRun, ::testing::ValuesIn(kRuns));

}  // namespace
