// Searching strings: the plain scan, Boyer-Moore for long exact searches, the search that
// ignores case, and the entry points built on them (StringInStr, StringInStrB,
// StringReplace, StringReplaceAll, StringCountFields, StringNthField).
#include <algorithm>
#include <cstring>

#include "runtime/entries/entries.h"
#include "runtime/objects/stringinternal.h"
#include "runtime/objects/strings.h"

namespace string_internal {
namespace {

// Longest pattern the Boyer-Moore tables take; longer patterns use the plain scan.
constexpr int32_t kBoyerMooreMaxPattern = 1024;
constexpr int32_t kBoyerMooreMinPattern = 5;     // patterns of 4 bytes or less scan plainly
constexpr int32_t kBoyerMooreMinPositions = 81;  // ...as do texts with 80 start positions or less

void BuildBadCharacter(const uint8_t* find, int32_t m, int32_t* badChar) {
  for (int i = 0; i < 256; ++i) badChar[i] = m;
  for (int32_t i = 0; i < m - 1; ++i) badChar[find[i]] = m - 1 - i;
}

// suffix[i]: length of the longest suffix of find that ends at position i.
void BuildSuffixes(const uint8_t* find, int32_t m, int32_t* suffix) {
  suffix[m - 1] = m;
  int32_t g = m - 1;
  int32_t f = m - 1;
  for (int32_t i = m - 2; i >= 0; --i) {
    if (i > g && suffix[i + m - 1 - f] < i - g) {
      suffix[i] = suffix[i + m - 1 - f];
    } else {
      if (i < g) g = i;
      f = i;
      while (g >= 0 && find[g] == find[g + m - 1 - f]) --g;
      suffix[i] = f - g;
    }
  }
}

// goodSuffix[i]: the shift after a mismatch at pattern position i.
void BuildGoodSuffix(const uint8_t* find, int32_t m, int32_t* goodSuffix, int32_t* suffix) {
  BuildSuffixes(find, m, suffix);
  for (int32_t i = 0; i < m; ++i) goodSuffix[i] = m;
  int32_t j = 0;
  for (int32_t i = m - 1; i >= 0; --i) {
    if (suffix[i] != i + 1) continue;
    for (; j < m - 1 - i; ++j) {
      if (goodSuffix[j] == m) goodSuffix[j] = m - 1 - i;
    }
  }
  for (int32_t i = 0; i <= m - 2; ++i) goodSuffix[m - 1 - suffix[i]] = m - 1 - i;
}

bool MatchesIgnoringCase(const CharTables& t, const uint8_t* text, const uint8_t* find,
                         int32_t m) {
  for (int32_t i = 0; i < m; ++i) {
    if (t.upper[text[i]] != t.upper[find[i]]) return false;
  }
  return true;
}

// Double-byte form: single bytes through the upper-case table, two-byte characters exact.
bool MatchesIgnoringCaseDbcs(const CharTables& t, const uint8_t* text, const uint8_t* find,
                             int32_t m) {
  for (int32_t i = 0; i < m; ++i) {
    if (t.lead[find[i]] && i + 1 < m) {
      if (text[i] != find[i] || text[i + 1] != find[i + 1]) return false;
      ++i;
    } else if (t.upper[text[i]] != t.upper[find[i]]) {
      return false;
    }
  }
  return true;
}

}  // namespace

int32_t FindPlain(const uint8_t* text, int32_t textLength, const uint8_t* find,
                  int32_t findLength, int32_t from) {
  int32_t last = textLength - findLength;
  for (int32_t pos = from; pos <= last; ++pos) {
    const void* hit = std::memchr(text + pos, find[0], static_cast<size_t>(last - pos + 1));
    if (hit == nullptr) return -1;
    pos = static_cast<int32_t>(static_cast<const uint8_t*>(hit) - text);
    if (std::memcmp(text + pos + 1, find + 1, static_cast<size_t>(findLength - 1)) == 0) {
      return pos;
    }
  }
  return -1;
}

int32_t FindBoyerMoore(const uint8_t* text, int32_t textLength, const uint8_t* find,
                       int32_t m, int32_t from) {
  if (m > kBoyerMooreMaxPattern) return FindPlain(text, textLength, find, m, from);
  int32_t badChar[256];
  int32_t goodSuffix[kBoyerMooreMaxPattern];
  int32_t suffix[kBoyerMooreMaxPattern];
  BuildBadCharacter(find, m, badChar);
  BuildGoodSuffix(find, m, goodSuffix, suffix);
  int32_t j = from;
  while (j <= textLength - m) {
    int32_t i = m - 1;
    while (i >= 0 && find[i] == text[i + j]) --i;
    if (i < 0) return j;
    j += std::max(goodSuffix[i], badChar[text[i + j]] - m + 1 + i);
  }
  return -1;
}

int32_t FindExact(const uint8_t* text, int32_t textLength, const uint8_t* find,
                  int32_t findLength, int32_t from) {
  int32_t positions = textLength - from - findLength + 1;
  if (findLength >= kBoyerMooreMinPattern && positions >= kBoyerMooreMinPositions &&
      findLength <= kBoyerMooreMaxPattern) {
    return FindBoyerMoore(text, textLength, find, findLength, from);
  }
  return FindPlain(text, textLength, find, findLength, from);
}

int32_t FindIgnoringCase(const uint8_t* text, int32_t textLength, const uint8_t* find,
                         int32_t findLength, int32_t from) {
  const CharTables& t = Tables();
  int32_t last = textLength - findLength;
  if (!t.doubleByte) {
    for (int32_t pos = from; pos <= last; ++pos) {
      if (MatchesIgnoringCase(t, text + pos, find, findLength)) return pos;
    }
    return -1;
  }
  // In double-byte mode a match may start only where a character starts.
  for (int32_t pos = 0; pos <= last; pos += CharacterSize(t, text, pos, textLength)) {
    if (pos >= from && MatchesIgnoringCaseDbcs(t, text + pos, find, findLength)) return pos;
  }
  return -1;
}

}  // namespace string_internal

