// amxc: compiles an application project into an application image, written either as the
// four development-mode block files or as a standalone executable (the runtime with the
// image appended). Entry point: main.
#include <cstdio>
#include <cstring>
#include <string>

#include "tools/amxc/compiler.h"

namespace {

constexpr const char* kUsage =
    "usage: amxc PROJECT.amx -o DIR\n"
    "       amxc PROJECT.amx --runtime RUNTIME -o FILE\n"
    "\n"
    "Compiles the application project PROJECT.amx (and the files it includes) into an\n"
    "application image.\n"
    "\n"
    "  -o DIR             without --runtime: write code1.dat, code2.dat, data1.dat and\n"
    "                     data2.dat (development mode) into DIR, creating it if needed\n"
    "  --runtime RUNTIME  write a standalone executable: a copy of the runtime executable\n"
    "                     RUNTIME with the image appended\n"
    "  -o FILE            with --runtime: the executable to write\n"
    "  --plugin-dir DIR   where a plug-in library named by Plugin ... From \"PATH\" is\n"
    "                     looked for when PATH is not found beside the project file\n"
    "                     (DIR/PATH, then DIR/ and PATH's file name); may be repeated\n"
    "  --help             show this text\n"
    "\n"
    "Errors are reported as file:line:col: error: message with the source line; the exit\n"
    "status is 1 when there is any error, and nothing is written then.\n";

int Usage(const char* problem) {
  std::fprintf(stderr, "amxc: error: %s\n%s", problem, kUsage);
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  std::string project, output, runtime;
  amxc::CompileOptions options;
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    if (arg == "--help" || arg == "-h") {
      std::fputs(kUsage, stdout);
      return 0;
    }
    if (arg == "-o" || arg == "--runtime" || arg == "--plugin-dir") {
      if (i + 1 >= argc) return Usage((arg + " needs a value").c_str());
      std::string value = argv[++i];
      if (arg == "--plugin-dir") options.pluginDirs.push_back(value);
      else (arg == "-o" ? output : runtime) = value;
    } else if (!arg.empty() && arg[0] == '-') {
      return Usage(("unknown option " + arg).c_str());
    } else if (project.empty()) {
      project = arg;
    } else {
      return Usage("more than one project file");
    }
  }
  if (project.empty()) return Usage("no project file");
  if (output.empty()) return Usage("no output given (-o)");

  amxc::SourceSet sources;
  amxc::Diagnostics diags(sources);
  amxc::CompiledImage compiled;
  bool ok = amxc::CompileProject(sources, project, diags, compiled, options);
  for (const std::string& message : diags.Messages()) std::fprintf(stderr, "%s\n", message.c_str());
  if (!ok) {
    std::fprintf(stderr, "%zu error%s\n", diags.Count(), diags.Count() == 1 ? "" : "s");
    return 1;
  }
  try {
    if (runtime.empty()) imagekit::WriteDatFiles(compiled.image, output);
    else imagekit::WriteExecutable(compiled.image, runtime, output);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "amxc: error: %s\n", e.what());
    return 1;
  }
  return 0;
}
