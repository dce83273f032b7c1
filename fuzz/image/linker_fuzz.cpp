// Fuzz target: the linker alone, code1 and code2 taken from the input (see blockpair.h), so
// that every mutation reaches the link records instead of the container's checks. Every
// write must land inside code1 (ASan stops the run otherwise), and a refusal must say why.
// Entry point: LLVMFuzzerTestOneInput.
#include <cstdlib>

#include "fuzz/image/blockpair.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  image_fuzz::BlockPair blocks = image_fuzz::SplitInput(data, size);
  image_fuzz::FuzzTargets targets;
  std::string message;
  if (!LinkCode(blocks.First(), blocks.Second(), 0x10000000, targets, message) && message.empty())
    std::abort();
  return 0;
}
