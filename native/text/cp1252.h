// Conversion between the Windows-1252 bytes the runtime's strings hold and the UTF-8 text of
// the toolkit, script files and sources. The runtime's string layer (stringencoding.h) and
// the compiler build on these. Entry points: Cp1252ToUtf8, Utf8ToCp1252.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace native {

// The code point of a Windows-1252 byte. The five bytes the code page leaves undefined
// (0x81, 0x8D, 0x8F, 0x90, 0x9D) stand for the C1 controls of the same value, so every byte
// survives a round trip through UTF-8.
char32_t Cp1252ToUnicode(uint8_t byte);
// The Windows-1252 byte of a code point; false when the code page has none.
bool UnicodeToCp1252(char32_t code, uint8_t* byte);

std::string Cp1252ToUtf8(std::string_view bytes);
// Characters that Windows-1252 cannot hold, and malformed UTF-8 sequences, become '?'.
std::string Utf8ToCp1252(std::string_view utf8);

// UTF-8 primitives. DecodeUtf8 reads one sequence at text[*pos] and advances *pos; malformed
// input (stray continuation bytes, truncated or overlong sequences, surrogates) consumes one
// byte and gives false.
bool DecodeUtf8(std::string_view text, size_t* pos, char32_t* code);
void AppendUtf8(std::string& out, char32_t code);

}  // namespace native
