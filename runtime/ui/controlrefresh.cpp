// Redrawing controls and windows on request: a control is invalidated and updated at once
// only while it is visible and its pane exists, is visible and is enabled; rectangles are
// invalidated with erase. Entry points: RuntimeControlRefresh, RuntimeControlRefreshRect,
// formRefresh, formRefreshRect.
#include "runtime/entries/entries.h"
#include "runtime/exceptions/imagecall.h"
#include "runtime/ui/control.h"
#include "runtime/ui/pane.h"
#include "runtime/ui/viewwindow.h"

namespace {

// The native window of a Window object, or nil before creation and after closing.
HWND WindowHandle(ObjectHeader* window) {
  WindowObject* w = controls::WindowOf(window);
  if (w == nullptr || w->native == nullptr) return nullptr;
  return w->native->Handle();
}

// The native window a pane draws into: its own, else its owner's.
HWND PaneSurface(const Pane& pane) {
  if (pane.hwnd != nullptr) return pane.hwnd;
  return pane.owner != nullptr ? pane.owner->Handle() : nullptr;
}

RECT RectFromSize(int32_t x, int32_t y, int32_t width, int32_t height) {
  return RECT{x, y, x + width, y + height};
}

}  // namespace

AMX_ENTRY void RuntimeControlRefresh(ObjectHeader* object) noexcept {
  AMX_IMAGE_CALLER();  // painting and pane changes may run handlers of the image
  ControlObject* control = controls::ControlOf(object);
  if (control == nullptr || control->visible == 0) return;
  Pane* pane = control->pane;
  if (pane == nullptr || pane->visible == 0 || pane->enabled == 0) return;
  pane->Invalidate();
  pane->UpdateNow();
}

AMX_ENTRY void RuntimeControlRefreshRect(ObjectHeader* object, int32_t x, int32_t y,
                                         int32_t width, int32_t height) noexcept {
  AMX_IMAGE_CALLER();  // painting and pane changes may run handlers of the image
  Pane* pane = controls::LivePane(object);
  if (pane == nullptr) return;
  // The rectangle is given relative to the control; the frame metrics shift it the way
  // compiled code expects from the classic layout.
  int32_t left = x + pane->bounds.left - GetSystemMetrics(SM_CXFRAME);
  int32_t top = y + pane->bounds.top - GetSystemMetrics(SM_CYFRAME);
  HWND surface = PaneSurface(*pane);
  if (surface != nullptr) {
    RECT rect = RectFromSize(left, top, width, height);
    InvalidateRect(surface, &rect, TRUE);
  }
  pane->UpdateNow();
}

AMX_ENTRY void formRefresh(ObjectHeader* window) noexcept {
  AMX_IMAGE_CALLER();  // painting and pane changes may run handlers of the image
  HWND hwnd = WindowHandle(window);
  if (hwnd == nullptr) return;
  InvalidateRect(hwnd, nullptr, TRUE);
  UpdateWindow(hwnd);
}

AMX_ENTRY void formRefreshRect(ObjectHeader* window, int32_t x, int32_t y, int32_t width,
                               int32_t height) noexcept {
  AMX_IMAGE_CALLER();  // painting and pane changes may run handlers of the image
  HWND hwnd = WindowHandle(window);
  if (hwnd == nullptr) return;
  RECT rect = RectFromSize(x, y, width, height);
  InvalidateRect(hwnd, &rect, TRUE);
}
