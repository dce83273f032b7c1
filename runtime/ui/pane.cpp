// The defaults of every Pane operation (a pane overrides what its control uses), the pane's
// own clean-up when it goes away, and finding the pane behind a native window. Entry
// points: Pane's operations, PaneFromNativeWindow.
#include "runtime/ui/pane.h"

#include "runtime/objects/strings.h"
#include "runtime/ui/controlobject.h"
#include "runtime/ui/viewwindow.h"

namespace {

void ReplaceText(StringRecord** slot, StringRecord* text) {
  StringRecord* old = *slot;
  *slot = LockString(text);
  UnlockString(old);
}

bool IsRuntimeClassWindow(HWND hwnd) {
  char name[32] = {};
  GetClassNameA(hwnd, name, sizeof(name));
  return CompareNamesZ(name, "KTWindow") == 0 || CompareNamesZ(name, "KT_Pane") == 0 ||
         CompareNamesZ(name, "KT_MDICHILD") == 0;
}

}  // namespace

// A pane that goes away leaves no window list, control or capture pointing at it.
Pane::~Pane() {
  if (owner != nullptr) {
    for (Pane** link = &owner->panes; *link != nullptr; link = &(*link)->next) {
      if (*link == this) {
        *link = next;
        break;
      }
    }
    if (owner->focusPane == this) owner->focusPane = nullptr;
  }
  if (control != nullptr && AsControl(control)->pane == this) AsControl(control)->pane = nullptr;
  control = nullptr;
  if (CapturePane() == this) SetCapturePane(nullptr);
  UnlockString(helpTag);
  UnlockString(balloonHelp);
  UnlockString(disabledBalloonHelp);
  helpTag = balloonHelp = disabledBalloonHelp = nullptr;
}

void Pane::SetBounds(const Rect16& newBounds, bool redraw) {
  bounds = newBounds;
  if (hwnd != nullptr) {
    MoveWindow(hwnd, bounds.left, bounds.top, bounds.Width(), bounds.Height(), redraw);
  }
}

void Pane::ChangeState(int32_t code) {
  switch (code) {
    case kPaneEnable:
    case kPaneDisable:
      enabled = code == kPaneEnable;
      if (hwnd != nullptr) EnableWindow(hwnd, enabled);
      break;
    case kPaneShow:
    case kPaneHide:
      visible = code == kPaneShow;
      if (hwnd != nullptr) ShowWindow(hwnd, visible ? SW_SHOWNA : SW_HIDE);
      break;
    default:
      break;  // activation changes: nothing to do for a plain pane
  }
}

void Pane::Invalidate() {
  if (hwnd != nullptr) InvalidateRect(hwnd, nullptr, TRUE);
}

void Pane::UpdateNow() {
  if (hwnd != nullptr) UpdateWindow(hwnd);
}

bool Pane::AcceptFocus() { return false; }

bool Pane::MouseDown(int32_t, int32_t, int32_t) { return false; }

void Pane::SetHelpTag(StringRecord* text) { ReplaceText(&helpTag, text); }
void Pane::SetBalloonHelp(StringRecord* text) { ReplaceText(&balloonHelp, text); }
void Pane::SetDisabledBalloonHelp(StringRecord* text) {
  ReplaceText(&disabledBalloonHelp, text);
}
void Pane::SetCursor(HCURSOR newCursor) { cursor = newCursor; }

Pane* PaneFromNativeWindow(HWND hwnd) {
  if (hwnd == nullptr || !IsWindow(hwnd)) return nullptr;
  if (auto* pane = static_cast<Pane*>(GetPropA(hwnd, "KTInstance"))) return pane;
  if (!IsRuntimeClassWindow(hwnd)) return nullptr;
  return reinterpret_cast<Pane*>(static_cast<intptr_t>(GetWindowLongA(hwnd, 0)));
}
