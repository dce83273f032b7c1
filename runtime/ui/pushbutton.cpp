// PushButton: the CreatePane handler, the pane's click sequence (MouseDown claims the press,
// MouseUp, then Action only for an unclaimed click), the choice of the one native default
// button of a window, the cancel button, and the Caption/Default/Cancel accessors.
// Entry points: PushButtonCreatePane, pushButtonTitle*, pushButtonDefaultSetter,
// pushButtonCancelSetter, UpdateDefaultButton.
#include "runtime/ui/pushbutton.h"

#include "runtime/entries/entries.h"
#include "runtime/exceptions/imagecall.h"
#include "runtime/objects/builtinclasses.h"
#include "runtime/objects/objects.h"
#include "runtime/objects/strings.h"
#include "runtime/ui/fontmapping.h"
#include "runtime/ui/stdcontrols.h"
#include "runtime/ui/viewwindow.h"

using stdcontrols::PaneOf;
using stdcontrols::PushButtonOf;
using stdcontrols::RaiseControlEvent;

namespace {

PushButtonObject* ButtonObjectOf(const Pane* pane) {
  return pane != nullptr ? PushButtonOf(pane->control) : nullptr;
}

std::vector<PushButtonPane*> ButtonsOf(RuntimeViewWindow* window) {
  std::vector<PushButtonPane*> buttons;
  if (window == nullptr) return buttons;
  for (Pane* pane = window->panes; pane != nullptr; pane = pane->next) {
    if (auto* button = dynamic_cast<PushButtonPane*>(pane)) buttons.push_back(button);
  }
  return buttons;
}

bool HasFocus(const PushButtonPane* button) {
  return button->hwnd != nullptr && GetFocus() == button->hwnd;
}

}  // namespace

// ---- PushButtonPane ---------------------------------------------------------------------

PushButtonPane::PushButtonPane() { name = "PushButton"; }

EventDeclaration* PushButtonPane::MouseDownEvent() const {
  return AMX_BUILTIN_EVENT(PushButton, MouseDown);
}

EventDeclaration* PushButtonPane::MouseUpEvent() const {
  return AMX_BUILTIN_EVENT(PushButton, MouseUp);
}

// A claimed press: MouseUp decides whether the click still counts (False lets it act).
void PushButtonPane::MouseUpAt(int32_t x, int32_t y) {
  if (!pressClaimed_) return;
  bool alive = true;
  bool claimed = RaiseMouseUp(x, y, &alive);
  if (!alive) return;
  pressClaimed_ = claimed;
  bool inside = x >= 0 && y >= 0 && x < bounds.Width() && y < bounds.Height();
  if (!inside) pressClaimed_ = false;
}

// Messages of the native button before it sees them: presses (which go on to the button)
// and releases drive the click sequence, focus changes raise the events.
bool PushButtonPane::PreFilter(HWND child, UINT message, WPARAM wParam, LPARAM lParam) {
  int32_t x = GET_X_LPARAM(lParam);
  int32_t y = GET_Y_LPARAM(lParam);
  switch (message) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      return !ReportPress(child, message, wParam, lParam);
    case WM_LBUTTONUP:
      if (GetCapture() == child) MouseUpAt(x, y);
      return !IsWindow(child);
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
      return ReportFocus(child, message);
    default:
      return NativeControlPane::PreFilter(child, message, wParam, lParam);
  }
}

LRESULT PushButtonPane::Command(int32_t code) {
  if (code == BN_CLICKED) Clicked();
  return 0;
}

// The native click: an unclaimed one notifies the listeners, then raises Action.
void PushButtonPane::Clicked() {
  bool claimed = pressClaimed_;
  pressClaimed_ = false;
  if (claimed) return;
  PushButtonObject* button = ButtonObjectOf(this);
  if (button == nullptr) return;
  ObjectHeader* control = LockObject(&button->base.header);
  stdcontrols::NotifyActionListeners(button->listeners, control);
  if (button->base.pane == this) RaiseControlEvent(this, AMX_BUILTIN_EVENT(PushButton, Action));
  UnlockObject(control);
}

void PushButtonPane::GotFocus() {
  if (owner != nullptr) owner->focusPane = this;
  UpdateDefaultButton(owner);
  RaiseControlEvent(this, AMX_BUILTIN_EVENT(PushButton, GotFocus));
}

void PushButtonPane::LostFocus() {
  stdcontrols::RaiseResult outcome =
      RaiseControlEvent(this, AMX_BUILTIN_EVENT(PushButton, LostFocus));
  if (outcome.paneAlive && owner != nullptr) UpdateDefaultButton(owner);
}

void PushButtonPane::ShowAsDefault(bool isDefault) {
  if (hwnd == nullptr || ShownAsDefault() == isDefault) return;
  SendMessageA(hwnd, BM_SETSTYLE, isDefault ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON, TRUE);
}

bool PushButtonPane::ShownAsDefault() const {
  if (hwnd == nullptr) return false;
  return (static_cast<DWORD>(GetWindowLongA(hwnd, GWL_STYLE)) & BS_TYPEMASK) == BS_DEFPUSHBUTTON;
}

bool PushButtonPane::QualifiesAsDefault() const {
  PushButtonObject* button = ButtonObjectOf(this);
  return button != nullptr && button->isDefault != 0 && visible && enabled;
}

