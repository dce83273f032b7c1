// String comparisons: the language's comparison in the user's locale ignoring case
// (RuntimeStringCompare), StringStrCompare (bytes, or locale order with case), and the
// runtime's comparison of names through the fixed name fold table (CompareNames).
#include <cstring>
#include <cwchar>
#include <cwctype>
#include <new>
#include <string>

#include "runtime/entries/entries.h"
#include "runtime/objects/namefold.h"
#include "runtime/objects/stringinternal.h"
#include "runtime/objects/strings.h"

namespace {

int32_t Sign(int value) { return value < 0 ? -1 : (value > 0 ? 1 : 0); }

std::wstring ToWide(const StringRecord* s, bool foldCase) {
  std::wstring wide;
  wide.reserve(static_cast<size_t>(StringLength(s)));
  const uint8_t* bytes = StringBytes(s);
  for (int32_t i = 0; i < StringLength(s); ++i) {
    auto code = static_cast<wint_t>(Windows1252ToUnicode(bytes[i]));
    wide += static_cast<wchar_t>(foldCase ? std::towlower(code) : code);
  }
  return wide;
}

// wcscoll over whole texts that may hold zero characters: the pieces between zeros are
// collated in turn, and a text that runs out of pieces first is the smaller.
int32_t Collate(const std::wstring& a, const std::wstring& b) {
  const wchar_t* x = a.c_str();
  const wchar_t* y = b.c_str();
  const wchar_t* xEnd = x + a.size();
  const wchar_t* yEnd = y + b.size();
  for (;;) {
    int order = std::wcscoll(x, y);
    if (order != 0) return Sign(order);
    x += std::wcslen(x);
    y += std::wcslen(y);
    if (x == xEnd || y == yEnd) return x == xEnd ? (y == yEnd ? 0 : -1) : 1;
    ++x;  // step over the zero character into the next piece
    ++y;
  }
}

// The locale's order; a comparison that cannot be carried out (no memory) counts as equal.
int32_t LocaleCompare(const StringRecord* a, const StringRecord* b, bool ignoreCase) {
  try {
    string_internal::UserLocaleScope userLocale;
    return Collate(ToWide(a, ignoreCase), ToWide(b, ignoreCase));
  } catch (const std::bad_alloc&) {
    return 0;
  }
}

int32_t CompareBytes(const StringRecord* a, const StringRecord* b) {
  int32_t aLength = StringLength(a);
  int32_t bLength = StringLength(b);
  int order = std::memcmp(StringBytes(a), StringBytes(b),
                          static_cast<size_t>(aLength < bLength ? aLength : bLength));
  if (order != 0) return Sign(order);
  return aLength == bLength ? 0 : (aLength < bLength ? -1 : 1);
}

}  // namespace

int32_t CompareNames(const void* a, int32_t aLength, const void* b, int32_t bLength) {
  return CompareNameBytes(a, aLength, b, bLength);
}

int32_t CompareNames(const StringRecord* a, const StringRecord* b) {
  return CompareNameBytes(StringBytes(a), StringLength(a), StringBytes(b), StringLength(b));
}

int32_t CompareNames(const StringRecord* a, const char* b) {
  if (b == nullptr) b = "";
  return CompareNameBytes(StringBytes(a), StringLength(a), b,
                          static_cast<int32_t>(std::strlen(b)));
}

int32_t CompareNamesZ(const char* a, const char* b) {
  if (a == nullptr) a = "";
  if (b == nullptr) b = "";
  return CompareNameBytes(a, static_cast<int32_t>(std::strlen(a)), b,
                          static_cast<int32_t>(std::strlen(b)));
}

AMX_ENTRY int32_t RuntimeStringCompare(StringRecord* a, StringRecord* b) noexcept {
  if (a == b) return 0;
  return LocaleCompare(a, b, true);
}

AMX_ENTRY int32_t StringStrCompare(StringRecord* a, StringRecord* b, int32_t mode) noexcept {
  if (mode == 0) return CompareBytes(a, b);
  return LocaleCompare(a, b, false);
}
