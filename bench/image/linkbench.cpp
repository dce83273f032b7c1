// Link and relocation speed on a synthetic image of the carried application's shape: code1
// of 0x75B7A bytes with 43 call links threading 18,612 call sites and 3,950 data fix-ups;
// data1 of 0x31588 bytes with 1,417 relocation entries (591 skips, 597 data runs, 228 code
// runs of kind 0x4600, one of kind 0x4000) covering 996 words. Names resolve against a
// table of 1197 slots like the EntryTable. Compared with reading the file alone.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "runtime/entries/entrytable.h"
#include "runtime/image/container.h"
#include "runtime/image/linker.h"
#include "runtime/image/relocator.h"
#include "tools/imagekit/imagekit.h"

namespace {

using imagekit::Bytes;

constexpr uint32_t kCode1Size = 0x75B7A;
constexpr uint32_t kData1Size = 0x31588;
constexpr int kCallLinks = 43;
constexpr int kCallSites = 18612;
constexpr int kDataFixups = 3950;
constexpr int kTableSlots = 1197;

std::vector<std::string> gSlotNames;
std::vector<EntrySlot> gSlots;
uint8_t gRoutine[16];

class TableTargets : public LinkTargets {
 public:
  void* FindEntry(const char* name) override {
    int32_t slot = FindEntrySlotIn(gSlots.data(), gSlots.size(), name);
    return slot < 0 ? nullptr : gSlots[size_t(slot)].routine;
  }
  void* MissingEntry(const char*) override { return gRoutine; }
  void* FindLibraryRoutine(const char*, const char*, std::string&) override { return nullptr; }
  void Defer(const char*, uint32_t) override {}
};

imagekit::Image SyntheticImage() {
  // Names spread over the alphabet like the real table's families.
  for (int i = 0; i < kTableSlots; ++i)
    gSlotNames.push_back(std::string(1, char('a' + i % 26)) + "EntryNumber" + std::to_string(i));
  for (const std::string& name : gSlotNames) gSlots.push_back({name.c_str(), gRoutine, 0, 0});
  imagekit::ImageBuilder b;
  b.EmitCode({0x90});  // nop: no site at offset 0
  for (int i = 0; i < kDataFixups; ++i) {
    imagekit::DataLabel target = b.NewDataLabel();
    b.BindDataAt(target, uint32_t(i * 4 % kData1Size));
    b.EmitDataAddress({0xA3}, target);  // mov [target], eax
  }
  for (int i = 0; i < kCallSites; ++i) {
    // Names from all over the table, so each lookup walks a realistic distance.
    b.EmitEntryCall(gSlotNames[size_t(i % kCallLinks) * 27 + 5]);  // call entry
    b.EmitCode({0xEB, 0x03, 0x90, 0xEB, 0x00});  // the call-site exception table
  }
  b.EmitCode(Bytes(kCode1Size - b.CodeSize(), 0x90));
  imagekit::Image image = b.Finish();
  image.data1.assign(kData1Size, 0);
  image.data2.clear();
  // 826 runs (1 + 228 code, 597 data holding 767 words), 591 of them after a skip.
  std::vector<std::pair<uint16_t, int>> runs = {{0x4000, 1}};
  for (int i = 0; i < 228; ++i) runs.push_back({0x4600, 1});
  for (int i = 0; i < 597; ++i) runs.push_back({0x4200, i < 170 ? 2 : 1});
  // The gaps between runs share data1's remaining bytes; the cursor ends at its end.
  const uint32_t gapBytes = kData1Size - 996 * 4, skips = 591;
  for (size_t i = 0; i < runs.size(); ++i) {
    size_t skipIndex = i + skips - runs.size();  // the last 591 runs follow a skip
    if (i + skips >= runs.size()) {
      uint32_t step = gapBytes / skips + (skipIndex == skips - 1 ? gapBytes % skips : 0);
      uint16_t e = uint16_t(0x8000 | (step - 1));
      image.data2.push_back(uint8_t(e));
      image.data2.push_back(uint8_t(e >> 8));
    }
    uint16_t e = uint16_t(runs[i].first | (runs[i].second - 1));
    image.data2.push_back(uint8_t(e));
    image.data2.push_back(uint8_t(e >> 8));
  }
  return image;
}

struct Fixture {
  imagekit::Image image = SyntheticImage();
  std::string path = "/tmp/amx-linkbench-" + std::to_string(getpid()) + ".img";
  std::string shapeError;
  Fixture() {
    imagekit::RelocationMap map = imagekit::DecodeRelocations(image);
    size_t sites = 0, links = 0, fixups = 0;
    for (const imagekit::LinkRecord& r : imagekit::DecodeLinkRecords(image)) {
      links += r.type == 0x01;
      fixups += r.type == 0x02;
      sites += r.sites.size();
    }
    if (map.entries.size() != 1417 || map.skips != 591 || map.dataRuns != 597 ||
        map.codeRuns4600 != 228 || map.codeRuns4000 != 1 || map.words.size() != 996 ||
        map.endCursor != kData1Size || image.code1.size() != kCode1Size || links != kCallLinks ||
        sites != kCallSites || fixups != kDataFixups)
      shapeError = "the synthetic image does not have the carried application's shape";
    Bytes c = imagekit::EncodeContainer(image);
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(c.data()), std::streamsize(c.size()));
  }
  ~Fixture() { unlink(path.c_str()); }
};

Fixture& TheImage() {
  static Fixture fixture;
  return fixture;
}

void BM_ReadFileOnly(benchmark::State& state) {
  Fixture& f = TheImage();
  for (auto _ : state) {
    ImageBlocks blocks{};
    std::string message;
    if (!ReadContainerFile(f.path.c_str(), 0, blocks, message)) state.SkipWithError(message.c_str());
    DiscardBlocks(blocks);
  }
}
BENCHMARK(BM_ReadFileOnly)->Unit(benchmark::kMicrosecond);

void BM_LinkAndRelocate(benchmark::State& state) {
  Fixture& f = TheImage();
  ImageBlocks blocks{};
  std::string message;
  if (!ReadContainerFile(f.path.c_str(), 0, blocks, message)) {
    state.SkipWithError(message.c_str());
    return;
  }
  if (!f.shapeError.empty()) state.SkipWithError(f.shapeError.c_str());
  TableTargets targets;
  uintptr_t code1 = reinterpret_cast<uintptr_t>(blocks.code1.bytes);
  uintptr_t data1 = reinterpret_cast<uintptr_t>(blocks.data1.bytes);
  for (auto _ : state) {
    state.PauseTiming();  // pristine chains and words for every round
    memcpy(blocks.code1.bytes, f.image.code1.data(), f.image.code1.size());
    memcpy(blocks.data1.bytes, f.image.data1.data(), f.image.data1.size());
    state.ResumeTiming();
    bool ok = LinkCode(blocks.code1, blocks.code2, data1, targets, message) &&
              ApplyRelocations(blocks.data1, blocks.data2, code1, data1, message);
    if (!ok) state.SkipWithError(message.c_str());
  }
  DiscardBlocks(blocks);
}
BENCHMARK(BM_LinkAndRelocate)->Unit(benchmark::kMicrosecond)->Repetitions(5)->ReportAggregatesOnly(true);

}  // namespace

BENCHMARK_MAIN();
