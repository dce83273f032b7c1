// Fonts of the standard controls on their way to the native layer: the mapping of the
// design-time font names to the system's ("Helvetica" -> "Arial"), the native font object of
// a button or label, and the rich-edit character format of an edit field.
// Entry points: MapFontName, CreateControlFont, RichEditCharFormat.
#pragma once
#include <string>
#include <string_view>

#include "native/win32.h"
#include "runtime/ui/stdcontrolobjects.h"

// The system font name a design-time name stands for (compared ignoring case); any other
// name unchanged.
std::string MapFontName(std::string_view name);

// The font a FontRecord describes (PushButton, EditField, RadioButton).
ControlFont FontOfRecord(const FontRecord& record);

// A new native font of that description (mapped name; size in points, 0 = the default
// height). The caller owns it (DeleteObject).
HFONT CreateControlFont(const ControlFont& wanted);

// The rich-edit format that applies the font to all text: face (at most 31 characters), size
// x 15, bold, italic and underline effects, the runtime's character set, and the colour.
CHARFORMATA RichEditCharFormat(const ControlFont& wanted, COLORREF textColor);
