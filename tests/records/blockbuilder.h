// Building small data1 blocks and description streams by hand for the record reader tests
// and the fuzz seeds. Pointers are stored unrelocated (as data1 offsets) unless a test
// relocates the finished block itself.
#pragma once
#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <string_view>
#include <vector>

#include "runtime/records/datablock.h"

namespace records_test {

// Stream bytes: compact integers, texts and raw bytes, appended in order.
class StreamBuilder {
 public:
  // The shortest compact-integer form: sign in bit 6 of the first byte, 6 bits there, then
  // 7 bits a byte.
  StreamBuilder& Int(int64_t value) {
    bool negative = value < 0;
    uint32_t magnitude = static_cast<uint32_t>(negative ? -value : value);
    uint8_t first = static_cast<uint8_t>((magnitude & 0x3F) | (negative ? 0x40 : 0));
    magnitude >>= 6;
    if (magnitude != 0) first |= 0x80;
    bytes.push_back(first);
    while (magnitude != 0) {
      uint8_t next = magnitude & 0x7F;
      magnitude >>= 7;
      if (magnitude != 0) next |= 0x80;
      bytes.push_back(next);
    }
    return *this;
  }
  StreamBuilder& Text(std::string_view text) {
    Int(static_cast<int64_t>(text.size()));
    bytes.insert(bytes.end(), text.begin(), text.end());
    return *this;
  }
  StreamBuilder& Raw(std::initializer_list<uint8_t> raw) {
    bytes.insert(bytes.end(), raw.begin(), raw.end());
    return *this;
  }
  StreamBuilder& BigEndian(uint32_t word) {
    return Raw({static_cast<uint8_t>(word >> 24), static_cast<uint8_t>(word >> 16),
                static_cast<uint8_t>(word >> 8), static_cast<uint8_t>(word)});
  }
  std::vector<uint8_t> bytes;
};

// A data1 block: words, literals and byte runs appended at increasing offsets.
class BlockBuilder {
 public:
  uint32_t Size() const { return static_cast<uint32_t>(bytes.size()); }
  uint32_t Word(uint32_t value) {
    uint32_t at = Size();
    bytes.resize(bytes.size() + 4);
    std::memcpy(bytes.data() + at, &value, 4);
    return at;
  }
  void Patch(uint32_t at, uint32_t value) { std::memcpy(bytes.data() + at, &value, 4); }
  uint32_t Bytes(const std::vector<uint8_t>& raw) {
    uint32_t at = Size();
    bytes.insert(bytes.end(), raw.begin(), raw.end());
    return at;
  }
  void Align() {
    while (bytes.size() % 4 != 0) bytes.push_back(0);
  }
  // Length byte, text, 1..4 zero bytes to the next word boundary, then {1, buffer, n, n}.
  // Returns the offset of the reference-count word.
  uint32_t Literal(std::string_view text) {
    uint32_t buffer = Size();
    bytes.push_back(static_cast<uint8_t>(text.size()));
    bytes.insert(bytes.end(), text.begin(), text.end());
    bytes.push_back(0);
    Align();
    uint32_t record = Word(1);
    Word(buffer);
    Word(static_cast<uint32_t>(text.size()));
    Word(static_cast<uint32_t>(text.size()));
    return record;
  }
  // {u32 length, stream}: a window description record or the tail of a project item.
  // Window slot pairs follow their record at once, so those callers pass align = false.
  uint32_t Counted(const std::vector<uint8_t>& stream, bool align = true) {
    uint32_t at = Word(static_cast<uint32_t>(stream.size()));
    Bytes(stream);
    if (align) Align();
    return at;
  }
  DataBlock Block() const { return DataBlock::Unrelocated(bytes.data(), Size()); }

  std::vector<uint8_t> bytes;
};

}  // namespace records_test
