// The double-byte forms of the string functions (StringDBCSLen, ...Left, ...Right, ...Mid2,
// ...Mid3, ...InStr, ...Asc, ...Chr). In single-byte mode each is exactly its plain
// member; in double-byte mode positions and counts are in characters, a lead byte and its
// trail byte being one character.
#include "runtime/entries/entries.h"
#include "runtime/objects/stringinternal.h"
#include "runtime/objects/strings.h"

namespace {

using string_internal::CharacterSize;
using string_internal::CharTables;
using string_internal::Slice;
using string_internal::Tables;

bool DoubleByte() { return Tables().doubleByte; }

int32_t CharacterCount(const StringRecord* s) {
  const CharTables& t = Tables();
  const uint8_t* bytes = StringBytes(s);
  int32_t length = StringLength(s);
  int32_t count = 0;
  for (int32_t i = 0; i < length; i += CharacterSize(t, bytes, i, length)) ++count;
  return count;
}

// Byte offset of the 0-based character `index`; the length for an index past the end.
int32_t ByteOffset(const StringRecord* s, int32_t index) {
  const CharTables& t = Tables();
  const uint8_t* bytes = StringBytes(s);
  int32_t length = StringLength(s);
  int32_t i = 0;
  for (int32_t n = 0; n < index && i < length; ++n) i += CharacterSize(t, bytes, i, length);
  return i;
}

// Characters [first, first + count) of s.
StringRecord* Characters(StringRecord* s, int32_t first, int32_t count) {
  if (count <= 0) return nullptr;
  int32_t begin = ByteOffset(s, first);
  int32_t end = ByteOffset(s, first + count);
  return Slice(s, begin, end - begin);
}

// Character index of the byte offset of a character start.
int32_t CharacterIndex(const StringRecord* s, int32_t offset) {
  const CharTables& t = Tables();
  const uint8_t* bytes = StringBytes(s);
  int32_t length = StringLength(s);
  int32_t n = 0;
  for (int32_t i = 0; i < offset; i += CharacterSize(t, bytes, i, length)) ++n;
  return n;
}

}  // namespace

AMX_ENTRY int32_t StringDBCSLen(StringRecord* s) noexcept {
  return DoubleByte() ? CharacterCount(s) : StringLen(s);
}

AMX_ENTRY StringRecord* StringDBCSLeft(StringRecord* s, int32_t n) noexcept {
  if (!DoubleByte()) return StringLeft(s, n);
  if (n >= CharacterCount(s)) return LockString(s);
  return Characters(s, 0, n);
}

AMX_ENTRY StringRecord* StringDBCSRight(StringRecord* s, int32_t n) noexcept {
  if (!DoubleByte()) return StringRight(s, n);
  int32_t count = CharacterCount(s);
  if (n >= count) return LockString(s);
  return Characters(s, count - n, n);
}

AMX_ENTRY StringRecord* StringDBCSMid2(StringRecord* s, int32_t start) noexcept {
  if (!DoubleByte()) return StringMid2(s, start);
  int32_t count = CharacterCount(s);
  if (start <= 1) return LockString(s);
  if (start > count) return nullptr;
  return Characters(s, start - 1, count - start + 1);
}

AMX_ENTRY StringRecord* StringDBCSMid3(StringRecord* s, int32_t start, int32_t n) noexcept {
  if (!DoubleByte()) return StringMid3(s, start, n);
  int32_t first;
  int32_t count;
  if (!string_internal::ClipMid(CharacterCount(s), start, n, &first, &count)) return nullptr;
  return Characters(s, first, count);
}

AMX_ENTRY int32_t StringDBCSInStr(int32_t start, StringRecord* s,
                                  StringRecord* find) noexcept {
  if (!DoubleByte()) return StringInStr(start, s, find);
  int32_t count = CharacterCount(s);
  int32_t findCount = CharacterCount(find);
  if (count == 0) return 0;
  if (findCount == 0) return start;
  int32_t from = start > 0 ? start - 1 : 0;
  if (from >= count || findCount > count - from) return 0;
  int32_t pos = string_internal::FindIgnoringCase(StringBytes(s), StringLength(s),
                                                  StringBytes(find), StringLength(find),
                                                  ByteOffset(s, from));
  return pos < 0 ? 0 : CharacterIndex(s, pos) + 1;
}

AMX_ENTRY int32_t StringDBCSAsc(StringRecord* s) noexcept {
  if (!DoubleByte()) return StringAsc(s);
  int32_t length = StringLength(s);
  if (length == 0) return 0;
  const uint8_t* bytes = StringBytes(s);
  if (CharacterSize(Tables(), bytes, 0, length) == 2) return bytes[0] * 256 + bytes[1];
  return bytes[0];
}

AMX_ENTRY StringRecord* StringDBCSChr(int32_t c) noexcept {
  if (!DoubleByte() || c < 256) return StringChr(c);
  uint8_t bytes[2] = {static_cast<uint8_t>((c >> 8) & 0xFF), static_cast<uint8_t>(c & 0xFF)};
  return MakeString(bytes, 2);
}
