// Replay driver for the record fuzz targets: runs LLVMFuzzerTestOneInput on every file of
// the directories and files named on the command line (the seed corpus under CTest). A
// crash or an abort from a target's checks fails the run.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "fuzz/records/fuzz.h"

namespace {

bool RunFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    std::fprintf(stderr, "%s: cannot be read\n", path.c_str());
    return false;
  }
  std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  LLVMFuzzerTestOneInput(bytes.data(), bytes.size());
  // Every prefix too: truncation is the damage readers meet most.
  for (size_t cut = 0; cut < bytes.size(); ++cut) {
    std::vector<uint8_t> prefix(bytes.begin(), bytes.begin() + static_cast<long>(cut));
    LLVMFuzzerTestOneInput(prefix.data(), prefix.size());
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  int files = 0;
  bool ok = true;
  for (int i = 1; i < argc; ++i) {
    std::filesystem::path arg(argv[i]);
    std::error_code ec;
    if (std::filesystem::is_directory(arg, ec)) {
      for (const auto& entry : std::filesystem::directory_iterator(arg)) {
        if (!entry.is_regular_file()) continue;
        ok = RunFile(entry.path()) && ok;
        ++files;
      }
    } else {
      ok = RunFile(arg) && ok;
      ++files;
    }
  }
  if (files == 0) {
    std::fprintf(stderr, "usage: %s corpus-directory-or-file...\n", argv[0]);
    return 2;
  }
  std::printf("%d inputs replayed\n", files);
  return ok ? 0 : 1;
}
