// Conversions between the runtime's Windows-1252 bytes and the UTF-8 (or UCS) text of the
// platform, under the runtime's names. Text is converted only where it leaves or enters the
// runtime: window titles, control text, file names, the command line. The conversions
// themselves live in the native layer (native/text/cp1252.h).
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

#include "native/text/cp1252.h"

// The code point of a Windows-1252 byte; the five undefined bytes stand for the C1 controls
// of the same value, so every byte survives a round trip through UTF-8.
inline char32_t Windows1252ToUnicode(uint8_t byte) { return native::Cp1252ToUnicode(byte); }
// The Windows-1252 byte of a code point; false when the code page has none.
inline bool UnicodeToWindows1252(char32_t code, uint8_t* byte) {
  return native::UnicodeToCp1252(code, byte);
}
inline std::string Windows1252ToUtf8(std::string_view text) { return native::Cp1252ToUtf8(text); }
// Characters the code page cannot hold, and malformed UTF-8, become "?".
inline std::string Utf8ToWindows1252(std::string_view utf8) { return native::Utf8ToCp1252(utf8); }
