// RadioButton: the CreatePane handler, the pane that keeps Value in step with the native
// check state (Action once on becoming set, none on becoming clear), its mouse and focus
// events, and the Caption/Value accessors. Entry points: RadioButtonCreatePane, radioCaption*,
// radioValueGetter, radioValueSetter.
#include "runtime/ui/radiobutton.h"

#include "runtime/entries/entries.h"
#include "runtime/exceptions/imagecall.h"
#include "runtime/objects/builtinclasses.h"
#include "runtime/objects/objects.h"
#include "runtime/objects/strings.h"
#include "runtime/ui/fontmapping.h"
#include "runtime/ui/stdcontrols.h"
#include "runtime/ui/viewwindow.h"

using stdcontrols::PaneOf;
using stdcontrols::RadioButtonOf;
using stdcontrols::RaiseControlEvent;

namespace {

RadioButtonObject* RadioObjectOf(const Pane* pane) {
  return pane != nullptr ? RadioButtonOf(pane->control) : nullptr;
}

// The window's radio buttons form one group (the native buttons carry no group marks): a
// button checked by the application clears the others, as a click would.
void ClearOtherRadios(RadioButtonPane* checked) {
  if (checked->owner == nullptr) return;
  for (Pane* pane = checked->owner->panes; pane != nullptr; pane = pane->next) {
    auto* other = dynamic_cast<RadioButtonPane*>(pane);
    if (other != nullptr && other != checked && other->Checked()) other->SetChecked(false);
  }
}

}  // namespace

// ---- RadioButtonPane ----------------------------------------------------------------------

RadioButtonPane::RadioButtonPane() { name = "RadioButton"; }

bool RadioButtonPane::Checked() const {
  return hwnd != nullptr && SendMessageA(hwnd, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void RadioButtonPane::SetChecked(bool checked) {
  if (hwnd != nullptr) SendMessageA(hwnd, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

void RadioButtonPane::BecameSet() {
  RadioButtonObject* radio = RadioObjectOf(this);
  if (radio == nullptr) return;
  radio->value = Checked() ? 1 : 0;
  if (radio->inAction != 0) return;
  ObjectHeader* control = LockObject(&radio->base.header);
  radio->inAction = 1;
  RaiseControlEvent(this, AMX_BUILTIN_EVENT(RadioButton, Action));
  stdcontrols::NotifyActionListeners(radio->setListeners, control);
  radio->inAction = 0;
  UnlockObject(control);
}

void RadioButtonPane::BecameClear() {
  RadioButtonObject* radio = RadioObjectOf(this);
  if (radio == nullptr) return;
  radio->value = Checked() ? 1 : 0;
  stdcontrols::NotifyActionListeners(radio->clearListeners, &radio->base.header);
}

EventDeclaration* RadioButtonPane::MouseDownEvent() const {
  return AMX_BUILTIN_EVENT(RadioButton, MouseDown);
}

EventDeclaration* RadioButtonPane::MouseUpEvent() const {
  return AMX_BUILTIN_EVENT(RadioButton, MouseUp);
}

// Unchecking reaches the button as BM_SETCHECK (from a click on another button of the group
// or from the application); a press that a MouseDown handler claims never reaches the native
// button, and its release raises MouseUp.
bool RadioButtonPane::PreFilter(HWND child, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case BM_SETCHECK: {
      bool was = Checked();
      CallWindowProcA(PreviousProcedure(), child, message, wParam, lParam);
      if (was && !Checked()) BecameClear();
      return true;
    }
    default:
      return FilterClaimedPress(child, message, wParam, lParam);
  }
}

LRESULT RadioButtonPane::Command(int32_t code) {
  if (code == BN_CLICKED && Checked()) BecameSet();
  return 0;
}

void RadioButtonPane::GotFocus() {
  if (owner != nullptr) owner->focusPane = this;
  RaiseControlEvent(this, AMX_BUILTIN_EVENT(RadioButton, GotFocus));
}

void RadioButtonPane::LostFocus() {
  RaiseControlEvent(this, AMX_BUILTIN_EVENT(RadioButton, LostFocus));
}

// ---- CreatePane and accessors -------------------------------------------------------------

AMX_ENTRY void RadioButtonCreatePane(ObjectHeader* control) noexcept {
  RadioButtonObject* radio = RadioButtonOf(control);
  if (radio == nullptr || radio->base.pane != nullptr) return;
  auto* pane = new RadioButtonPane();
  stdcontrols::LinkControlPane(&radio->base, pane);
  std::string caption = stdcontrols::TextOf(radio->caption);
  pane->Create(radio->base.viewWindow, "BUTTON", caption.c_str(),
               stdcontrols::StateStyle(radio->base) | WS_TABSTOP | BS_AUTORADIOBUTTON | BS_NOTIFY,
               0, radio->base.bounds);
  pane->SetFont(CreateControlFont(FontOfRecord(radio->font)));
  if (radio->value != 0) pane->SetChecked(true);
  if (radio->base.enabled == 0) pane->ChangeState(kPaneDisable);
}

void ApplyRadioButtonFont(RadioButtonObject* radio) {
  if (RadioButtonPane* pane = PaneOf<RadioButtonPane>(radio)) {
    pane->SetFont(CreateControlFont(FontOfRecord(radio->font)));
  }
}

AMX_ENTRY StringRecord* radioCaptionGetter(ObjectHeader* control, int32_t /*parameter*/) noexcept {
  RadioButtonObject* radio = RadioButtonOf(control);
  return radio != nullptr ? LockString(radio->caption) : nullptr;
}

AMX_ENTRY void radioCaptionSetter(ObjectHeader* control, int32_t /*parameter*/,
                                  StringRecord* text) noexcept {
  RadioButtonObject* radio = RadioButtonOf(control);
  if (radio == nullptr) return;
  stdcontrols::StoreString(&radio->caption, text);
  RadioButtonPane* pane = PaneOf<RadioButtonPane>(radio);
  if (pane != nullptr && pane->hwnd != nullptr) SetWindowTextA(pane->hwnd, StringText(text));
}

AMX_ENTRY ImageBool radioValueGetter(ObjectHeader* control) noexcept {
  RadioButtonObject* radio = RadioButtonOf(control);
  return radio != nullptr ? radio->value : 0;
}

AMX_ENTRY void radioValueSetter(ObjectHeader* control, int32_t /*parameter*/,
                                ImageBool value) noexcept {
  RadioButtonObject* radio = RadioButtonOf(control);
  if (radio == nullptr) return;
  bool checked = value != 0;
  if (RadioButtonPane* pane = PaneOf<RadioButtonPane>(radio)) {
    pane->SetChecked(checked);
    if (checked) ClearOtherRadios(pane);
  }
  radio->value = checked ? 1 : 0;
}
