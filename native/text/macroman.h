// The Mac Roman code page, in which the project settings store their texts (messages, the
// application caption). Entry points: MacRomanToUnicode, UnicodeToMacRoman.
#pragma once

#include <cstdint>

namespace native {

// Bytes below 0x80 are ASCII; every byte has a code point.
char32_t MacRomanToUnicode(uint8_t byte);
// The Mac Roman byte of a code point; false when the code page has none.
bool UnicodeToMacRoman(char32_t code, uint8_t* byte);

}  // namespace native
