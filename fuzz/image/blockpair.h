// Shared by the linker and relocator fuzz targets: an input read as two blocks (a
// little-endian word giving the first block's size, clamped to what follows, then the two
// blocks), each copied into a heap buffer of exactly its size so that any access past
// either end is caught; and link targets that hand out dummy routines.
#pragma once
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "runtime/image/blocks.h"
#include "runtime/image/linker.h"

namespace image_fuzz {

struct BlockPair {
  std::vector<uint8_t> first;
  std::vector<uint8_t> second;
  ImageBlock First() { return {first.data(), uint32_t(first.size())}; }
  ImageBlock Second() { return {second.data(), uint32_t(second.size())}; }
};

inline BlockPair SplitInput(const uint8_t* data, size_t size) {
  uint32_t n = 0;
  if (size >= 4) std::memcpy(&n, data, 4);
  size_t rest = size >= 4 ? size - 4 : 0;
  if (n > rest) n = uint32_t(rest);
  const uint8_t* body = data + (size - rest);
  return {std::vector<uint8_t>(body, body + n), std::vector<uint8_t>(body + n, body + rest)};
}

inline uint8_t gDummyRoutine[16];

// Capitals name entries, "!Xa..." libraries that exist; the rest is missing or deferred.
class FuzzTargets : public LinkTargets {
 public:
  void* FindEntry(const char* name) override {
    return name[0] >= 'A' && name[0] <= 'Z' ? gDummyRoutine : nullptr;
  }
  void* MissingEntry(const char*) override { return gDummyRoutine + 8; }
  void* FindLibraryRoutine(const char* library, const char*, std::string& message) override {
    if (library[0] == 'a') return gDummyRoutine + 4;
    message = "no library";
    return nullptr;
  }
  void Defer(const char*, uint32_t) override {}
};

}  // namespace image_fuzz
