// The native panes of PushButton, EditField and RadioButton: the control's MouseDown and
// MouseUp around a press of the native control, and the handling of presses that a
// MouseDown handler claims. Entry points: StdNativePane::ReportPress, FilterClaimedPress.
#include "runtime/ui/stdnativepane.h"

#include "runtime/ui/stdcontrols.h"
#include "runtime/ui/viewwindow.h"

bool StdNativePane::MouseDown(int32_t x, int32_t y, int32_t /*modifiers*/) {
  pressSeen_ = true;
  const uint32_t args[2] = {static_cast<uint32_t>(x - bounds.left),
                            static_cast<uint32_t>(y - bounds.top)};
  stdcontrols::RaiseResult outcome =
      stdcontrols::RaiseControlEvent(this, MouseDownEvent(), 2, args);
  if (outcome.paneAlive) pressClaimed_ = outcome.result;
  return true;  // the press is the control's either way
}

bool StdNativePane::ReportPress(HWND child, UINT message, WPARAM wParam, LPARAM lParam) {
  pressSeen_ = false;
  pressClaimed_ = false;
  NativeControlPane::PreFilter(child, message, wParam, lParam);
  if (!IsWindow(child) || NativeControlPane::FromChild(child) != this) return false;
  if (!pressSeen_) {
    MouseDown(GET_X_LPARAM(lParam) + bounds.left, GET_Y_LPARAM(lParam) + bounds.top, 0);
    if (!IsWindow(child) || NativeControlPane::FromChild(child) != this) return false;
  }
  if (CapturePane() == this) SetCapturePane(nullptr);
  return true;
}

bool StdNativePane::RaiseMouseUp(int32_t x, int32_t y, bool* alive) {
  const uint32_t args[2] = {static_cast<uint32_t>(x), static_cast<uint32_t>(y)};
  stdcontrols::RaiseResult outcome = stdcontrols::RaiseControlEvent(this, MouseUpEvent(), 2, args);
  *alive = outcome.paneAlive;
  return outcome.result;
}

bool StdNativePane::ReportFocus(HWND child, UINT message) {
  if (message == WM_SETFOCUS) {
    GotFocus();
  } else {
    LostFocus();
  }
  return !IsWindow(child);
}

bool StdNativePane::FilterClaimedPress(HWND child, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      if (!ReportPress(child, message, wParam, lParam)) return true;
      if (pressClaimed_) SetCapture(child);
      return pressClaimed_;
    case WM_LBUTTONUP: {
      if (!pressClaimed_) return false;
      pressClaimed_ = false;
      if (GetCapture() == child) ReleaseCapture();
      bool alive = true;
      RaiseMouseUp(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam), &alive);
      return true;
    }
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
      return ReportFocus(child, message);
    default:
      return NativeControlPane::PreFilter(child, message, wParam, lParam);
  }
}

