// Drawn panes: a "KT_Pane" child window or a windowless rectangle of the owner's window,
// painted by the pane itself; and PaneWindowProc, which turns the "KT_Pane" messages into
// pane operations and window mouse events. Entry points: DrawnPane::CreateWindowed,
// DrawnPane::AttachWindowless, PaneWindowProc.
#include "runtime/ui/drawnpane.h"

#include "runtime/startup/projectsettings.h"
#include "runtime/ui/controlinput.h"
#include "runtime/ui/controlpanelist.h"
#include "runtime/ui/viewwindow.h"

namespace {

constexpr int32_t kWheelDelta = 120;

HBRUSH gPaneBrush = nullptr;

int32_t SignedLow(LPARAM value) { return static_cast<int16_t>(LOWORD(value)); }
int32_t SignedHigh(LPARAM value) { return static_cast<int16_t>(HIWORD(value)); }

DrawnPane* PaneOfWindow(HWND hwnd) {
  return reinterpret_cast<DrawnPane*>(static_cast<intptr_t>(GetWindowLongA(hwnd, 0)));
}

// A point of the pane's window in the owner's client coordinates.
POINT ToWindow(const Pane& pane, int32_t x, int32_t y) {
  return POINT{x + pane.bounds.left, y + pane.bounds.top};
}

// The point of a mouse message in the pane window's client coordinates (non-client
// messages carry a screen point).
POINT MessagePoint(HWND hwnd, UINT message, LPARAM lParam) {
  POINT at{SignedLow(lParam), SignedHigh(lParam)};
  if (message == WM_NCLBUTTONDOWN || message == WM_NCRBUTTONDOWN || message == 0x00A3 ||
      message == 0x00A6) {
    ScreenToClient(hwnd, &at);
  }
  return at;
}

LRESULT Paint(HWND hwnd, DrawnPane* pane) {
  PAINTSTRUCT paint{};
  HDC dc = BeginPaint(hwnd, &paint);
  if (dc != nullptr) pane->Paint(dc);
  EndPaint(hwnd, &paint);
  return 0;
}

// Releases go to the top-level window, which ends the capture and hands the release to the
// pane that holds it.
LRESULT ForwardRelease(DrawnPane* pane, UINT message, WPARAM wParam, LPARAM lParam) {
  if (pane->owner == nullptr || pane->owner->Handle() == nullptr) return 0;
  POINT inWindow = ToWindow(*pane, SignedLow(lParam), SignedHigh(lParam));
  return SendMessageA(pane->owner->Handle(), message, wParam,
                      MAKELPARAM(inWindow.x, inWindow.y));
}

LRESULT ColourRequest(HWND hwnd, DrawnPane* pane, UINT message, WPARAM wParam, LPARAM lParam) {
  RuntimeViewWindow* owner = pane->owner;
  if (owner == nullptr || owner->hasBackColor == 0) {
    return DefWindowProcA(hwnd, message, wParam, lParam);
  }
  HBRUSH brush = CreateSolidBrush(owner->backColor);
  if (brush == nullptr) return DefWindowProcA(hwnd, message, wParam, lParam);
  if (gPaneBrush != nullptr) DeleteObject(gPaneBrush);
  gPaneBrush = brush;
  SetBkMode(reinterpret_cast<HDC>(wParam), TRANSPARENT);
  return reinterpret_cast<LRESULT>(brush);
}

LRESULT Wheel(HWND hwnd, DrawnPane* pane, WPARAM wParam, LPARAM lParam) {
  int32_t delta = static_cast<int16_t>(HIWORD(wParam));
  UINT linesPerNotch = 3;
  SystemParametersInfoA(SPI_GETWHEELSCROLLLINES, 0, &linesPerNotch, 0);
  int32_t lines = -(delta / kWheelDelta) * static_cast<int32_t>(linesPerNotch);
  if (pane->MouseWheel(lines)) return 0;
  return DefWindowProcA(hwnd, WM_MOUSEWHEEL, wParam, lParam);
}

LRESULT MouseMove(DrawnPane* pane, LPARAM lParam) {
  POINT inWindow = ToWindow(*pane, SignedLow(lParam), SignedHigh(lParam));
  if (MdiMode()) {
    if (pane->owner != nullptr) pane->owner->MouseMove(inWindow.x, inWindow.y);
  } else {
    pane->MouseMove(inWindow.x, inWindow.y);
  }
  return 0;
}

}  // namespace

namespace controls {
HBRUSH CurrentPaneBrush() { return gPaneBrush; }
}  // namespace controls

