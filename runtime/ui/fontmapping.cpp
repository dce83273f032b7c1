// Font names and native fonts of the standard controls: MapFontName turns the names a
// project carries from its design-time platform into the system's, CreateControlFont and
// RichEditCharFormat build what the native buttons, labels and edit fields take.
#include "runtime/ui/fontmapping.h"

#include <cstring>

#include "runtime/objects/strings.h"

namespace {

struct FontAlias {
  const char* from;
  const char* to;
};

constexpr FontAlias kAliases[] = {
    {"System", "MS Sans Serif"},  {"Application", "MS Sans Serif"},
    {"Geneva", "MS Sans Serif"},  {"Courier", "Courier New"},
    {"Times", "Times New Roman"}, {"Helvetica", "Arial"},
    {"Osaka", "MS UI Gothic"},
};

// The native unit of a rich-edit height per point of TextSize.
constexpr LONG kRichEditUnitsPerPoint = 15;

bool EqualIgnoringCase(std::string_view a, const char* b) {
  return CompareNames(a.data(), static_cast<int32_t>(a.size()), b,
                      static_cast<int32_t>(std::strlen(b))) == 0;
}

// Copies at most size - 1 characters and terminates.
void CopyFace(char* to, size_t size, const std::string& from) {
  size_t n = from.size() < size - 1 ? from.size() : size - 1;
  std::memcpy(to, from.data(), n);
  to[n] = 0;
}

}  // namespace

std::string MapFontName(std::string_view name) {
  for (const FontAlias& alias : kAliases) {
    if (EqualIgnoringCase(name, alias.from)) return alias.to;
  }
  return std::string(name);
}

ControlFont FontOfRecord(const FontRecord& record) {
  ControlFont wanted;
  wanted.name = std::string(StringView(record.name));
  wanted.size = record.size;
  wanted.bold = record.bold != 0;
  wanted.italic = record.italic != 0;
  wanted.underline = record.underline != 0;
  return wanted;
}

HFONT CreateControlFont(const ControlFont& wanted) {
  LOGFONTA font{};
  // Points at the screen's 96 dots per inch; a negative height asks for the character height.
  font.lfHeight = wanted.size > 0 ? -((wanted.size * 96 + 36) / 72) : 0;
  font.lfWeight = wanted.bold ? FW_BOLD : FW_NORMAL;
  font.lfItalic = wanted.italic ? 1 : 0;
  font.lfUnderline = wanted.underline ? 1 : 0;
  font.lfCharSet = DEFAULT_CHARSET;
  CopyFace(font.lfFaceName, sizeof(font.lfFaceName), MapFontName(wanted.name));
  return CreateFontIndirectA(&font);
}

CHARFORMATA RichEditCharFormat(const ControlFont& wanted, COLORREF textColor) {
  CHARFORMATA format{};
  format.cbSize = sizeof(format);
  format.dwMask = CFM_FACE | CFM_SIZE | CFM_BOLD | CFM_ITALIC | CFM_UNDERLINE | CFM_CHARSET |
                  CFM_COLOR;
  format.dwEffects = (wanted.bold ? CFE_BOLD : 0) | (wanted.italic ? CFE_ITALIC : 0) |
                     (wanted.underline ? CFE_UNDERLINE : 0);
  format.yHeight = wanted.size * kRichEditUnitsPerPoint;
  format.crTextColor = textColor;
  format.bCharSet = DEFAULT_CHARSET;
  CopyFace(format.szFaceName, sizeof(format.szFaceName), MapFontName(wanted.name));
  return format;
}
