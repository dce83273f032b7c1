// The layouts of the four standard control objects: StaticText (128 bytes), PushButton (120),
// EditField (148) and RadioButton (124). Each starts with ControlObject; property accessors
// in runtime/objects/builtins/stdcontrols.def address their fields by byte offset, so every
// offset is asserted. ControlFont is the one form the font of any of them takes on its way to
// the native layer.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

#include "runtime/objects/object.h"
#include "runtime/objects/string.h"
#include "runtime/ui/controlobject.h"

// TextFont, TextSize, Bold, Italic, Underline of PushButton, EditField and RadioButton.
struct FontRecord {
  StringRecord* name;  // TextFont (counted)
  int16_t size;        // TextSize in points; 0 = the default size
  uint8_t bold;
  uint8_t italic;
  uint8_t underline;
  uint8_t pad[3];
};
static_assert(sizeof(FontRecord) == 12);
static_assert(offsetof(FontRecord, size) == 4);
static_assert(offsetof(FontRecord, bold) == 6);
static_assert(offsetof(FontRecord, italic) == 7);
static_assert(offsetof(FontRecord, underline) == 8);

// A receiver notified when a button acts (registered by the runtime, in registration order).
struct ActionListener {
  void (*notify)(void* context, ObjectHeader* control);
  void* context;
  ActionListener* next;
};

struct StaticTextObject {
  ControlObject base;
  StringRecord* fontName;  // TextFont
  uint8_t bold;
  uint8_t italic;
  uint8_t underline;
  uint8_t pad1;
  int16_t fontSize;        // TextSize
  uint8_t pad2[2];
  StringRecord* text;      // Text, Caption
  int16_t textAlign;       // 0 left, 1 centred, 2 right
  uint8_t pad3[2];
  int32_t textColor;       // 0x00RRGGBB
  uint8_t multiLine;
  uint8_t pad4[3];
  StringRecord* dataSource;
  StringRecord* dataField;
};
static_assert(sizeof(StaticTextObject) == 128);
static_assert(offsetof(StaticTextObject, fontName) == 92);
static_assert(offsetof(StaticTextObject, bold) == 96);
static_assert(offsetof(StaticTextObject, italic) == 97);
static_assert(offsetof(StaticTextObject, underline) == 98);
static_assert(offsetof(StaticTextObject, fontSize) == 100);
static_assert(offsetof(StaticTextObject, text) == 104);
static_assert(offsetof(StaticTextObject, textAlign) == 108);
static_assert(offsetof(StaticTextObject, textColor) == 112);
static_assert(offsetof(StaticTextObject, multiLine) == 116);
static_assert(offsetof(StaticTextObject, dataSource) == 120);
static_assert(offsetof(StaticTextObject, dataField) == 124);

struct PushButtonObject {
  ControlObject base;
  StringRecord* caption;   // Caption
  void* eventSink;         // unused: the pane raises the control's events itself
  FontRecord font;
  uint8_t isDefault;       // Default
  uint8_t isCancel;        // Cancel
  uint8_t pad[2];
  ActionListener* listeners;  // registration order
};
static_assert(sizeof(PushButtonObject) == 120);
static_assert(offsetof(PushButtonObject, caption) == 92);
static_assert(offsetof(PushButtonObject, eventSink) == 96);
static_assert(offsetof(PushButtonObject, font) == 100);
static_assert(offsetof(PushButtonObject, isDefault) == 112);
static_assert(offsetof(PushButtonObject, isCancel) == 113);
static_assert(offsetof(PushButtonObject, listeners) == 116);

struct EditFieldObject {
  ControlObject base;
  StringRecord* dataField;  // DataField
  FontRecord font;
  void* eventSink;          // unused: the pane raises the control's events itself
  uint8_t border;
  uint8_t multiLine;
  uint8_t scrollBar;
  uint8_t readOnly;
  StringRecord* text;       // as last set by the application
  int32_t limit;            // LimitText, 0 = none
  int32_t backColor;        // 0x00RRGGBB
  int32_t textColor;        // 0x00RRGGBB
  uint8_t settingText;      // raised while the runtime itself gives the pane its text
  uint8_t settingLimit;     // raised while the runtime itself gives the pane its limit
  uint8_t password;
  uint8_t styled;
  uint8_t acceptTabs;
  uint8_t liveUpdate;
  uint8_t useFocusRing;
  uint8_t pad;
  StringRecord* dataSource;  // DataSource
  uint32_t reserved;
};
static_assert(sizeof(EditFieldObject) == 148);
static_assert(offsetof(EditFieldObject, dataField) == 92);
static_assert(offsetof(EditFieldObject, font) == 96);
static_assert(offsetof(EditFieldObject, eventSink) == 108);
static_assert(offsetof(EditFieldObject, border) == 112);
static_assert(offsetof(EditFieldObject, multiLine) == 113);
static_assert(offsetof(EditFieldObject, scrollBar) == 114);
static_assert(offsetof(EditFieldObject, readOnly) == 115);
static_assert(offsetof(EditFieldObject, text) == 116);
static_assert(offsetof(EditFieldObject, limit) == 120);
static_assert(offsetof(EditFieldObject, backColor) == 124);
static_assert(offsetof(EditFieldObject, textColor) == 128);
static_assert(offsetof(EditFieldObject, settingText) == 132);
static_assert(offsetof(EditFieldObject, password) == 134);
static_assert(offsetof(EditFieldObject, styled) == 135);
static_assert(offsetof(EditFieldObject, acceptTabs) == 136);
static_assert(offsetof(EditFieldObject, liveUpdate) == 137);
static_assert(offsetof(EditFieldObject, useFocusRing) == 138);
static_assert(offsetof(EditFieldObject, dataSource) == 140);

struct RadioButtonObject {
  ControlObject base;
  StringRecord* caption;   // Caption
  void* eventSink;         // unused: the pane raises the control's events itself
  FontRecord font;
  uint8_t value;           // Value, kept in step with the native check state
  uint8_t inAction;        // re-entrancy flag of the checking notification
  uint8_t pad[2];
  ActionListener* setListeners;    // notified on becoming set
  ActionListener* clearListeners;  // notified on becoming clear
};
static_assert(sizeof(RadioButtonObject) == 124);
static_assert(offsetof(RadioButtonObject, caption) == 92);
static_assert(offsetof(RadioButtonObject, eventSink) == 96);
static_assert(offsetof(RadioButtonObject, font) == 100);
static_assert(offsetof(RadioButtonObject, value) == 112);
static_assert(offsetof(RadioButtonObject, inAction) == 113);
static_assert(offsetof(RadioButtonObject, setListeners) == 116);
static_assert(offsetof(RadioButtonObject, clearListeners) == 120);

// A control's font as the native layer gets it (name still unmapped).
struct ControlFont {
  std::string name;
  int32_t size = 0;
  bool bold = false;
  bool italic = false;
  bool underline = false;
  bool operator==(const ControlFont& o) const {
    return name == o.name && size == o.size && bold == o.bold && italic == o.italic &&
           underline == o.underline;
  }
  bool operator!=(const ControlFont& o) const { return !(*this == o); }
};
