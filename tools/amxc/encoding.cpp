// Text encodings of the image: UTF-8 source text to the Windows-1252 bytes of string
// literals and the Mac Roman bytes of the settings stream. Entry points: ToWindows1252,
// ToMacRoman.
#include "tools/amxc/encoding.h"

#include <cstdint>
#include <cstdio>

#include "native/text/cp1252.h"
#include "native/text/macroman.h"

namespace amxc {
namespace {

using ByteOf = bool (*)(char32_t code, uint8_t* byte);

std::optional<std::string> Encode(std::string_view utf8, ByteOf byteOf, std::string* badChar) {
  std::string out;
  size_t pos = 0;
  while (pos < utf8.size()) {
    char32_t code = 0;
    if (!native::DecodeUtf8(utf8, &pos, &code)) {
      if (badChar) *badChar = "malformed UTF-8";
      return std::nullopt;
    }
    uint8_t byte = 0;
    if (!byteOf(code, &byte)) {
      if (badChar) {
        char name[16];
        std::snprintf(name, sizeof name, "U+%04X", static_cast<unsigned>(code));
        *badChar = name;
      }
      return std::nullopt;
    }
    out += static_cast<char>(byte);
  }
  return out;
}

}  // namespace

std::optional<std::string> ToWindows1252(std::string_view utf8, std::string* badChar) {
  return Encode(utf8, native::UnicodeToCp1252, badChar);
}

std::optional<std::string> ToMacRoman(std::string_view utf8, std::string* badChar) {
  return Encode(utf8, native::UnicodeToMacRoman, badChar);
}

}  // namespace amxc
