// Helpers shared by the image tests: routines that image code calls, link targets that
// offer them next to the EntryTable, and writing an image to a scratch directory or file
// and loading it through the real loader (message boxes captured from stdout).
#pragma once
#include <cstdint>
#include <map>
#include <string>

#include "runtime/image/linker.h"
#include "runtime/image/loader.h"
#include "tools/imagekit/imagekit.h"

#define AMX_TEST_ROUTINE extern "C" __attribute__((cdecl, force_align_arg_pointer, noinline))

AMX_TEST_ROUTINE int32_t TestAdd(int32_t a, int32_t b);
AMX_TEST_ROUTINE int32_t TestTimesTen(int32_t a);
AMX_TEST_ROUTINE void TestMarkRan();
extern int gTestRan;

// The test routines by name ("TestAdd", ...; case ignored), then the real EntryTable.
class TestLinkTargets : public LinkTargets {
 public:
  void* FindEntry(const char* name) override;
  void* MissingEntry(const char* name) override;
  void* FindLibraryRoutine(const char* library, const char* routine, std::string& message) override;
  void Defer(const char* name, uint32_t head) override;
};

// A fresh directory under /tmp, removed by the destructor.
class ScratchDir {
 public:
  ScratchDir();
  ~ScratchDir();
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

struct LoadOutcome {
  bool loaded;
  std::string output;  // what the message box printed
};

// Writes image as .dat files into dir and loads it with the test link targets.
LoadOutcome LoadFromDatFiles(const imagekit::Image& image, const ScratchDir& dir,
                             bool callEntry = true, LinkTargets* targets = nullptr);
// Writes bytes as a file with the container at offset and loads it as an executable would.
LoadOutcome LoadFromFile(const imagekit::Bytes& file, uint32_t offset, const ScratchDir& dir,
                         bool callEntry = true);

// A 32-bit little-endian word of the loaded data1.
uint32_t LoadedDataWord(uint32_t offset);
// The expected message text of a refused image.
std::string Damaged(const std::string& detail);
