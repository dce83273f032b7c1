// The font properties of the four standard controls (TextFont, TextSize, Bold, Italic,
// Underline): the setters store into the control's own fields, then a live pane takes the
// new font. Entry points: textFontSetter, textSizeSetter, textStyleSetter, ApplyFontToPane.
#include "runtime/entries/entries.h"
#include "runtime/objects/strings.h"
#include "runtime/ui/editfield.h"
#include "runtime/ui/pushbutton.h"
#include "runtime/ui/radiobutton.h"
#include "runtime/ui/statictext.h"
#include "runtime/ui/stdcontrols.h"

namespace {

// The font fields of any standard control, or nil for other objects.
struct FontFields {
  StringRecord** name;
  int16_t* size;
  uint8_t* style[3];  // bold, italic, underline
};

bool FontFieldsOf(ObjectHeader* object, FontFields* fields) {
  using namespace stdcontrols;
  if (StaticTextObject* label = StaticTextOf(object)) {
    *fields = FontFields{&label->fontName, &label->fontSize,
                         {&label->bold, &label->italic, &label->underline}};
    return true;
  }
  FontRecord* record = nullptr;
  if (PushButtonObject* button = PushButtonOf(object)) record = &button->font;
  else if (EditFieldObject* field = EditFieldOf(object)) record = &field->font;
  else if (RadioButtonObject* radio = RadioButtonOf(object)) record = &radio->font;
  if (record == nullptr) return false;
  *fields = FontFields{&record->name, &record->size,
                       {&record->bold, &record->italic, &record->underline}};
  return true;
}

}  // namespace

void stdcontrols::ApplyFontToPane(ObjectHeader* object) {
  if (StaticTextObject* label = StaticTextOf(object)) ApplyStaticTextFont(label);
  else if (PushButtonObject* button = PushButtonOf(object)) ApplyPushButtonFont(button);
  else if (EditFieldObject* field = EditFieldOf(object)) ApplyEditFieldFont(field);
  else if (RadioButtonObject* radio = RadioButtonOf(object)) ApplyRadioButtonFont(radio);
}

// The font setters get the byte offset of the field (the getters' parameter as well); an
// offset that is not the object's own field of that kind changes nothing.
namespace {
template <typename Field>
bool IsField(ObjectHeader* object, int32_t offset, const Field* field) {
  const auto* base = reinterpret_cast<const uint8_t*>(object);
  return reinterpret_cast<const uint8_t*>(field) == base + offset;
}
}  // namespace

AMX_ENTRY void textFontSetter(ObjectHeader* control, int32_t offset, StringRecord* name) noexcept {
  FontFields fields;
  if (!FontFieldsOf(control, &fields) || !IsField(control, offset, fields.name)) return;
  stdcontrols::StoreString(fields.name, name);
  stdcontrols::ApplyFontToPane(control);
}

AMX_ENTRY void textSizeSetter(ObjectHeader* control, int32_t offset, int32_t size) noexcept {
  FontFields fields;
  if (!FontFieldsOf(control, &fields) || !IsField(control, offset, fields.size)) return;
  *fields.size = static_cast<int16_t>(size);
  stdcontrols::ApplyFontToPane(control);
}

AMX_ENTRY void textStyleSetter(ObjectHeader* control, int32_t offset, ImageBool value) noexcept {
  FontFields fields;
  if (!FontFieldsOf(control, &fields)) return;
  for (uint8_t* style : fields.style) {
    if (!IsField(control, offset, style)) continue;
    *style = value != 0 ? 1 : 0;
    stdcontrols::ApplyFontToPane(control);
    return;
  }
}

