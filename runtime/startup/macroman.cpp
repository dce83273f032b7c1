// MacRomanToWindows1252: the project stores its texts (messages, caption) in Mac Roman; the
// runtime works in Windows-1252 bytes. Bytes below 0x80 are the same in both.
#include "native/text/macroman.h"
#include "runtime/objects/stringencoding.h"
#include "runtime/startup/projectsettings.h"

std::string MacRomanToWindows1252(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    uint8_t byte = static_cast<uint8_t>(c);
    if (byte < 0x80) {
      out.push_back(c);
      continue;
    }
    uint8_t converted = 0;
    if (!UnicodeToWindows1252(native::MacRomanToUnicode(byte), &converted)) converted = '?';
    out.push_back(static_cast<char>(converted));
  }
  return out;
}
