// The language's string functions that cut, measure and re-case text: StringLeft,
// StringRight, StringMid2, StringMid3, StringLen, StringAsc, StringChr, StringLCase,
// StringUCase, StringTitleCase and the trims runLTrim, runRTrim, runTrim. A result equal to
// the argument is the argument with one more reference.
#include <cstring>

#include "runtime/entries/entries.h"
#include "runtime/objects/stringinternal.h"
#include "runtime/objects/strings.h"

namespace {

using string_internal::CharacterSize;
using string_internal::CharTables;
using string_internal::Slice;
using string_internal::Tables;

// A copy of s with every character passed through `map`; two-byte characters are kept.
StringRecord* MapCase(const StringRecord* s, const uint8_t* map) {
  int32_t length = StringLength(s);
  StringRecord* copy = MakeString(StringBytes(s), length);
  if (copy == nullptr) return nullptr;
  const CharTables& t = Tables();
  uint8_t* bytes = copy->buffer + 1;
  for (int32_t i = 0; i < length;) {
    int32_t size = CharacterSize(t, bytes, i, length);
    if (size == 1) bytes[i] = map[bytes[i]];
    i += size;
  }
  return copy;
}

StringRecord* Trim(StringRecord* s, bool left, bool right) {
  const bool* blank = Tables().blank;
  const uint8_t* bytes = StringBytes(s);
  int32_t begin = 0;
  int32_t end = StringLength(s);
  if (left) {
    while (begin < end && blank[bytes[begin]]) ++begin;
  }
  if (right) {
    while (end > begin && blank[bytes[end - 1]]) --end;
  }
  return Slice(s, begin, end - begin);
}

}  // namespace

namespace string_internal {

// Mid with a 1-based start and a count, in units of `length`; computes the 0-based first
// unit and the number of units, false when the result is empty.
bool ClipMid(int32_t length, int32_t start, int32_t count, int32_t* first, int32_t* units) {
  int64_t from = start;
  int64_t n = count;
  if (from < 1) {
    n -= 1 - from;  // a start before the text shortens the count by the shortfall
    from = 1;
  }
  if (n <= 0 || from > length) return false;
  if (n > length - from + 1) n = length - from + 1;
  *first = static_cast<int32_t>(from - 1);
  *units = static_cast<int32_t>(n);
  return true;
}

}  // namespace string_internal

AMX_ENTRY StringRecord* StringLeft(StringRecord* s, int32_t n) noexcept {
  if (n >= StringLength(s)) return LockString(s);
  return Slice(s, 0, n);
}

AMX_ENTRY StringRecord* StringRight(StringRecord* s, int32_t n) noexcept {
  int32_t length = StringLength(s);
  if (n >= length) return LockString(s);
  if (n <= 0) return nullptr;
  return Slice(s, length - n, n);
}

AMX_ENTRY StringRecord* StringMid2(StringRecord* s, int32_t start) noexcept {
  int32_t length = StringLength(s);
  if (start <= 1) return LockString(s);
  if (start > length) return nullptr;
  return Slice(s, start - 1, length - start + 1);
}

AMX_ENTRY StringRecord* StringMid3(StringRecord* s, int32_t start, int32_t n) noexcept {
  int32_t first;
  int32_t count;
  if (!string_internal::ClipMid(StringLength(s), start, n, &first, &count)) return nullptr;
  return Slice(s, first, count);
}

AMX_ENTRY int32_t StringLen(StringRecord* s) noexcept { return StringLength(s); }

AMX_ENTRY int32_t StringAsc(StringRecord* s) noexcept {
  return StringLength(s) == 0 ? 0 : StringBytes(s)[0];
}

AMX_ENTRY StringRecord* StringChr(int32_t c) noexcept {
  auto byte = static_cast<uint8_t>(c & 0xFF);
  return MakeString(&byte, 1);
}

AMX_ENTRY StringRecord* StringLCase(StringRecord* s) noexcept {
  return MapCase(s, Tables().lower);
}

AMX_ENTRY StringRecord* StringUCase(StringRecord* s) noexcept {
  return MapCase(s, Tables().upper);
}

AMX_ENTRY StringRecord* StringTitleCase(StringRecord* s) noexcept {
  int32_t length = StringLength(s);
  StringRecord* copy = MakeString(StringBytes(s), length);
  if (copy == nullptr) return nullptr;
  const CharTables& t = Tables();
  uint8_t* bytes = copy->buffer + 1;
  bool wordStart = true;
  for (int32_t i = 0; i < length;) {
    int32_t size = CharacterSize(t, bytes, i, length);
    uint8_t c = bytes[i];
    if (size == 1) {
      if (wordStart) {
        if (!t.isUpper[c]) bytes[i] = t.upper[c];
      } else if (t.isUpper[c]) {
        bytes[i] = t.lower[c];
      }
    }
    wordStart = size == 1 && t.blank[c];
    i += size;
  }
  return copy;
}

AMX_ENTRY StringRecord* runLTrim(StringRecord* s) noexcept { return Trim(s, true, false); }

AMX_ENTRY StringRecord* runRTrim(StringRecord* s) noexcept { return Trim(s, false, true); }

AMX_ENTRY StringRecord* runTrim(StringRecord* s) noexcept { return Trim(s, true, true); }
