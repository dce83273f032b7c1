// Fuzz target: a menu bar project item at offset 0, every entry read.
#include "fuzz/records/fuzz.h"
#include "runtime/records/menubar.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  DataBlock block = DataBlock::Unrelocated(data, static_cast<uint32_t>(size));
  MenuBarReader reader(block, 0, 200);
  MenuBarEntry e;
  while (reader.Next(e)) {
    if (e.depth < 0 || e.depth > kMenuMaxDepth) std::abort();
    records_fuzz::CheckInside(data, size, e.text);
    records_fuzz::CheckInside(data, size, e.disabledBalloonHelp);
  }
  return 0;
}
