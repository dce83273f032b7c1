// Whole projects compiled by the amxc program and read back by amxdump: every block, link
// record, relocation, class, window, menu entry, setting and plug-in decodes, with no damaged
// record, no name the EntryTable lacks and no class index that leads nowhere.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

struct RunResult {
  int status;
  std::string output;
};

RunResult RunCommand(const std::string& command) {
  FILE* pipe = popen((command + " 2>&1").c_str(), "r");
  std::string output;
  char buffer[4096];
  size_t n;
  while (pipe && (n = fread(buffer, 1, sizeof buffer, pipe)) > 0) output.append(buffer, n);
  int status = pipe ? pclose(pipe) : -1;
  return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, output};
}

struct Project {
  const char* file;  // under tests/amxc/programs
  size_t windows;
  const char* mustShow[4];
  size_t functions = 0;  // every function disassembled on its own (0: not counted)
};

class ImageDump : public ::testing::TestWithParam<Project> {};

TEST_P(ImageDump, DecodesCompletely) {
  const Project& p = GetParam();
  fs::path dir = fs::temp_directory_path() / ("amxc_dump_" + std::to_string(getpid()));
  fs::remove_all(dir);
  std::string options;
#ifdef AMXC_PLUGIN_DIR
  options = " --plugin-dir " AMXC_PLUGIN_DIR;
#else
  if (std::string(p.file) != "ear.amx") GTEST_SKIP() << "the appearance plug-in is not built";
#endif
  RunResult compiled = RunCommand(std::string(AMXC_BINARY) + " " AMXC_TEST_DIR "/programs/" + p.file + options +
                           " -o " + dir.string());
  ASSERT_EQ(compiled.status, 0) << compiled.output;
  RunResult dump = RunCommand(std::string(AMXDUMP_BINARY) + " --disassemble " + dir.string());
  fs::remove_all(dir);
  EXPECT_EQ(dump.status, 0) << dump.output;
  std::istringstream lines(dump.output);
  size_t windows = 0, functions = 0;
  for (std::string line; std::getline(lines, line);) {
    SCOPED_TRACE(line);
    for (const char* bad : {"damaged", "UNKNOWN ENTRY", "(none)", "unknown kind", "unavailable", "error"})
      EXPECT_EQ(line.find(bad), std::string::npos);
    // A '?' may only stand inside a quoted text of the program.
    size_t mark = line.find('?');
    if (mark != std::string::npos) EXPECT_NE(line.rfind('"', mark), std::string::npos);
    if (line.rfind("  data1+", 0) == 0 && line.find(" properties, ") != std::string::npos) {
      ++windows;
      EXPECT_NE(line.find(", 21 properties, "), std::string::npos);
    }
    if (line.rfind("function code1+", 0) == 0) ++functions;
  }
  EXPECT_EQ(windows, p.windows);
  EXPECT_GT(functions, p.windows) << "the entry function, accessors' callers and the handlers";
  if (p.functions) {
    EXPECT_EQ(functions, p.functions) << "handlers, accessors, creators and the entry";
  }
  for (const char* text : p.mustShow)
    if (text) EXPECT_NE(dump.output.find(text), std::string::npos) << text;
}

const Project kProjects[] = {
    {"ear.amx", 2, {"\"Esci\" name \"FileQuit\" key \"Q\"", "menu handler \"mnNS\"", "event \"Action\"",
                    "<RuntimeMenuReference>"}},
    {"bevel.amx", 1, {"\"ktap350.dll\"", "\"!SBevelButton!Caption\"", "deferred", "menu handler \"cp\""}},
    // Many windows, control arrays, quoted control names, an item repeated in two menus.
    {"shape.amx", 8, {"Name = \"pb-6\"", "- item \"Info Armonix\" name \"appleInMt\"", "<RuntimeControlFetch>",
                      "<RuntimeArrayCreateAddIndex>"},
     36},
};
INSTANTIATE_TEST_SUITE_P(Projects, ImageDump, ::testing::ValuesIn(kProjects));

}  // namespace