namespace {

using string_internal::FindExact;
using string_internal::FindIgnoringCase;
using Finder = int32_t (*)(const uint8_t*, int32_t, const uint8_t*, int32_t, int32_t);

// The common frame of StringInStr and StringInStrB: 1-based start and result, 0 for none.
int32_t InStr(int32_t start, const StringRecord* s, const StringRecord* find, Finder finder) {
  int32_t length = StringLength(s);
  int32_t findLength = StringLength(find);
  if (length == 0) return 0;
  if (findLength == 0) return start;
  int32_t from = start > 0 ? start - 1 : 0;
  if (from >= length || findLength > length - from) return 0;
  int32_t pos = finder(StringBytes(s), length, StringBytes(find), findLength, from);
  return pos < 0 ? 0 : pos + 1;
}

// Separators whose bytes no case mapping changes can be found byte for byte (not in
// double-byte mode, where a trail byte may equal a separator byte).
Finder FieldFinder(const StringRecord* sep) {
  const string_internal::CharTables& t = string_internal::Tables();
  if (t.doubleByte) return FindIgnoringCase;
  const uint8_t* bytes = StringBytes(sep);
  for (int32_t i = 0; i < StringLength(sep); ++i) {
    if (t.upper[bytes[i]] != bytes[i] || t.lower[bytes[i]] != bytes[i]) return FindIgnoringCase;
  }
  return FindExact;
}

// Number of non-overlapping occurrences of find in s, case ignored.
int32_t CountOccurrences(const StringRecord* s, const StringRecord* find, Finder finder) {
  int32_t length = StringLength(s);
  int32_t findLength = StringLength(find);
  int32_t count = 0;
  int32_t from = 0;
  while (from <= length - findLength) {
    int32_t pos = finder(StringBytes(s), length, StringBytes(find), findLength, from);
    if (pos < 0) break;
    ++count;
    from = pos + findLength;
  }
  return count;
}

}  // namespace

