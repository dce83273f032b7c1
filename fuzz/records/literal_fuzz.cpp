// Fuzz target: a string literal record checked at every word offset of the input.
#include <string>

#include "fuzz/records/fuzz.h"
#include "runtime/records/literal.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  DataBlock block = DataBlock::Unrelocated(data, static_cast<uint32_t>(size));
  for (uint32_t at = 0; at < block.size; at += 4) {
    LiteralView view;
    std::string error;
    if (ReadStringLiteral(block, at, view, error)) {
      records_fuzz::CheckInside(data, size, view.text);
      // The terminating zero lies inside the block too.
      if (reinterpret_cast<const uint8_t*>(view.text.data()) + view.text.size() >= data + size)
        std::abort();
    }
  }
  return 0;
}
