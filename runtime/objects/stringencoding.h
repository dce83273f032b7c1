// Conversions between the runtime's Windows-1252 bytes and the UTF-8 (or UCS) text of the
// platform. Text is converted only where it leaves or enters the runtime: window titles,
// control text, file names, the command line.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

// The code point of a Windows-1252 byte. The five bytes the code page leaves undefined
// (0x81, 0x8D, 0x8F, 0x90, 0x9D) stand for the C1 controls of the same value, so every
// byte survives a round trip through UTF-8.
char32_t Windows1252ToUnicode(uint8_t byte);
// The Windows-1252 byte of a code point; false when the code page has none.
bool UnicodeToWindows1252(char32_t code, uint8_t* byte);

std::string Windows1252ToUtf8(std::string_view text);
// Characters the code page cannot hold, and malformed UTF-8, become "?".
std::string Utf8ToWindows1252(std::string_view utf8);