AMX_ENTRY int32_t StringInStr(int32_t start, StringRecord* s, StringRecord* find) noexcept {
  return InStr(start, s, find, FindIgnoringCase);
}

AMX_ENTRY int32_t StringInStrB(int32_t start, StringRecord* s, StringRecord* find) noexcept {
  return InStr(start, s, find, FindExact);
}

AMX_ENTRY StringRecord* StringReplace(StringRecord* s, StringRecord* find,
                                      StringRecord* repl) noexcept {
  int32_t at = InStr(1, s, find, FindIgnoringCase);
  if (StringLength(find) == 0 || at == 0) return LockString(s);
  int32_t head = at - 1;
  int32_t tail = StringLength(s) - head - StringLength(find);
  int64_t total = static_cast<int64_t>(head) + StringLength(repl) + tail;
  if (total > INT32_MAX - 2) return LockString(s);  // the text is kept rather than lost
  StringRecord* result = string_internal::NewString(static_cast<int32_t>(total));
  if (result == nullptr) return nullptr;
  uint8_t* out = result->buffer + 1;
  std::memcpy(out, StringBytes(s), static_cast<size_t>(head));
  std::memcpy(out + head, StringBytes(repl), static_cast<size_t>(StringLength(repl)));
  std::memcpy(out + head + StringLength(repl), StringBytes(s) + head + StringLength(find),
              static_cast<size_t>(tail));
  return result;
}

AMX_ENTRY StringRecord* StringReplaceAll(StringRecord* s, StringRecord* find,
                                         StringRecord* repl) noexcept {
  int32_t length = StringLength(s);
  int32_t findLength = StringLength(find);
  int32_t replLength = StringLength(repl);
  if (length == 0 || findLength == 0) return LockString(s);
  int32_t count = CountOccurrences(s, find, FindIgnoringCase);
  if (count == 0) return LockString(s);
  int64_t total = length + static_cast<int64_t>(count) * (replLength - findLength);
  if (total > INT32_MAX - 2) return LockString(s);
  StringRecord* result = string_internal::NewString(static_cast<int32_t>(total));
  if (result == nullptr) return nullptr;
  const uint8_t* in = StringBytes(s);
  uint8_t* out = result->buffer + 1;
  int32_t from = 0;
  for (int32_t n = 0; n < count; ++n) {
    int32_t pos = FindIgnoringCase(in, length, StringBytes(find), findLength, from);
    std::memcpy(out, in + from, static_cast<size_t>(pos - from));
    out += pos - from;
    std::memcpy(out, StringBytes(repl), static_cast<size_t>(replLength));
    out += replLength;
    from = pos + findLength;
  }
  std::memcpy(out, in + from, static_cast<size_t>(length - from));
  return result;
}

AMX_ENTRY int32_t StringCountFields(StringRecord* s, StringRecord* sep) noexcept {
  if (StringLength(s) == 0) return 0;
  if (StringLength(sep) == 0) return 1;
  return 1 + CountOccurrences(s, sep, FieldFinder(sep));
}

AMX_ENTRY StringRecord* StringNthField(StringRecord* s, StringRecord* sep,
                                       int32_t n) noexcept {
  int32_t length = StringLength(s);
  int32_t sepLength = StringLength(sep);
  if (length == 0 || sepLength == 0 || n <= 0) return nullptr;
  Finder finder = FieldFinder(sep);
  int32_t begin = 0;
  for (int32_t field = 1; field < n; ++field) {
    int32_t pos = begin <= length - sepLength
                      ? finder(StringBytes(s), length, StringBytes(sep), sepLength, begin)
                      : -1;
    if (pos < 0) return nullptr;  // fewer than n fields
    begin = pos + sepLength;
  }
  int32_t end = begin <= length - sepLength
                    ? finder(StringBytes(s), length, StringBytes(sep), sepLength, begin)
                    : -1;
  if (end < 0) end = length;
  return string_internal::Slice(s, begin, end - begin);
}
