// DataBlock checks and the process-wide image data block. Offsets and lengths are unsigned
// 32-bit and every range test is written so that it cannot wrap.
#include "runtime/records/datablock.h"

#include <cstdio>
#include <cstring>

namespace {
DataBlock gImageData;
}

DataBlock DataBlock::Relocated(const void* bytes, uint32_t size) {
  DataBlock block;
  block.bytes = static_cast<const uint8_t*>(bytes);
  block.size = size;
  block.pointerBase = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(bytes));
  return block;
}

DataBlock DataBlock::Unrelocated(const void* bytes, uint32_t size) {
  DataBlock block;
  block.bytes = static_cast<const uint8_t*>(bytes);
  block.size = size;
  return block;
}

bool DataBlock::ReadWord(uint32_t offset, uint32_t& out) const {
  if (!Contains(offset, 4)) return false;
  std::memcpy(&out, bytes + offset, 4);  // words need not be aligned
  return true;
}

bool DataBlock::ResolvePointer(uint32_t pointer, uint32_t& offset) const {
  uint32_t candidate = pointer - pointerBase;
  if (pointer < pointerBase || candidate >= size) return false;
  offset = candidate;
  return true;
}

bool DataBlock::OffsetOfAddress(const void* address, uint32_t& offset) const {
  auto at = reinterpret_cast<uintptr_t>(address);
  auto base = reinterpret_cast<uintptr_t>(bytes);
  if (bytes == nullptr || at < base || at - base >= size) return false;
  offset = static_cast<uint32_t>(at - base);
  return true;
}

std::string Hex(uint32_t value) {
  char text[16];
  std::snprintf(text, sizeof(text), "0x%X", value);
  return text;
}

std::string RecordMessage(std::string_view what, uint32_t offset, std::string_view problem) {
  std::string message(what);
  message += " at data1+";
  message += Hex(offset);
  message += ": ";
  message += problem;
  return message;
}

void SetImageData(const DataBlock& block) { gImageData = block; }
const DataBlock& ImageData() { return gImageData; }
