// The bare runtime executable run as a program: development mode in a directory of .dat
// files, a standalone executable with the image appended, an unhandled exception, a
// processor fault and a damaged image. Every run ends by itself; only a fault fails.
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <sys/wait.h>

#include <gtest/gtest.h>

#include "tests/exceptions/testimage.h"
#include "tests/startup/appimage.h"

namespace {

struct ProgramResult {
  int exitCode = -1;
  int signal = 0;
  std::string output;  // stdout and stderr together
};

// backend "headless" runs directly; "fltk" runs under a virtual X server.
ProgramResult RunProgram(const std::string& directory, const std::string& program,
                         const std::string& arguments, const std::string& backend = "headless") {
  std::string launcher = backend == "fltk" ? std::string(AMX_WITH_XVFB) + " " : "";
  std::string command = "cd '" + directory + "' && ARMONIX_NATIVE=" + backend +
                        " ARMONIX_SCRIPT= timeout 60 " + launcher + "'" + program + "' " +
                        arguments + " 2>&1";
  ProgramResult result;
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return result;
  char buffer[4096];
  size_t n;
  while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) result.output.append(buffer, n);
  int status = pclose(pipe);
  if (WIFEXITED(status)) result.exitCode = WEXITSTATUS(status);
  return result;
}

std::string DevelopmentDirectory(const AppOptions& options) {
  std::string dir = testimage::FreshDirectory();
  imagekit::WriteDatFiles(BuildApplicationImage(options), dir);
  return dir;
}

AppOptions WithoutTestRoutines() {
  AppOptions options;
  options.testRoutines = false;
  options.openDocument = false;
  return options;
}

TEST(Binary, RunsAnImageInDevelopmentModeToACleanExit) {
  std::string dir = DevelopmentDirectory(WithoutTestRoutines());
  testimage::ScopedDirectory removed(dir);
  ProgramResult result = RunProgram(dir, AMX_RUNTIME_EXE, "a.txt");
  EXPECT_EQ(result.exitCode, 0);
  EXPECT_EQ(result.output, "");
}

TEST(Binary, QuittingAnMdiApplicationEndsCleanlyInBothBackends) {
  AppOptions options = WithoutTestRoutines();
  options.mdi = true;
  options.quitInOpen = true;
  std::string dir = DevelopmentDirectory(options);
  testimage::ScopedDirectory removed(dir);
  for (const char* backend : {"headless", "fltk"}) {
    SCOPED_TRACE(backend);
    if (std::string(backend) == "fltk" && std::system("command -v Xvfb >/dev/null") != 0) {
      GTEST_SKIP() << "Xvfb is not installed: the desktop backend cannot be tried";
    }
    ProgramResult result = RunProgram(dir, AMX_RUNTIME_EXE, "", backend);
    EXPECT_EQ(result.exitCode, 0) << result.output;
    EXPECT_EQ(result.output, "");
  }
}

TEST(Binary, RunsAStandaloneExecutable) {
  std::string dir = testimage::FreshDirectory();
  testimage::ScopedDirectory removed(dir);
  std::string program = dir + "app";
  imagekit::WriteExecutable(BuildApplicationImage(WithoutTestRoutines()), AMX_RUNTIME_EXE, program);
  ProgramResult result = RunProgram(dir, program, "\"my file.txt\"");
  EXPECT_EQ(result.exitCode, 0);
  EXPECT_EQ(result.output, "");
}

TEST(Binary, UnhandledExceptionShowsTheProjectMessageAndExitsWithZero) {
  AppOptions options = WithoutTestRoutines();
  options.nilInOpen = true;
  std::string dir = DevelopmentDirectory(options);
  testimage::ScopedDirectory removed(dir);
  ProgramResult result = RunProgram(dir, AMX_RUNTIME_EXE, "");
  EXPECT_EQ(result.exitCode, 0);
  EXPECT_EQ(result.output,
            "msgbox \"Message\" \"Un'eccezione della classe NilObjectException non \xC3\xA8 stata "
            "gestita.L'applicazione verr\xC3\xA0 chiusa.\" -> OK\n");
}

TEST(Binary, UnhandledExceptionInMdiModeUsesTheApplicationCaption) {
  AppOptions options = WithoutTestRoutines();
  options.nilInOpen = true;
  options.mdi = true;
  std::string dir = DevelopmentDirectory(options);
  testimage::ScopedDirectory removed(dir);
  ProgramResult result = RunProgram(dir, AMX_RUNTIME_EXE, "");
  EXPECT_EQ(result.exitCode, 0);
  EXPECT_EQ(result.output.rfind("msgbox \"Mia applicazione\" \"Un'eccezione", 0), 0u) << result.output;
}

TEST(Binary, ProcessorFaultIsReportedAndNeverReportedAsSuccess) {
  AppOptions options = WithoutTestRoutines();
  options.faultInOpen = true;
  std::string dir = DevelopmentDirectory(options);
  testimage::ScopedDirectory removed(dir);
  ProgramResult result = RunProgram(dir, AMX_RUNTIME_EXE, "");
  EXPECT_NE(result.exitCode, 0);
  EXPECT_NE(result.output.find("Unhandled Exception\nUnhandled exception: c0000005\n"
                               "At address:          "),
            std::string::npos)
      << result.output;
}

TEST(Binary, MissingImageIsReportedAndExitsWithZero) {
  std::string dir = testimage::FreshDirectory();
  testimage::ScopedDirectory removed(dir);
  ProgramResult result = RunProgram(dir, AMX_RUNTIME_EXE, "");
  EXPECT_EQ(result.exitCode, 0);
  EXPECT_NE(result.output.find("msgbox \"Message\" \"The application could not be loaded"),
            std::string::npos)
      << result.output;
}

}  // namespace
