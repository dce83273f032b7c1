// StringRecord: the language's shared, reference-counted byte string (Windows-1252 bytes).
// Nil is the empty string. The buffer holds the length clamped to 255, the bytes, then a 0,
// so it is both a length-prefixed and a zero-terminated text. Image literals have this form.
#pragma once
#include <cstddef>
#include <cstdint>

struct StringRecord {
  int32_t refCount;
  uint8_t* buffer;   // [min(length,255)] [length bytes] [0]
  int32_t capacity;  // bytes allocated for buffer; length + 2 for strings made at run time
  int32_t length;
};
static_assert(sizeof(StringRecord) == 16);
static_assert(offsetof(StringRecord, refCount) == 0);
static_assert(offsetof(StringRecord, buffer) == 4);
static_assert(offsetof(StringRecord, capacity) == 8);
static_assert(offsetof(StringRecord, length) == 12);
