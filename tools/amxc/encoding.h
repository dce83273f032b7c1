// Text encodings of the image: string literals are stored in Windows-1252 bytes, the texts
// of the project-settings stream in Mac Roman bytes. Entry points: ToWindows1252, ToMacRoman.
#pragma once
#include <optional>
#include <string>
#include <string_view>

namespace amxc {

// The bytes of a UTF-8 text in the code page; nullopt when the text is not valid UTF-8 or
// holds a character the code page has no byte for (badChar then names it, e.g. "U+2603").
std::optional<std::string> ToWindows1252(std::string_view utf8, std::string* badChar = nullptr);
std::optional<std::string> ToMacRoman(std::string_view utf8, std::string* badChar = nullptr);

}  // namespace amxc
