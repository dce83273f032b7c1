// String literal records of data1: the text (length byte, bytes, zero padding to a word
// boundary) followed by a static StringRecord {1, buffer pointer, n, n}. Code and class
// descriptors refer to a literal by the offset of its reference-count word.
// Entry point: ReadStringLiteral (checks a record), ReadLiteralPointer (follows a pointer).
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

#include "runtime/records/datablock.h"

struct StringRecord;

struct LiteralView {
  uint32_t offset = 0;                  // of the reference-count word; 0 when absent
  const StringRecord* record = nullptr;  // in place; usable as a string once relocated
  std::string_view text;                // points into the block
  bool present() const { return record != nullptr; }
};

// Checks the literal whose record starts at recordOffset: the record fits, its buffer
// pointer leads to a length byte equal to its length (at most 255), the text and its
// terminating zero fit in the block.
bool ReadStringLiteral(const DataBlock& block, uint32_t recordOffset, LiteralView& out,
                       std::string& error);

// A stored pointer to a literal; a pointer word of 0 gives an absent literal when
// mayBeAbsent, and is damage otherwise. what names the pointer for messages ("name of
// class descriptor 4"); at is the offset of the pointer word.
bool ReadLiteralPointer(const DataBlock& block, uint32_t pointer, bool mayBeAbsent,
                        std::string_view what, uint32_t at, LiteralView& out,
                        std::string& error);
