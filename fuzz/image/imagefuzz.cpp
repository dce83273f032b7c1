// Fuzz target: arbitrary bytes as an executable file whose image starts at offset 0. They go
// through the runtime's container reader, linker and relocator (against link targets that
// hand out a dummy routine; nothing is executed), and through the image kit's readers that
// amxdump uses. Entry point: LLVMFuzzerTestOneInput (libFuzzer, or the replay driver).
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz/image/blockpair.h"
#include "runtime/image/container.h"
#include "runtime/image/linker.h"
#include "runtime/image/relocator.h"
#include "tools/imagekit/imagekit.h"

namespace {

void RuntimePath(const uint8_t* data, size_t size) {
  ImageBlocks blocks{};
  std::string message;
  if (!ReadContainerBytes(data, size, 0, blocks, message)) return;
  image_fuzz::FuzzTargets targets;
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
