// RadioButton: a native radio button whose Value the runtime keeps in step with the native
// check state. Becoming set raises "Action" once (not re-entered) and notifies the set
// listeners; becoming clear notifies the clear listeners and raises nothing.
// Entry points: RadioButtonCreatePane, radioCaption*, radioValue* (runtime/entries/lists/ui.def).
#pragma once
#include <cstdint>

#include "runtime/entries/entry.h"
#include "runtime/ui/stdcontrolobjects.h"
#include "runtime/ui/stdnativepane.h"

class RadioButtonPane : public StdNativePane {
 public:
  RadioButtonPane();

  bool PreFilter(HWND child, UINT message, WPARAM wParam, LPARAM lParam) override;
  LRESULT Command(int32_t code) override;
  void GotFocus() override;
  void LostFocus() override;

  bool Checked() const;
  void SetChecked(bool checked);
  // The native button reports that it became set or clear.
  void BecameSet();
  void BecameClear();

 protected:
  EventDeclaration* MouseDownEvent() const override;
  EventDeclaration* MouseUpEvent() const override;
};

// After a font property changed: a live pane gets a new native font.
void ApplyRadioButtonFont(RadioButtonObject* radio);

AMX_ENTRY void RadioButtonCreatePane(ObjectHeader* control) noexcept;
