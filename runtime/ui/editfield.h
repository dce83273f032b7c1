// EditField: a native rich-edit field, single- or multi-line, with read-only, password,
// colour, font and length-limit settings taken from its fields when the pane is created and
// whenever a setter changes them; Text reads what the user sees while the pane lives.
// Entry points: EditFieldCreatePane, the edit* accessors (runtime/entries/lists/ui.def),
// EditFieldStyle, UnsupportedStyleMessage.
#pragma once
#include <cstdint>
#include <string>

#include "runtime/entries/entry.h"
#include "runtime/ui/stdcontrolobjects.h"
#include "runtime/ui/stdnativepane.h"

// The native window style and extended style of an edit field's settings.
struct EditFieldStyle {
  DWORD style;
  DWORD exStyle;
};
EditFieldStyle EditFieldStyleOf(const EditFieldObject& field);

// Selection styles the system's text fields cannot show (selectors of editSelStyleSetter).
enum SelStyle : int32_t {
  kSelBold = 0,
  kSelUnderline = 1,
  kSelItalic = 2,
  kSelOutline = 3,
  kSelShadow = 4,
  kSelCondense = 5,
  kSelExtend = 6,
  kSelPlain = 7,
};
// The warning shown when an unsupported style is set True; nil for supported styles.
const char* UnsupportedStyleMessage(int32_t selector);

class EditFieldPane : public StdNativePane {
 public:
  EditFieldPane();

  bool PreFilter(HWND child, UINT message, WPARAM wParam, LPARAM lParam) override;
  LRESULT Command(int32_t code) override;
  bool KeyDown(const MSG& message) override;
  void GotFocus() override;
  void LostFocus() override;

  std::string Text() const;
  void SetText(const std::string& text);
  void ApplyFont(const ControlFont& font, int32_t textRgb);
  void SetBackColor(int32_t rgb);
  void SetReadOnly(bool readOnly);
  void SetPassword(bool password);
  void SetLimit(int32_t limit);
  void SetAcceptTabs(bool acceptTabs) { acceptTabs_ = acceptTabs; }
  bool AcceptTabs() const { return acceptTabs_; }
  void SetUseFocusRing(bool useFocusRing) { useFocusRing_ = useFocusRing; }
  bool MultiLine() const;

 protected:
  EventDeclaration* MouseDownEvent() const override;
  EventDeclaration* MouseUpEvent() const override;

 private:
  bool acceptTabs_ = false;
  bool useFocusRing_ = false;
};

// The Key text of a key press for "KeyDown": its character, or the language's code of an
// editing key (arrows 28..31, Delete 127, ...); empty for keys without one.
std::string KeyTextOf(const MSG& message);

// After a font or text colour change: a live pane applies the font to all its text.
void ApplyEditFieldFont(EditFieldObject* field);

AMX_ENTRY void EditFieldCreatePane(ObjectHeader* control) noexcept;
