// Fuzz target: a window description record at offset 0, read piece by piece as window
// creation does, then its slot pair.
#include <string>

#include "fuzz/records/fuzz.h"
#include "runtime/records/window.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  DataBlock block = DataBlock::Unrelocated(data, static_cast<uint32_t>(size));
  WindowDescriptionReader reader(block, 0, 200);
  int32_t count = 0, cls = 0, controls = 0, bindings = 0;
  WindowProperty p;
  ControlHeader c;
  WindowBinding b;
  if (reader.ReadWindow(count, cls)) {
    while (reader.NextProperty(p)) {
      records_fuzz::CheckInside(data, size, p.name);
      records_fuzz::CheckInside(data, size, p.value);
    }
    if (reader.ReadControlCount(controls)) {
      // Every other control's properties are left for the reader to pass over.
      while (reader.NextControl(c))
        if (c.number % 2 == 0)
          while (reader.NextProperty(p)) records_fuzz::CheckInside(data, size, p.value);
      if (reader.ReadBindingCount(bindings))
        while (reader.NextBinding(b)) records_fuzz::CheckInside(data, size, b.text2);
    }
  }
  if (!reader.Failed() && reader.EndOffset() > size) std::abort();
  WindowSlot slot;
  std::string error;
  if (ReadWindowSlot(block, 0, slot, error) && !block.Contains(slot.instanceOffset, 4))
    std::abort();
  return 0;
}
