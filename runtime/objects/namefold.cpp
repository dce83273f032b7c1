// The static name fold table and the name comparison built on it (CompareNameBytes). The
// table is built at compile time so that it is ready before any static constructor runs.
#include "runtime/objects/namefold.h"

#include <array>

namespace {

struct FoldPair {
  uint8_t from;
  uint8_t to;
};

// Accented lower-case letters of the upper half and their capitals.
constexpr FoldPair kUpperHalfPairs[] = {
    {0x87, 0xE7}, {0x88, 0xCB}, {0x89, 0xE5}, {0x8A, 0x80}, {0x8B, 0xCC}, {0x8C, 0x81},
    {0x8D, 0x82}, {0x8E, 0x83}, {0x8F, 0xE9}, {0x90, 0xE6}, {0x91, 0xE8}, {0x92, 0xEA},
    {0x93, 0xED}, {0x94, 0xEB}, {0x95, 0xEC}, {0x96, 0x84}, {0x97, 0xEE}, {0x98, 0xF1},
    {0x99, 0xEF}, {0x9A, 0x85}, {0x9B, 0xCD}, {0x9C, 0xF2}, {0x9D, 0xF4}, {0x9E, 0xF3},
    {0x9F, 0x86}, {0xBE, 0xAE}, {0xBF, 0xAF}, {0xCF, 0xCE}, {0xD8, 0xD9}, {0xF5, 0x49},
};

constexpr std::array<uint8_t, 256> BuildFoldTable() {
  std::array<uint8_t, 256> table{};
  for (int i = 0; i < 256; ++i) table[i] = static_cast<uint8_t>(i);
  for (int c = 'a'; c <= 'z'; ++c) table[c] = static_cast<uint8_t>(c - 'a' + 'A');
  for (const FoldPair& pair : kUpperHalfPairs) table[pair.from] = pair.to;
  return table;
}

constexpr std::array<uint8_t, 256> kTable = BuildFoldTable();

}  // namespace

constexpr uint8_t kNameFoldTable[256] = {
#define AMX_ROW(i) kTable[i], kTable[i + 1], kTable[i + 2], kTable[i + 3]
    AMX_ROW(0),   AMX_ROW(4),   AMX_ROW(8),   AMX_ROW(12),  AMX_ROW(16),  AMX_ROW(20),
    AMX_ROW(24),  AMX_ROW(28),  AMX_ROW(32),  AMX_ROW(36),  AMX_ROW(40),  AMX_ROW(44),
    AMX_ROW(48),  AMX_ROW(52),  AMX_ROW(56),  AMX_ROW(60),  AMX_ROW(64),  AMX_ROW(68),
    AMX_ROW(72),  AMX_ROW(76),  AMX_ROW(80),  AMX_ROW(84),  AMX_ROW(88),  AMX_ROW(92),
    AMX_ROW(96),  AMX_ROW(100), AMX_ROW(104), AMX_ROW(108), AMX_ROW(112), AMX_ROW(116),
    AMX_ROW(120), AMX_ROW(124), AMX_ROW(128), AMX_ROW(132), AMX_ROW(136), AMX_ROW(140),
    AMX_ROW(144), AMX_ROW(148), AMX_ROW(152), AMX_ROW(156), AMX_ROW(160), AMX_ROW(164),
    AMX_ROW(168), AMX_ROW(172), AMX_ROW(176), AMX_ROW(180), AMX_ROW(184), AMX_ROW(188),
    AMX_ROW(192), AMX_ROW(196), AMX_ROW(200), AMX_ROW(204), AMX_ROW(208), AMX_ROW(212),
    AMX_ROW(216), AMX_ROW(220), AMX_ROW(224), AMX_ROW(228), AMX_ROW(232), AMX_ROW(236),
    AMX_ROW(240), AMX_ROW(244), AMX_ROW(248), AMX_ROW(252),
#undef AMX_ROW
};

int32_t CompareNameBytes(const void* a, int32_t aLength, const void* b, int32_t bLength) {
  const auto* left = static_cast<const uint8_t*>(a);
  const auto* right = static_cast<const uint8_t*>(b);
  int32_t common = aLength < bLength ? aLength : bLength;
  for (int32_t i = 0; i < common; ++i) {
    uint8_t x = kNameFoldTable[left[i]];
    uint8_t y = kNameFoldTable[right[i]];
    if (x != y) return x < y ? -1 : 1;
  }
  if (aLength == bLength) return 0;
  return aLength < bLength ? -1 : 1;
}
