// The native-control pane family: a standard native control as a child of the owner's
// window, taken over through its window procedure ("KTInstance" property, replaced
// procedure, owned font) and restored when the pane goes. Entry points:
// NativeControlPane::Create, NativeControlPane::ControlProcedure.
#include "runtime/ui/nativecontrolpane.h"

#include "runtime/startup/projectsettings.h"
#include "runtime/ui/controlinput.h"
#include "runtime/ui/controlpanelist.h"
#include "runtime/ui/viewwindow.h"

namespace {

constexpr const char* kInstanceProperty = "KTInstance";

int32_t SignedLow(LPARAM value) { return static_cast<int16_t>(LOWORD(value)); }
int32_t SignedHigh(LPARAM value) { return static_cast<int16_t>(HIWORD(value)); }

bool IsNonClientPress(UINT message) {
  return message == WM_NCLBUTTONDOWN || message == WM_NCRBUTTONDOWN || message == 0x00A3 ||
         message == 0x00A6;  // WM_NCLBUTTONDBLCLK, WM_NCRBUTTONDBLCLK
}

}  // namespace

NativeControlPane::~NativeControlPane() {
  Release();
  controls::UnlinkPane(owner, this);
  controls::DetachPaneFromControl(this);
}

bool NativeControlPane::Create(RuntimeViewWindow* ownerWindow, const char* nativeClass,
                               const char* text, DWORD style, DWORD exStyle,
                               const Rect16& paneBounds) {
  if (hwnd != nullptr || ownerWindow == nullptr || ownerWindow->Handle() == nullptr) {
    return false;
  }
  style |= WS_CHILD;
  HWND child = CreateWindowExA(exStyle, nativeClass, text != nullptr ? text : "", style,
                               paneBounds.left, paneBounds.top, paneBounds.Width(),
                               paneBounds.Height(), ownerWindow->Handle(), nullptr,
                               nullptr, nullptr);
  if (child == nullptr) return false;
  hwnd = child;
  bounds = paneBounds;
  visible = (style & WS_VISIBLE) != 0 ? 1 : 0;
  enabled = (style & WS_DISABLED) == 0 ? 1 : 0;
  SetPropA(child, kInstanceProperty, this);
  previous_ = reinterpret_cast<WNDPROC>(static_cast<intptr_t>(GetWindowLongA(child, GWL_WNDPROC)));
  SetWindowLongA(child, GWL_WNDPROC,
                 static_cast<LONG>(reinterpret_cast<intptr_t>(&ControlProcedure)));
  controls::LinkPane(ownerWindow, this);
  return true;
}

void NativeControlPane::SetFont(HFONT font) {
  HFONT old = font_;
  font_ = font;
  if (hwnd != nullptr) SendMessageA(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
  if (old != nullptr && old != font) DeleteObject(old);
}

void NativeControlPane::Release() {
  HWND child = hwnd;
  hwnd = nullptr;
  if (child != nullptr && IsWindow(child)) {
    if (previous_ != nullptr) {
      SetWindowLongA(child, GWL_WNDPROC, static_cast<LONG>(reinterpret_cast<intptr_t>(previous_)));
    }
    RemovePropA(child, kInstanceProperty);
    DestroyWindow(child);
  }
  previous_ = nullptr;
  if (font_ != nullptr) DeleteObject(font_);
  font_ = nullptr;
}

void NativeControlPane::ChildDestroyed() {
  if (hwnd != nullptr) RemovePropA(hwnd, kInstanceProperty);
  hwnd = nullptr;
}

POINT NativeControlPane::ToWindow(int32_t x, int32_t y) const {
  return POINT{x + bounds.left, y + bounds.top};
}

void NativeControlPane::ChangeState(int32_t code) {
  switch (code) {
    case kPaneShow:
    case kPaneHide:
      visible = code == kPaneShow ? 1 : 0;
      if (hwnd != nullptr) ShowWindow(hwnd, visible != 0 ? SW_SHOWNA : SW_HIDE);
      break;
    case kPaneEnable:
    case kPaneDisable:
      enabled = code == kPaneEnable ? 1 : 0;
      if (hwnd != nullptr) EnableWindow(hwnd, enabled != 0);
      break;
    case kPaneWindowActivated:
    case kPaneWindowDeactivated:
      // Auto-deactivating controls look disabled while their window is inactive.
      if (autoDeactivate != 0 && enabled != 0 && hwnd != nullptr) {
        EnableWindow(hwnd, code == kPaneWindowActivated);
      }
      break;
    default:
      break;
  }
}

bool NativeControlPane::AcceptFocus() {
  return hwnd != nullptr && visible != 0 && enabled != 0 && IsWindowEnabled(hwnd);
}

bool NativeControlPane::PreFilter(HWND child, UINT message, WPARAM wParam, LPARAM lParam) {
  if (controls::IsMousePress(message)) {
    POINT at{SignedLow(lParam), SignedHigh(lParam)};
    if (IsNonClientPress(message)) ScreenToClient(child, &at);  // non-client: screen point
    POINT inWindow = ToWindow(at.x, at.y);
    controls::ReportMousePress(owner, message, inWindow.x, inWindow.y,
                               controls::MouseModifiers(wParam));
    return false;  // the native control still takes the press
  }
  if (message == WM_MOUSEMOVE) {
    // Outside multiple-document mode the loop's mouse tracker reports every move; a second
    // report from here would raise each control's MouseMove twice.
    if (MdiMode() && owner != nullptr) {
      POINT inWindow = ToWindow(SignedLow(lParam), SignedHigh(lParam));
      owner->MouseMove(inWindow.x, inWindow.y);
    }
    return false;
  }
  if (message == WM_SETCURSOR && LOWORD(lParam) == HTCLIENT) {
    POINT at{0, 0};
    GetCursorPos(&at);
    if (owner != nullptr && owner->Handle() != nullptr) ScreenToClient(owner->Handle(), &at);
    controls::SetCursorForPoint(owner, at.x, at.y);
    return true;
  }
  return false;
}

NativeControlPane* NativeControlPane::FromChild(HWND child) {
  if (child == nullptr) return nullptr;
  return static_cast<NativeControlPane*>(GetPropA(child, kInstanceProperty));
}

LRESULT NativeControlPane::ControlProcedure(HWND child, UINT message, WPARAM wParam,
                                            LPARAM lParam) {
  NativeControlPane* pane = FromChild(child);
  if (pane == nullptr) return DefWindowProcA(child, message, wParam, lParam);
  WNDPROC previous = pane->previous_;
  LRESULT forwarded = 0;
  if (controls::ForwardChildNotification(child, message, wParam, lParam, &forwarded)) {
    return forwarded;
  }
  if (pane->PreFilter(child, message, wParam, lParam)) return 0;
  // The pre-filter may have run handlers that closed the window: a child that is gone
  // gets no more processing; otherwise look its pane up again.
  if (!IsWindow(child)) return 0;
  pane = FromChild(child);
  if (message == WM_NCDESTROY && pane != nullptr) pane->ChildDestroyed();
  if (previous == nullptr) return DefWindowProcA(child, message, wParam, lParam);
  return CallWindowProcA(previous, child, message, wParam, lParam);
}