bool PushButtonPane::QualifiesAsCancel() const {
  PushButtonObject* button = ButtonObjectOf(this);
  return button != nullptr && button->isCancel != 0 && visible && enabled;
}

// ---- The window's default and cancel buttons ----------------------------------------------

int32_t ChooseDefaultButton(const std::vector<DefaultCandidate>& buttons, int32_t preferred) {
  const auto count = static_cast<int32_t>(buttons.size());
  for (int32_t i = 0; i < count; ++i) {
    if (buttons[i].focused) return i;
  }
  if (preferred >= 0 && preferred < count && buttons[preferred].qualifies) return preferred;
  for (int32_t i = 0; i < count; ++i) {
    if (buttons[i].qualifies) return i;
  }
  return -1;
}

void UpdateDefaultButton(RuntimeViewWindow* window, PushButtonPane* preferred) {
  std::vector<PushButtonPane*> buttons = ButtonsOf(window);
  std::vector<DefaultCandidate> candidates;
  int32_t preferredIndex = -1;
  for (size_t i = 0; i < buttons.size(); ++i) {
    candidates.push_back(DefaultCandidate{HasFocus(buttons[i]), buttons[i]->QualifiesAsDefault()});
    // Without a new preference the button already shown keeps the style.
    bool isPreferred =
        preferred != nullptr ? buttons[i] == preferred : buttons[i]->ShownAsDefault();
    if (isPreferred && preferredIndex < 0) preferredIndex = static_cast<int32_t>(i);
  }
  int32_t chosen = ChooseDefaultButton(candidates, preferredIndex);
  for (size_t i = 0; i < buttons.size(); ++i) {
    buttons[i]->ShowAsDefault(static_cast<int32_t>(i) == chosen);
  }
}

PushButtonPane* DefaultButtonOf(RuntimeViewWindow* window) {
  for (PushButtonPane* button : ButtonsOf(window)) {
    if (button->ShownAsDefault()) return button;
  }
  return nullptr;
}

PushButtonPane* CancelButtonOf(RuntimeViewWindow* window) {
  for (PushButtonPane* button : ButtonsOf(window)) {
    if (button->QualifiesAsCancel()) return button;
  }
  return nullptr;
}

void PressButton(PushButtonPane* button) {
  if (button == nullptr || !button->visible || !button->enabled) return;
  if (button->hwnd != nullptr) {
    SendMessageA(button->hwnd, BM_CLICK, 0, 0);
  } else {
    button->Command(BN_CLICKED);
  }
}

// ---- CreatePane and accessors -------------------------------------------------------------

AMX_ENTRY void PushButtonCreatePane(ObjectHeader* control) noexcept {
  PushButtonObject* button = PushButtonOf(control);
  if (button == nullptr || button->base.pane != nullptr) return;
  auto* pane = new PushButtonPane();
  stdcontrols::LinkControlPane(&button->base, pane);
  std::string caption = stdcontrols::TextOf(button->caption);
  if (!pane->Create(button->base.viewWindow, "BUTTON", caption.c_str(),
                    stdcontrols::StateStyle(button->base) | WS_TABSTOP | BS_PUSHBUTTON, 0,
                    button->base.bounds)) {
    delete pane;  // no native window to put it in: the control stays without pane
    return;
  }
  pane->SetFont(CreateControlFont(FontOfRecord(button->font)));
  if (button->isDefault != 0) UpdateDefaultButton(pane->owner, pane);
  if (button->base.enabled == 0) pane->ChangeState(kPaneDisable);
}

AMX_ENTRY StringRecord* pushButtonTitleGetter(ObjectHeader* control) noexcept {
  PushButtonObject* button = PushButtonOf(control);
  return button != nullptr ? LockString(button->caption) : nullptr;
}

AMX_ENTRY void pushButtonTitleSetter(ObjectHeader* control, int32_t /*parameter*/,
                                     StringRecord* text) noexcept {
  PushButtonObject* button = PushButtonOf(control);
  if (button == nullptr) return;
  stdcontrols::StoreString(&button->caption, text);
  PushButtonPane* pane = PaneOf<PushButtonPane>(button);
  if (pane != nullptr && pane->hwnd != nullptr) SetWindowTextA(pane->hwnd, StringText(text));
}

AMX_ENTRY void pushButtonDefaultSetter(ObjectHeader* control, int32_t /*parameter*/,
                                       ImageBool value) noexcept {
  PushButtonObject* button = PushButtonOf(control);
  if (button == nullptr) return;
  button->isDefault = value != 0 ? 1 : 0;
  if (PushButtonPane* pane = PaneOf<PushButtonPane>(button)) {
    UpdateDefaultButton(pane->owner, value != 0 ? pane : nullptr);
  }
}

AMX_ENTRY void pushButtonCancelSetter(ObjectHeader* control, int32_t /*parameter*/,
                                      ImageBool value) noexcept {
  PushButtonObject* button = PushButtonOf(control);
  if (button == nullptr) return;
  button->isCancel = value != 0 ? 1 : 0;  // CancelButtonOf reads it when Escape is pressed
}

void ApplyPushButtonFont(PushButtonObject* button) {
  if (PushButtonPane* pane = PaneOf<PushButtonPane>(button)) {
    pane->SetFont(CreateControlFont(FontOfRecord(button->font)));
  }
}
