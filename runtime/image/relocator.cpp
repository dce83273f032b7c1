// data2 entries: skip test first (0x8xxx), then the three run kinds by entry & 0xFE00.
#include "runtime/image/relocator.h"

#include <cstring>

namespace {

void AddToWords(uint8_t* at, uint32_t words, uint32_t amount) {
  for (uint32_t i = 0; i < words; ++i, at += 4) {
    uint32_t value;
    memcpy(&value, at, 4);
    value += amount;
    memcpy(at, &value, 4);
  }
}

}  // namespace

bool ApplyRelocations(ImageBlock data1, ImageBlock data2, uintptr_t code1Address,
                      uintptr_t data1Address, std::string& message) {
  uint64_t cursor = 0;
  for (uint32_t i = 0; i + 1 < data2.size; i += 2) {
    uint16_t entry = uint16_t(data2.bytes[i] | data2.bytes[i + 1] << 8);
    if ((entry & 0xF000) == 0x8000) {
      cursor += (entry & 0x0FFFu) + 1;
      continue;
    }
    uint16_t kind = entry & 0xFE00;
    if (kind != 0x4000 && kind != 0x4200 && kind != 0x4600) continue;
    uint32_t words = (entry & 0x01FFu) + 1;
    if (cursor > data1.size || uint64_t(words) * 4 > data1.size - cursor) {
      message = DamagedImageMessage("data2 offset " + HexNumber(i) + ": the run of " +
                                    std::to_string(words) + " words at data1 offset " +
                                    HexNumber(cursor) + " passes the end of data1 (size " +
                                    HexNumber(data1.size) + ")");
      return false;
    }
    AddToWords(data1.bytes + cursor, words,
               uint32_t(kind == 0x4200 ? data1Address : code1Address));
    cursor += uint64_t(words) * 4;
  }
  return true;
}
