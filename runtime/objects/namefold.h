// The name fold table: how the runtime compares the names of classes, events, properties,
// menu items and entry points. Identity except a-z to A-Z and fixed pairs of the upper half
// (accented lower-case letters to their capitals). Entry points: NameFold, CompareNameBytes.
#pragma once
#include <cstdint>

extern const uint8_t kNameFoldTable[256];

inline uint8_t NameFold(uint8_t byte) { return kNameFoldTable[byte]; }

// Byte by byte through the fold table; the first difference decides (by folded byte value,
// unsigned), else the shorter name is less. Returns -1, 0 or 1. A nil pointer with length 0
// is the empty name.
int32_t CompareNameBytes(const void* a, int32_t aLength, const void* b, int32_t bLength);
inline bool NameBytesEqual(const void* a, int32_t aLength, const void* b, int32_t bLength) {
  return aLength == bLength && CompareNameBytes(a, aLength, b, bLength) == 0;
}
