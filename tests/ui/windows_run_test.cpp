// A compiled program with windows run for real: the runtime started headless on the image
// amxc made from programs/windows.amx, a script playing the user, and the message boxes and
// screen dumps it prints checked line by line. Covers the default window's creation and
// placement, hover events of a control array, a click, a window opened from the menu bar,
// CancelClose refusing and agreeing, and the run ending when the last window closes.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

struct RunResult {
  int status = -1;
  std::vector<std::string> lines;
  std::string errors;
};

std::string Quoted(const std::string& text) { return "'" + text + "'"; }

RunResult RunProgram(const std::string& script) {
  RunResult result;
  // Per process: CTest runs the cases of this table side by side.
  std::string stem = ::testing::TempDir() + "windows_" + std::to_string(getpid());
  std::string scriptFile = stem + "_script.txt";
  std::string errFile = stem + "_stderr.txt";
  std::ofstream(scriptFile) << script;
  std::string command = "cd " + Quoted(AMX_WINDOWS_PROGRAM_DIR) +
                        " && ARMONIX_NATIVE=headless ARMONIX_MIDI=none ARMONIX_SCRIPT=" +
                        Quoted(scriptFile) + " " + Quoted(AMX_RUNTIME_EXE) + " 2>" +
                        Quoted(errFile);
  FILE* out = popen(command.c_str(), "r");
  if (out == nullptr) return result;
  std::string text;
  char buffer[512];
  size_t n;
  while ((n = fread(buffer, 1, sizeof buffer, out)) > 0) text.append(buffer, n);
  int status = pclose(out);
  result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  std::istringstream lines(text);
  for (std::string line; std::getline(lines, line);) result.lines.push_back(line);
  std::ifstream err(errFile);
  result.errors.assign(std::istreambuf_iterator<char>(err), {});
  return result;
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
