// DataBlock: the image's data1 block as the record readers see it, with every read checked
// against the block's end. Stored data pointers become block offsets here; a pointer that
// leads outside the block is damage, reported with the record's name and offset.
// The loader hands the relocated block over once (SetImageData); readers take any block.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

struct DataBlock {
  const uint8_t* bytes = nullptr;
  uint32_t size = 0;
  // What a stored data pointer holds for offset 0: the block's own address once data2 has
  // been applied, 0 in an image file that has not been relocated.
  uint32_t pointerBase = 0;

  static DataBlock Relocated(const void* bytes, uint32_t size);
  static DataBlock Unrelocated(const void* bytes, uint32_t size);

  // True when [offset, offset + length) lies inside the block (no overflow).
  bool Contains(uint32_t offset, uint32_t length) const {
    return offset <= size && length <= size - offset;
  }
  // The little-endian word at offset; false when it does not fit.
  bool ReadWord(uint32_t offset, uint32_t& out) const;
  // The offset a stored data pointer designates; false when it points outside the block.
  bool ResolvePointer(uint32_t pointer, uint32_t& offset) const;
  // The offset of an address handed over by compiled code; false when outside the block.
  bool OffsetOfAddress(const void* address, uint32_t& offset) const;
};

// "what at data1+0x1F0: problem": the one form of every reader's diagnostic.
std::string RecordMessage(std::string_view what, uint32_t offset, std::string_view problem);
// "0x1F0" for messages.
std::string Hex(uint32_t value);

// The relocated data1 block of the running image, for readers started from an address that
// compiled code passes (window descriptions). Empty until the loader sets it.
void SetImageData(const DataBlock& block);
const DataBlock& ImageData();
