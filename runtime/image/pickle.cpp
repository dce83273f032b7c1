// The ".pickle" section. The array is volatile so that the compiler never folds the
// bare-runtime value into the code (a const array is), and kept with used+retain so that
// --gc-sections cannot drop a section nothing seems to reference.
#include "runtime/image/pickle.h"

#include <cstring>

namespace {

__attribute__((section(".pickle"), used, retain, aligned(4))) volatile uint8_t gPickle[8] = {
    'P', 'I', 'C', 'K', 0xFF, 0xFF, 0xFF, 0xFF};

uint32_t LittleEndianWord(const uint8_t* bytes) {
  return uint32_t(bytes[0]) | uint32_t(bytes[1]) << 8 | uint32_t(bytes[2]) << 16 |
         uint32_t(bytes[3]) << 24;
}

}  // namespace

LocatingResource DecodeLocatingResource(const uint8_t bytes[8]) {
  if (memcmp(bytes, "PICK", 4) == 0) return LocatingResource{0, kNoResourceTable};
  return LocatingResource{LittleEndianWord(bytes), LittleEndianWord(bytes + 4)};
}

LocatingResource ReadLocatingResource() {
  uint8_t copy[8];
  for (int i = 0; i < 8; ++i) copy[i] = gPickle[i];
  return DecodeLocatingResource(copy);
}
