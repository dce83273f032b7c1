// Numbers and text: StringStr (number to text), StringVal (text to number, including the
// "&H", "&O" and "&B" forms), and their locale forms runCStr and runCDbl. The text form
// always uses "." as the decimal point, whatever the locale.
#include <clocale>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <locale.h>
#include <new>
#include <string>

#include "runtime/entries/entries.h"
#include "runtime/objects/stringinternal.h"
#include "runtime/objects/strings.h"

namespace {

// The "C" locale, for conversions whose decimal point must not follow the user's locale.
locale_t CLocale() {
  static locale_t c = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
  return c;
}

// Positional digit of `byte` in `base`, or -1 for a byte that is skipped. In base 16 every
// ASCII letter counts 10..35, so "&HG" is 16.
int DigitValue(uint8_t byte, int base) {
  if (byte >= '0' && byte <= '9') return byte - '0' < base ? byte - '0' : -1;
  if (base != 16) return -1;
  if (byte >= 'A' && byte <= 'Z') return byte - 'A' + 10;
  if (byte >= 'a' && byte <= 'z') return byte - 'a' + 10;
  return -1;
}

int RadixOf(uint8_t selector) {
  switch (selector) {
    case 'B': case 'b': return 2;
    case 'H': case 'h': return 16;
    case 'O': case 'o': return 8;
    default: return 0;
  }
}

// "&" forms: accumulated in a signed 32-bit integer that wraps, so "&HFFFFFFFF" is -1.
double ParseRadix(const uint8_t* bytes, int32_t length) {
  int base = RadixOf(bytes[1]);
  if (base == 0) return 0;
  uint32_t value = 0;
  for (int32_t i = 2; i < length; ++i) {
    int digit = DigitValue(bytes[i], base);
    if (digit >= 0) value = value * static_cast<uint32_t>(base) + static_cast<uint32_t>(digit);
  }
  return static_cast<int32_t>(value);
}

bool IsDigit(uint8_t c) { return c >= '0' && c <= '9'; }
bool IsScanSpace(uint8_t c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

// Length of the number at the start of bytes[begin..length): optional sign, digits with an
// optional ".", an optional exponent that counts only when it has digits. 0 when the text
// holds no digit where the number must be.
int32_t NumberPrefix(const uint8_t* bytes, int32_t begin, int32_t length) {
  int32_t i = begin;
  if (i < length && (bytes[i] == '+' || bytes[i] == '-')) ++i;
  int32_t digits = 0;
  while (i < length && IsDigit(bytes[i])) ++i, ++digits;
  if (i < length && bytes[i] == '.') {
    ++i;
    while (i < length && IsDigit(bytes[i])) ++i, ++digits;
  }
  if (digits == 0) return 0;
  if (i < length && (bytes[i] == 'e' || bytes[i] == 'E')) {
    int32_t e = i + 1;
    if (e < length && (bytes[e] == '+' || bytes[e] == '-')) ++e;
    if (e < length && IsDigit(bytes[e])) {
      while (e < length && IsDigit(bytes[e])) ++e;
      i = e;
    }
  }
  return i - begin;
}

double ParseDecimal(const uint8_t* bytes, int32_t length) {
  int32_t begin = 0;
  while (begin < length && IsScanSpace(bytes[begin])) ++begin;
  int32_t count = NumberPrefix(bytes, begin, length);
  if (count == 0) return 0;
  // The prefix alone goes to the conversion, so it cannot read any other form (hex, inf).
  std::string number(reinterpret_cast<const char*>(bytes + begin), static_cast<size_t>(count));
  return strtod_l(number.c_str(), nullptr, CLocale());
}

// Formatting inside this scope writes "." as the decimal point.
class CLocaleScope {
 public:
  CLocaleScope() : previous_(uselocale(CLocale())) {}
  ~CLocaleScope() { uselocale(previous_); }
  CLocaleScope(const CLocaleScope&) = delete;
  CLocaleScope& operator=(const CLocaleScope&) = delete;

 private:
  locale_t previous_;
};

void FormatInC(char* out, size_t size, const char* format, double x) {
  CLocaleScope scope;
  std::snprintf(out, size, format, x);
}

// Replaces every occurrence of `from` (not empty) in text by `to`.
void ReplaceEvery(std::string& text, const std::string& from, const std::string& to) {
  size_t at = 0;
  while ((at = text.find(from, at)) != std::string::npos) {
    text.replace(at, from.size(), to);
    at += to.size();
  }
}

}  // namespace

namespace string_internal {

std::string NumberToText(double x) {
  char text[64];
  if (x == 0) x = 0;  // -0 is written as 0
  double magnitude = std::fabs(x);
  if (x == 0 || (magnitude >= 1e-5 && magnitude <= 1e6)) {
    FormatInC(text, sizeof text, "%.7f", x);
    size_t end = std::strlen(text);
    while (end > 0 && text[end - 1] == '0') --end;
    if (end > 0 && text[end - 1] == '.') --end;
    return std::string(text, end);
  }
  FormatInC(text, sizeof text, "%.6e", x);
  return text;
}

double TextToNumber(const uint8_t* bytes, int32_t length) {
  try {
    if (length >= 2 && bytes[0] == '&') return ParseRadix(bytes, length);
    return ParseDecimal(bytes, length);
  } catch (const std::bad_alloc&) {
    return 0;
  }
}

std::string FormatWithC(const char* format, int precision, double x) {
  CLocaleScope scope;
  int size = std::snprintf(nullptr, 0, format, precision, x);
  std::string text(size > 0 ? static_cast<size_t>(size) : 0, '\0');
  if (size > 0) std::snprintf(text.data(), text.size() + 1, format, precision, x);
  return text;
}

}  // namespace string_internal

AMX_ENTRY StringRecord* StringStr(double x) noexcept {
  try {
    std::string text = string_internal::NumberToText(x);
    return MakeString(text.data(), static_cast<int32_t>(text.size()));
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}

AMX_ENTRY double StringVal(StringRecord* s) noexcept {
  return string_internal::TextToNumber(StringBytes(s), StringLength(s));
}

AMX_ENTRY StringRecord* runCStr(double x) noexcept {
  try {
    std::string text = string_internal::NumberToText(x);
    size_t point = text.find('.');
    if (point != std::string::npos) {
      text.replace(point, 1, string_internal::LocaleSeparators().decimal);
    }
    return MakeString(text.data(), static_cast<int32_t>(text.size()));
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}

AMX_ENTRY double runCDbl(StringRecord* s) noexcept {
  try {
    string_internal::Separators separators = string_internal::LocaleSeparators();
    std::string text(StringView(s));
    ReplaceEvery(text, separators.thousands, "");
    ReplaceEvery(text, separators.decimal, ".");
    return string_internal::TextToNumber(reinterpret_cast<const uint8_t*>(text.data()),
                                         static_cast<int32_t>(text.size()));
  } catch (const std::bad_alloc&) {
    return 0;
  }
}
