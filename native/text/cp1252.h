// Conversion between the runtime's Windows-1252 byte strings and the UTF-8 text of the
// toolkit and of script files. Entry points: Cp1252ToUtf8, Utf8ToCp1252.
#pragma once

#include <string>
#include <string_view>

namespace native {

// Every byte has a UTF-8 form; the five bytes that Windows-1252 leaves undefined (0x81, 0x8D,
// 0x8F, 0x90, 0x9D) pass through as the C1 controls of the same number.
std::string Cp1252ToUtf8(std::string_view bytes);

// Characters that Windows-1252 cannot hold, and malformed UTF-8 sequences, become '?'.
std::string Utf8ToCp1252(std::string_view utf8);

}  // namespace native
