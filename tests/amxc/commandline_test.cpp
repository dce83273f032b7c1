// The amxc command line: development files, a standalone executable, help, and the exit
// status and messages of a project with errors. Runs the built amxc program.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "tools/imagekit/imagekit.h"

namespace {

namespace fs = std::filesystem;

struct RunResult {
  int status;
  std::string output;
};

RunResult Amxc(const std::string& arguments) {
  std::string command = std::string(AMXC_BINARY) + " " + arguments + " 2>&1";
  FILE* pipe = popen(command.c_str(), "r");
  std::string output;
  char buffer[512];
  while (pipe && fgets(buffer, sizeof buffer, pipe)) output += buffer;
  int status = pipe ? pclose(pipe) : -1;
  return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, output};
}

fs::path TempDir(const std::string& name) {
  fs::path dir = fs::temp_directory_path() / ("amxc_cli_" + name + "_" + std::to_string(getpid()));
  fs::remove_all(dir);
  fs::create_directories(dir);
  return dir;
}

TEST(CommandLine, WritesTheFourDevelopmentFiles) {
  fs::path out = TempDir("dat") / "image";
  RunResult run = Amxc(std::string(AMXC_TEST_DIR) + "/programs/ear.amx -o " + out.string());
  ASSERT_EQ(run.status, 0) << run.output;
  EXPECT_EQ(run.output, "");
  for (const char* name : {"code1.dat", "code2.dat", "data1.dat", "data2.dat"})
    EXPECT_TRUE(fs::exists(out / name)) << name;
  imagekit::Image image = imagekit::ReadImageDirectory(out.string());
  imagekit::DecodedData data = imagekit::DecodeData(image);
  EXPECT_TRUE(data.problems.empty()) << data.problems[0];
  EXPECT_EQ(data.windows.size(), 2u);
  ASSERT_EQ(data.projectItems.size(), 2u);
  EXPECT_EQ(data.projectItems[0].kind, 2u);  // the menu bar
  EXPECT_EQ(data.projectItems[1].kind, 4u);  // the settings
  fs::remove_all(out.parent_path());
}

TEST(CommandLine, ReportsErrorsWithStatus1AndWritesNothing) {
  fs::path dir = TempDir("bad");
  std::ofstream(dir / "bad.amx") << "Module M\n  Sub S()\n    x = 1\n    Return 2\n  End Sub\nEnd Module\n";
  RunResult run = Amxc((dir / "bad.amx").string() + " -o " + (dir / "out").string());
  EXPECT_EQ(run.status, 1);
  std::string file = (dir / "bad.amx").string();
  EXPECT_EQ(run.output, file + ":3:5: error: unknown variable 'x'\n    x = 1\n    ^\n" +
                            file + ":4:12: error: a Sub cannot return a value\n    Return 2\n           ^\n2 errors\n");
  EXPECT_FALSE(fs::exists(dir / "out"));
  fs::remove_all(dir);
}

#ifdef AMXC_PLUGIN_DIR
TEST(CommandLine, PluginDirectoriesSupplyTheBuiltLibrary) {
  fs::path dir = TempDir("plugin");
  std::string project = std::string(AMXC_TEST_DIR) + "/programs/bevel.amx";
  RunResult missing = Amxc(project + " -o " + (dir / "none").string());
  EXPECT_EQ(missing.status, 1);
  EXPECT_NE(missing.output.find("bevel.amx:6:3: error: cannot read plug-in library"), std::string::npos)
      << missing.output;
  EXPECT_FALSE(fs::exists(dir / "none"));
  RunResult run = Amxc(project + " --plugin-dir " + std::string(AMXC_PLUGIN_DIR) + " -o " + (dir / "out").string());
  ASSERT_EQ(run.status, 0) << run.output;
  imagekit::DecodedData data = imagekit::DecodeData(imagekit::ReadImageDirectory((dir / "out").string()));
  ASSERT_EQ(data.plugins.size(), 1u);
  EXPECT_EQ(data.plugins[0].fileName, "ktap350.dll");
  EXPECT_EQ(data.plugins[0].length - 5 - 11, fs::file_size(AMXC_PLUGIN_FILE));
  EXPECT_EQ(Amxc(project + " -o x --plugin-dir").status, 2);
  fs::remove_all(dir);
}
#endif

TEST(CommandLine, HelpDescribesBothForms) {
  RunResult run = Amxc("--help");
  EXPECT_EQ(run.status, 0);
  EXPECT_NE(run.output.find("amxc PROJECT.amx -o DIR"), std::string::npos);
  EXPECT_NE(run.output.find("amxc PROJECT.amx --runtime RUNTIME -o FILE"), std::string::npos);
  EXPECT_NE(run.output.find("--plugin-dir DIR"), std::string::npos);
}

TEST(CommandLine, RefusesMissingArguments) {
  EXPECT_EQ(Amxc("").status, 2);
  EXPECT_EQ(Amxc("p.amx").status, 2);
  EXPECT_EQ(Amxc("p.amx -o").status, 2);
  RunResult run = Amxc("/nonexistent/p.amx -o /tmp/x");
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.output.find("amxc: error: cannot read project file \"/nonexistent/p.amx\""), std::string::npos);
}

}  // namespace
