// Test routines, link targets and scratch files for the image tests.
#include "tests/image/imagetestsupport.h"

#include <gtest/gtest.h>
#include <strings.h>
#include <unistd.h>

#include <cstdlib>

#include <cstring>
#include <filesystem>
#include <fstream>

#include "runtime/entries/entrytable.h"
#include "runtime/image/deferredlinks.h"
#include "runtime/image/libraries.h"
#include "runtime/image/missingentry.h"

int gTestRan = 0;

namespace {
// Message boxes go to the headless backend, which prints them on stdout.
const bool gHeadless = setenv("ARMONIX_NATIVE", "headless", 0) == 0;
}  // namespace

AMX_TEST_ROUTINE int32_t TestAdd(int32_t a, int32_t b) { return a + b; }
AMX_TEST_ROUTINE int32_t TestTimesTen(int32_t a) { return a * 10; }
AMX_TEST_ROUTINE void TestMarkRan() { ++gTestRan; }

void* TestLinkTargets::FindEntry(const char* name) {
  static const std::pair<const char*, void*> kRoutines[] = {
      {"TestAdd", reinterpret_cast<void*>(&TestAdd)},
      {"TestTimesTen", reinterpret_cast<void*>(&TestTimesTen)},
      {"TestMarkRan", reinterpret_cast<void*>(&TestMarkRan)},
  };
  for (const auto& [routineName, routine] : kRoutines)
    if (strcasecmp(routineName, name) == 0) return routine;
  return FindEntryAtLink(name);
}

void* TestLinkTargets::MissingEntry(const char* name) { return MissingEntryStub(name); }

void* TestLinkTargets::FindLibraryRoutine(const char* library, const char* routine,
                                          std::string& message) {
  return ::FindLibraryRoutine(library, routine, message);
}

void TestLinkTargets::Defer(const char* name, uint32_t head) { PushDeferredLink(name, head); }

ScratchDir::ScratchDir() {
  char pattern[] = "/tmp/amx-image-XXXXXX";
  path_ = mkdtemp(pattern);
}

ScratchDir::~ScratchDir() { std::filesystem::remove_all(path_); }

namespace {

LoadOutcome Load(const ImageLoadRequest& request) {
  testing::internal::CaptureStdout();
  bool loaded = LoadAndRunImage(request);
  return LoadOutcome{loaded, testing::internal::GetCapturedStdout()};
}

}  // namespace

LoadOutcome LoadFromDatFiles(const imagekit::Image& image, const ScratchDir& dir, bool callEntry,
                             LinkTargets* targets) {
  imagekit::WriteDatFiles(image, dir.path());
  static TestLinkTargets testTargets;
  ImageLoadRequest request;
  request.developmentDir = dir.path();
  request.targets = targets ? targets : &testTargets;
  request.callEntry = callEntry;
  return Load(request);
}

LoadOutcome LoadFromFile(const imagekit::Bytes& file, uint32_t offset, const ScratchDir& dir,
                         bool callEntry) {
  std::string path = dir.path() + "/app";
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(file.data()), std::streamsize(file.size()));
  static TestLinkTargets testTargets;
  ImageLoadRequest request;
  request.executable = path;
  request.resource = LocatingResource{offset, kNoResourceTable};
  request.targets = &testTargets;
  request.callEntry = callEntry;
  return Load(request);
}

uint32_t LoadedDataWord(uint32_t offset) {
  uint32_t value;
  memcpy(&value, LoadedData1().bytes + offset, 4);
  return value;
}

std::string Damaged(const std::string& detail) {
  return "The application could not be loaded because its image is damaged: " + detail;
}
