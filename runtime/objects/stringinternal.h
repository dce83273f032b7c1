// Pieces shared by the string functions' sources (and their tests): raw construction, the
// character tables, the locale's separators and the searches. Other parts of the runtime
// use runtime/objects/strings.h instead.
#pragma once
#include <cstdint>
#include <string>

#include "runtime/objects/string.h"

namespace string_internal {

// A new string of `length` uninitialised bytes (terminated, length byte set); nil for
// length <= 0 or when the buffer cannot be had.
StringRecord* NewString(int32_t length);
// One more reference (assertion for a count of 0, counted all the same); returns s.
StringRecord* Retain(StringRecord* s);
// A new string of a's bytes followed by b's; nil when empty or when memory runs out.
StringRecord* Join(const uint8_t* a, int32_t aLength, const uint8_t* b, int32_t bLength);
// `count` bytes of s from the 0-based `start`, which the caller has already clipped to the
// text; the whole text gives s itself with one more reference, count <= 0 gives nil.
StringRecord* Slice(StringRecord* s, int32_t start, int32_t count);

// The clipping of StringMid3 (and its character-counting form) over `length` units: a
// 1-based start below 1 shortens count by the shortfall; false when the result is empty,
// else the 0-based first unit and the number of units, cut at the end.
bool ClipMid(int32_t length, int32_t start, int32_t count, int32_t* first, int32_t* units);

// The character tables of the user's locale, built on first use and fixed afterwards.
// Windows-1252 has no lead bytes, so the runtime normally runs in single-byte mode;
// double-byte mode exists for code pages with two-byte characters.
struct CharTables {
  bool doubleByte;      // some byte starts a two-byte character
  bool lead[256];       // byte starts a two-byte character
  uint8_t upper[256];   // in double-byte mode only a-z change
  uint8_t lower[256];   // in double-byte mode only A-Z change
  bool blank[256];      // the locale calls the byte a space or a blank
  bool isUpper[256];    // the locale calls the byte an upper-case letter
};
const CharTables& Tables();
// Bytes in the character at bytes[pos]: 2 for a lead byte with its trail byte, else 1 (a
// lead byte at the very end stands alone).
inline int32_t CharacterSize(const CharTables& t, const uint8_t* bytes, int32_t pos,
                             int32_t length) {
  return (t.lead[bytes[pos]] && pos + 1 < length) ? 2 : 1;
}
// Test hook: rebuild the tables with these lead bytes (nil: the code page's own, none).
void SetLeadBytesForTesting(const bool* lead);

// Makes the C library's locale-dependent functions (case, classes, collation, localeconv)
// answer for the user's locale while alive: the locale the program selected, or, while the
// program still runs in the "C" locale, the one the user's environment names.
class UserLocaleScope {
 public:
  UserLocaleScope();
  ~UserLocaleScope();
  UserLocaleScope(const UserLocaleScope&) = delete;
  UserLocaleScope& operator=(const UserLocaleScope&) = delete;

 private:
  void* previous_ = nullptr;  // the thread's locale_t before, when switched
};

// The decimal and thousands separators of the user's locale as Windows-1252 text, read at
// each call. A locale without a thousands separator gets "," (or "." where the decimal
// separator is ",").
struct Separators {
  std::string decimal;
  std::string thousands;
};
Separators LocaleSeparators();

// Searches over byte ranges; each returns the 0-based position of the first match at or
// after `from`, or -1. The caller guarantees 0 <= from and findLength > 0.
int32_t FindPlain(const uint8_t* text, int32_t textLength, const uint8_t* find,
                  int32_t findLength, int32_t from);
int32_t FindBoyerMoore(const uint8_t* text, int32_t textLength, const uint8_t* find,
                       int32_t findLength, int32_t from);
// Exact bytes: Boyer-Moore when the pattern is longer than 4 bytes and more than 80 start
// positions are possible (and the pattern fits its tables), the plain scan otherwise.
int32_t FindExact(const uint8_t* text, int32_t textLength, const uint8_t* find,
                  int32_t findLength, int32_t from);
// Bytes compared through the upper-case table.
int32_t FindIgnoringCase(const uint8_t* text, int32_t textLength, const uint8_t* find,
                         int32_t findLength, int32_t from);

// StringStr's text of a number ("." as the point) and StringVal's reading of text.
std::string NumberToText(double x);
double TextToNumber(const uint8_t* bytes, int32_t length);
// snprintf in the "C" locale of one double with a "*" precision ("%.*f", "%.*e"), of any
// length. May throw std::bad_alloc.
std::string FormatWithC(const char* format, int precision, double x);

}  // namespace string_internal
