// The character tables of the user's locale (upper case, lower case, blanks, lead bytes)
// and the locale's number separators. Entry points: string_internal::Tables(),
// string_internal::LocaleSeparators(). Each byte is classified through its Windows-1252
// code point with the C library's wide-character functions.
#include <clocale>
#include <cstring>
#include <cwchar>
#include <cwctype>
#include <locale.h>

#include "runtime/objects/stringencoding.h"
#include "runtime/objects/stringinternal.h"

namespace string_internal {
namespace {

CharTables gTables;
bool gBuilt = false;
bool gTestLeadBytes[256];
bool gUseTestLeadBytes = false;

// A byte through a wide-character case mapping; a result outside the code page leaves the
// byte as it is.
uint8_t MapByte(uint8_t byte, wint_t (*map)(wint_t)) {
  char32_t code = Windows1252ToUnicode(byte);
  uint8_t mapped;
  if (!UnicodeToWindows1252(static_cast<char32_t>(map(static_cast<wint_t>(code))), &mapped)) {
    return byte;
  }
  return mapped;
}

wint_t Upper(wint_t c) { return std::towupper(c); }
wint_t Lower(wint_t c) { return std::towlower(c); }

void BuildSingleByte(CharTables& t) {
  for (int i = 0; i < 256; ++i) {
    auto byte = static_cast<uint8_t>(i);
    auto code = static_cast<wint_t>(Windows1252ToUnicode(byte));
    t.upper[i] = MapByte(byte, Upper);
    t.lower[i] = MapByte(byte, Lower);
    t.blank[i] = std::iswspace(code) != 0 || std::iswblank(code) != 0;
    t.isUpper[i] = std::iswupper(code) != 0;
  }
}

// Two-byte code pages: only the ASCII letters and blanks are classified; a trail byte
// must never be mistaken for a letter of its own.
void BuildDoubleByte(CharTables& t) {
  for (int i = 0; i < 256; ++i) {
    auto byte = static_cast<uint8_t>(i);
    bool lowerLetter = byte >= 'a' && byte <= 'z';
    bool upperLetter = byte >= 'A' && byte <= 'Z';
    t.upper[i] = lowerLetter ? static_cast<uint8_t>(byte - 32) : byte;
    t.lower[i] = upperLetter ? static_cast<uint8_t>(byte + 32) : byte;
    t.blank[i] = byte == ' ' || (byte >= '\t' && byte <= '\r');
    t.isUpper[i] = upperLetter;
  }
}

void Build() {
  UserLocaleScope userLocale;
  CharTables& t = gTables;
  t.doubleByte = false;
  for (int i = 0; i < 256; ++i) {
    t.lead[i] = gUseTestLeadBytes && gTestLeadBytes[i];  // Windows-1252 has none
    t.doubleByte = t.doubleByte || t.lead[i];
  }
  if (t.doubleByte) {
    BuildDoubleByte(t);
  } else {
    BuildSingleByte(t);
  }
  gBuilt = true;
}

// One separator of localeconv() (in the locale's own multibyte encoding) as Windows-1252.
// Spaces the code page lacks (narrow or figure spaces) become the no-break space.
std::string ToWindows1252(const char* text) {
  std::string out;
  std::mbstate_t state{};
  size_t left = std::strlen(text);
  while (left > 0) {
    wchar_t wide;
    size_t used = std::mbrtowc(&wide, text, left, &state);
    if (used == 0 || used > left) return {};  // malformed: the caller falls back
    uint8_t byte;
    if (UnicodeToWindows1252(static_cast<char32_t>(wide), &byte)) {
      out += static_cast<char>(byte);
    } else if (std::iswspace(static_cast<wint_t>(wide)) || wide == 0x202F || wide == 0x2007) {
      out += '\xA0';
    } else {
      return {};
    }
    text += used;
    left -= used;
  }
  return out;
}

bool IsPlainCLocale(const char* name) {
  return name == nullptr || std::strcmp(name, "C") == 0 || std::strcmp(name, "POSIX") == 0;
}

// The locale of the user's environment (LANG, LC_*), made once; nil when it names none.
locale_t EnvironmentLocale() {
  static locale_t environment = newlocale(LC_ALL_MASK, "", static_cast<locale_t>(nullptr));
  return environment;
}

}  // namespace

UserLocaleScope::UserLocaleScope() {
  if (!IsPlainCLocale(std::setlocale(LC_ALL, nullptr))) return;
  locale_t environment = EnvironmentLocale();
  if (environment != static_cast<locale_t>(nullptr)) previous_ = uselocale(environment);
}

UserLocaleScope::~UserLocaleScope() {
  if (previous_ != nullptr) uselocale(static_cast<locale_t>(previous_));
}

const CharTables& Tables() {
  if (!gBuilt) Build();
  return gTables;
}

void SetLeadBytesForTesting(const bool* lead) {
  gUseTestLeadBytes = lead != nullptr;
  if (lead != nullptr) std::memcpy(gTestLeadBytes, lead, sizeof gTestLeadBytes);
  Build();
}

Separators LocaleSeparators() {
  UserLocaleScope userLocale;
  const std::lconv* conv = std::localeconv();
  Separators result;
  result.decimal = ToWindows1252(conv->decimal_point);
  if (result.decimal.empty()) result.decimal = ".";
  result.thousands = ToWindows1252(conv->thousands_sep);
  if (result.thousands.empty()) result.thousands = result.decimal == "," ? "." : ",";
  return result;
}

}  // namespace string_internal
