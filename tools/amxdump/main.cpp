// amxdump [--disassemble | --summary] FILE-or-DIR: prints an application image carried by a standalone
// executable, or a directory of the four development .dat files.
#include <sys/stat.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "tools/amxdump/dump.h"

namespace {

int Usage() {
  fprintf(stderr, "usage: amxdump [--disassemble | --summary] FILE-or-DIR\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  DumpOptions options;
  std::string path;
  for (int i = 1; i < argc; ++i) {
    if (strcmp(argv[i], "--disassemble") == 0 || strcmp(argv[i], "-d") == 0) options.disassemble = true;
    else if (strcmp(argv[i], "--summary") == 0 || strcmp(argv[i], "-s") == 0) options.summary = true;
    else if (argv[i][0] == '-' || !path.empty()) return Usage();
    else path = argv[i];
  }
  if (path.empty()) return Usage();
  struct stat info;
  if (stat(path.c_str(), &info) != 0) {
    fprintf(stderr, "amxdump: %s: no such file or directory\n", path.c_str());
    return 1;
  }
  try {
    bool directory = S_ISDIR(info.st_mode);
    imagekit::Image image = directory ? imagekit::ReadImageDirectory(path) : imagekit::ReadImageFile(path);
    std::string origin = directory ? path + " (development files)" : path + " (standalone executable)";
    if (options.summary) return PrintSummary(image, stdout) ? 0 : 1;
    return DumpImage(image, origin, options, stdout) ? 0 : 1;
  } catch (const imagekit::ImageError& e) {
    fflush(stdout);
    fprintf(stderr, "amxdump: %s: %s\n", path.c_str(), e.what());
    return 1;
  }
}
