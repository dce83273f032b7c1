// Running a program from a test and collecting what it said: RunCommand pipes a shell
// command's stdout and exit status back; RunHeadless starts the runtime headless in an
// image's directory with extra environment, its stderr kept in a per-process file because
// CTest runs the cases of one table side by side. SplitLines cuts output into lines.
#pragma once

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

namespace runprogram {

using Lines = std::vector<std::string>;

// One shell word: the text in single quotes, an embedded quote closed, escaped and reopened.
inline std::string Quoted(const std::string& text) {
  std::string quoted = "'";
  for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

// A file's whole text, or "" when it cannot be read.
inline std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Lines without their '\n'; a final line without one still counts, an empty tail does not.
inline Lines SplitLines(const std::string& text) {
  Lines lines;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    lines.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  return lines;
}

// A name in the test temp directory that no other test process uses at the same time.
inline std::string ProcessTempPath(const std::string& stem, const std::string& suffix) {
  return ::testing::TempDir() + stem + "_" + std::to_string(getpid()) + suffix;
}

struct CommandRun {
  int status = -1;     // the exit code, -1 when it could not start or did not exit
  std::string output;  // stdout
};

inline CommandRun RunCommand(const std::string& command) {
  CommandRun run;
  FILE* out = popen(command.c_str(), "r");
  if (out == nullptr) return run;
  char buffer[4096];
  for (size_t n; (n = fread(buffer, 1, sizeof buffer, out)) > 0;) run.output.append(buffer, n);
  int status = pclose(out);
  run.status = status != -1 && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return run;
}

struct HeadlessCall {
  std::string directory;  // the image's directory, the runtime's working directory
  std::vector<std::pair<std::string, std::string>> environment;  // besides the headless backend
  std::string arguments;   // the command-line tail, already shell text
  std::string errorsFile;  // where stderr goes: a per-process name
};

struct ProgramRun {
  int status = -1;
  std::string output;  // stdout
  std::string errors;  // stderr
};

inline ProgramRun RunHeadless(const std::string& runtime, const HeadlessCall& call) {
  std::string command = "cd " + Quoted(call.directory) + " && ARMONIX_NATIVE=headless";
  for (const auto& [name, value] : call.environment) command += " " + name + "=" + Quoted(value);
  command += " " + Quoted(runtime);
  if (!call.arguments.empty()) command += " " + call.arguments;
  command += " 2>" + Quoted(call.errorsFile);
  CommandRun run = RunCommand(command);
  return {run.status, run.output, ReadFile(call.errorsFile)};
}

}  // namespace runprogram