DrawnPane::~DrawnPane() {
  HWND window = hwnd;
  hwnd = nullptr;
  if (window != nullptr && IsWindow(window)) {
    SetWindowLongA(window, 0, 0);  // no message may reach this pane any more
    DestroyWindow(window);
  }
  if (owner != nullptr && owner->Handle() != nullptr && window == nullptr) {
    InvalidateArea(bounds);  // a windowless pane leaves its area to be repainted
  }
  controls::UnlinkPane(owner, this);
  controls::DetachPaneFromControl(this);
}

bool DrawnPane::CreateWindowed(RuntimeViewWindow* ownerWindow, const Rect16& paneBounds,
                               DWORD style, DWORD exStyle) {
  if (hwnd != nullptr || ownerWindow == nullptr || ownerWindow->Handle() == nullptr) {
    return false;
  }
  style |= WS_CHILD;
  HWND window = CreateWindowExA(exStyle, "KT_Pane", "", style, paneBounds.left, paneBounds.top,
                                paneBounds.Width(), paneBounds.Height(), ownerWindow->Handle(),
                                nullptr, nullptr, nullptr);
  if (window == nullptr) return false;
  SetWindowLongA(window, 0, static_cast<LONG>(reinterpret_cast<intptr_t>(this)));
  hwnd = window;
  bounds = paneBounds;
  visible = (style & WS_VISIBLE) != 0 ? 1 : 0;
  enabled = (style & WS_DISABLED) == 0 ? 1 : 0;
  controls::LinkPane(ownerWindow, this);
  return true;
}

void DrawnPane::AttachWindowless(RuntimeViewWindow* ownerWindow, const Rect16& paneBounds) {
  bounds = paneBounds;
  controls::LinkPane(ownerWindow, this);
  InvalidateArea(bounds);
}

HWND DrawnPane::Surface() const {
  if (hwnd != nullptr) return hwnd;
  return owner != nullptr ? owner->Handle() : nullptr;
}

bool DrawnPane::InvalidateArea(const Rect16& area) {
  if (owner == nullptr || owner->Handle() == nullptr) return false;
  RECT rect = area.ToRect();
  return InvalidateRect(owner->Handle(), &rect, TRUE) != 0;
}

void DrawnPane::SetBounds(const Rect16& newBounds, bool redraw) {
  Rect16 old = bounds;
  bounds = newBounds;
  if (hwnd != nullptr) {
    MoveWindow(hwnd, bounds.left, bounds.top, bounds.Width(), bounds.Height(), redraw);
  } else if (redraw) {
    InvalidateArea(old);
    InvalidateArea(bounds);
  }
}

void DrawnPane::ChangeState(int32_t code) {
  switch (code) {
    case kPaneShow:
    case kPaneHide:
      visible = code == kPaneShow ? 1 : 0;
      if (hwnd != nullptr) ShowWindow(hwnd, visible != 0 ? SW_SHOWNA : SW_HIDE);
      else InvalidateArea(bounds);
      break;
    case kPaneEnable:
    case kPaneDisable:
      enabled = code == kPaneEnable ? 1 : 0;
      if (hwnd != nullptr) EnableWindow(hwnd, enabled != 0);
      Invalidate();
      break;
    case kPaneWindowActivated:
    case kPaneWindowDeactivated:
      if (autoDeactivate != 0) Invalidate();  // drawn as inactive while the window is
      break;
    default:
      break;
  }
}

void DrawnPane::Invalidate() {
  if (hwnd != nullptr) InvalidateRect(hwnd, nullptr, TRUE);
  else InvalidateArea(bounds);
}

void DrawnPane::UpdateNow() {
  if (HWND surface = Surface()) UpdateWindow(surface);
}

LRESULT PaneWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  DrawnPane* pane = PaneOfWindow(hwnd);
  if (pane == nullptr) return DefWindowProcA(hwnd, message, wParam, lParam);
  LRESULT forwarded = 0;
  if (controls::ForwardChildNotification(hwnd, message, wParam, lParam, &forwarded)) {
    return forwarded;
  }
  if (controls::IsMousePress(message)) {
    POINT at = MessagePoint(hwnd, message, lParam);
    POINT inWindow = ToWindow(*pane, at.x, at.y);
    controls::ReportMousePress(pane->owner, message, inWindow.x, inWindow.y,
                               controls::MouseModifiers(wParam));
    return 0;
  }
  switch (message) {
    case WM_PAINT:
      return Paint(hwnd, pane);
    case WM_MOUSEMOVE:
      return MouseMove(pane, lParam);
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
      return ForwardRelease(pane, message, wParam, lParam);
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORSTATIC:
      return ColourRequest(hwnd, pane, message, wParam, lParam);
    case WM_MOUSEWHEEL:
      return Wheel(hwnd, pane, wParam, lParam);
    case WM_NCDESTROY:
      pane->WindowDestroyed();
      return DefWindowProcA(hwnd, message, wParam, lParam);
    default:
      return DefWindowProcA(hwnd, message, wParam, lParam);
  }
}
