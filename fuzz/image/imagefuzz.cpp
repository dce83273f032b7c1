// Fuzz target: arbitrary bytes as an executable file whose image starts at offset 0. They go
// through the runtime's container reader, linker and relocator (against link targets that
// hand out a dummy routine; nothing is executed), and through the image kit's readers that
// amxdump uses. Entry point: LLVMFuzzerTestOneInput (libFuzzer, or the replay driver).
#include <cstddef>
#include <cstdint>
#include <string>

#include "runtime/image/container.h"
#include "runtime/image/linker.h"
#include "runtime/image/relocator.h"
#include "tools/imagekit/imagekit.h"

namespace {

uint8_t gDummyRoutine[16];

class FuzzTargets : public LinkTargets {
 public:
  void* FindEntry(const char* name) override {
    return name[0] >= 'A' && name[0] <= 'Z' ? gDummyRoutine : nullptr;
  }
  void* MissingEntry(const char*) override { return gDummyRoutine + 8; }
  void* FindLibraryRoutine(const char* library, const char*, std::string& message) override {
    if (library[0] == 'a') return gDummyRoutine + 4;
    message = "no library";
    return nullptr;
  }
  void Defer(const char*, uint32_t) override {}
};

void RuntimePath(const uint8_t* data, size_t size) {
  ImageBlocks blocks{};
  std::string message;
  if (!ReadContainerBytes(data, size, 0, blocks, message)) return;
  FuzzTargets targets;
  uintptr_t code1 = reinterpret_cast<uintptr_t>(blocks.code1.bytes);
  uintptr_t data1 = reinterpret_cast<uintptr_t>(blocks.data1.bytes);
  if (LinkCode(blocks.code1, blocks.code2, data1, targets, message))
    ApplyRelocations(blocks.data1, blocks.data2, code1, data1, message);
  DiscardBlocks(blocks);
}

void KitPath(const uint8_t* data, size_t size) {
  try {
    imagekit::Image image = imagekit::DecodeContainer(imagekit::Bytes(data, data + size), 0);
    imagekit::DecodeRelocations(image);
    imagekit::DecodeData(image);
    imagekit::DecodeLinkRecords(image);
  } catch (const imagekit::ImageError&) {
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  RuntimePath(data, size);
  KitPath(data, size);
  return 0;
}
