// Fuzz target: the relocator alone, data1 and data2 taken from the input (see blockpair.h).
// Runs that pass the end of data1 must be refused with a message, never applied.
// Entry point: LLVMFuzzerTestOneInput.
#include <cstdlib>

#include "fuzz/image/blockpair.h"
#include "runtime/image/relocator.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  image_fuzz::BlockPair blocks = image_fuzz::SplitInput(data, size);
  std::string message;
  bool applied = ApplyRelocations(blocks.First(), blocks.Second(), 0x00400000, 0x10000000, message);
  if (applied != message.empty()) std::abort();
  return 0;
}
