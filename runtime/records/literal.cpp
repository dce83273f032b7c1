// Checking string literal records in data1.
#include "runtime/records/literal.h"

#include <cstring>

#include "runtime/objects/string.h"

namespace {

struct LiteralWords {
  uint32_t refCount, buffer, capacity, length;
};
static_assert(sizeof(LiteralWords) == sizeof(StringRecord));

}  // namespace

bool ReadStringLiteral(const DataBlock& block, uint32_t recordOffset, LiteralView& out,
                       std::string& error) {
  const char* what = "string literal";
  if (!block.Contains(recordOffset, sizeof(LiteralWords))) {
    error = RecordMessage(what, recordOffset, "the record runs past the end of data1");
    return false;
  }
  LiteralWords words;
  std::memcpy(&words, block.bytes + recordOffset, sizeof(words));
  uint32_t textOffset = 0;
  if (!block.ResolvePointer(words.buffer, textOffset)) {
    error = RecordMessage(what, recordOffset,
                          "its buffer pointer " + Hex(words.buffer) + " is outside data1");
    return false;
  }
  if (words.length > 255) {
    error = RecordMessage(what, recordOffset,
                          "length " + std::to_string(words.length) + " is above 255");
    return false;
  }
  // length byte, text, terminating zero
  if (!block.Contains(textOffset, words.length + 2)) {
    error = RecordMessage(what, recordOffset, "its text runs past the end of data1");
    return false;
  }
  if (block.bytes[textOffset] != words.length) {
    error = RecordMessage(what, recordOffset,
                          "length byte " + std::to_string(block.bytes[textOffset]) +
                              " differs from length " + std::to_string(words.length));
    return false;
  }
  if (block.bytes[textOffset + 1 + words.length] != 0) {
    error = RecordMessage(what, recordOffset, "its text is not followed by a zero byte");
    return false;
  }
  out.offset = recordOffset;
  out.record = reinterpret_cast<const StringRecord*>(block.bytes + recordOffset);
  out.text = std::string_view(reinterpret_cast<const char*>(block.bytes + textOffset + 1),
                              words.length);
  return true;
}

bool ReadLiteralPointer(const DataBlock& block, uint32_t pointer, bool mayBeAbsent,
                        std::string_view what, uint32_t at, LiteralView& out,
                        std::string& error) {
  if (pointer == 0) {
    out = LiteralView();
    if (mayBeAbsent) return true;
    error = RecordMessage(what, at, "the string pointer is 0");
    return false;
  }
  uint32_t offset = 0;
  if (!block.ResolvePointer(pointer, offset)) {
    error = RecordMessage(what, at, "the string pointer " + Hex(pointer) + " is outside data1");
    return false;
  }
  std::string inner;
  if (!ReadStringLiteral(block, offset, out, inner)) {
    error = RecordMessage(what, at, "bad string: " + inner);
    return false;
  }
  return true;
}
