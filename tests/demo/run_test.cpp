// Runs the compiled demo project in the runtime, headless, from the directory that holds its
// development-mode image: the application class's handlers must be found by the runtime's
// event lookup and run, each message box printing one exact line, and the run end with 0.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/runprogram.h"

namespace {

struct RunResult {
  int status = -1;
  std::vector<std::string> lines;  // stdout
  std::string errors;              // stderr
};

RunResult RunDemo(const std::string& arguments) {
  runprogram::ProgramRun run = runprogram::RunHeadless(
      AMX_RUNTIME_EXE,
      {AMX_DEMO_DIR, {}, arguments, runprogram::ProcessTempPath("demo_stderr", ".txt")});
  return {run.status, runprogram::SplitLines(run.output), run.errors};
}

struct DemoCase {
  const char* what;
  const char* arguments;  // the command-line tail
  std::vector<std::string> expected;
};

class DemoRun : public ::testing::TestWithParam<DemoCase> {};

TEST_P(DemoRun, ShowsItsMessagesAndEndsWithZero) {
  const DemoCase& c = GetParam();
  RunResult run = RunDemo(c.arguments);
  EXPECT_EQ(run.status, 0) << c.what << "\nstderr: " << run.errors;
  EXPECT_EQ(run.lines, c.expected) << c.what << "\nstderr: " << run.errors;
}

const DemoCase kRuns[] = {
    {"Open, then NewDocument without documents", "",
     {"msgbox \"Message\" \"Armonix: il runtime è pronto.\" -> OK",
      "msgbox \"Message\" \"Nessun documento da aprire.\" -> OK"}},
    {"OpenDocument once per name, in order, instead of NewDocument", "scala.txt accordi.txt",
     {"msgbox \"Message\" \"Armonix: il runtime è pronto.\" -> OK",
      "msgbox \"Message\" \"Documento 1: scala.txt\" -> OK",
      "msgbox \"Message\" \"Documento 2: accordi.txt\" -> OK"}},
    {"a name with a blank is one document", "'cadenze finali.txt'",
     {"msgbox \"Message\" \"Armonix: il runtime è pronto.\" -> OK",
      "msgbox \"Message\" \"Documento 1: cadenze finali.txt\" -> OK"}},
    {"quotes inside an argument do not split it", "'\"cadenze finali.txt\"' 'a\"b'",
     {"msgbox \"Message\" \"Armonix: il runtime è pronto.\" -> OK",
      "msgbox \"Message\" \"Documento 1: cadenze finali.txt\" -> OK",
      "msgbox \"Message\" \"Documento 2: a\"b\" -> OK"}},
};
INSTANTIATE_TEST_SUITE_P(Demo, DemoRun, ::testing::ValuesIn(kRuns));

// amxdump decodes the same image: literals shown in UTF-8, the project settings field by
// field with their Mac Roman texts converted.
TEST(DemoDump, DecodesLiteralsAndProjectSettings) {
  runprogram::CommandRun dump = runprogram::RunCommand(
      runprogram::Quoted(AMX_DUMP_EXE) + " " + runprogram::Quoted(AMX_DEMO_DIR) + " 2>&1");
  const std::string& text = dump.output;
  EXPECT_EQ(dump.status, 0) << text;
  const char* expected[] = {
      "\"Armonix: il runtime è pronto.\"",
      "kind 0  \"Demo\"  superclass 0 \"Application\"",
      "event \"Open\" -> code1+0x",
      "flags 0x00, reserved 0 1, MDI no, caption \"Armonix demo\"",
      "message 4 \"Un'eccezione della classe %1 non è stata gestita.\\x0DL'applicazione verrà chiusa.\"",
  };
  for (const char* line : expected) EXPECT_NE(text.find(line), std::string::npos) << line << "\n" << text;
}

}  // namespace
