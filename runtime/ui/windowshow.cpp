// Showing, hiding and the modal loop; the presentation a live window gets from its fields:
// back colour, full screen, bounds. Entry points: RuntimeShowWindow, RuntimeHideWindow,
// RuntimeShowModal, ShowWindowsMarkedVisible, ApplyBackColor, Enter/LeaveFullScreen.
#include "runtime/entries/entries.h"
#include "runtime/exceptions/imagecall.h"
#include "runtime/objects/objects.h"
#include "runtime/startup/runloop.h"
#include "runtime/startup/runstate.h"
#include "runtime/ui/windowlayer.h"

namespace windows {
namespace {

COLORREF NativeColour(int32_t rgb) {
  uint32_t value = static_cast<uint32_t>(rgb);
  return ((value & 0xFF) << 16) | (value & 0xFF00) | ((value >> 16) & 0xFF);
}

void MoveNativeTo(RuntimeViewWindow* view, const Rect16& client) {
  HWND hwnd = view->hwnd;
  RECT outer = client.ToRect();
  DWORD style = static_cast<DWORD>(GetWindowLongA(hwnd, GWL_STYLE));
  DWORD exStyle = static_cast<DWORD>(GetWindowLongA(hwnd, GWL_EXSTYLE));
  AdjustWindowRectEx(&outer, style, GetMenu(hwnd) != nullptr, exStyle);
  MoveWindow(hwnd, outer.left, outer.top, outer.right - outer.left, outer.bottom - outer.top,
             TRUE);
}

// The screen with the largest intersection with the bounds (this system has one).
Rect16 ScreenFor(const Rect16&) {
  return Rect16{0, 0, static_cast<int16_t>(GetSystemMetrics(SM_CYSCREEN)),
                static_cast<int16_t>(GetSystemMetrics(SM_CXSCREEN))};
}

}  // namespace

void ApplyBoundsToNative(RuntimeViewWindow* view, WindowObject* window);

namespace {

// Covers the screen without touching restoreBounds (a full-screen window shown again).
void CoverScreen(RuntimeViewWindow* view, WindowObject* window) {
  window->bounds = ScreenFor(window->bounds);
  ApplyBoundsToNative(view, window);
}

}  // namespace

Rect16 NativeClientBounds(HWND hwnd) {
  RECT client = {};
  GetClientRect(hwnd, &client);
  POINT origin = {0, 0};
  ClientToScreen(hwnd, &origin);
  client.left += origin.x;
  client.right += origin.x;
  client.top += origin.y;
  client.bottom += origin.y;
  return Rect16::FromRect(client);
}

void ApplyBoundsToNative(RuntimeViewWindow* view, WindowObject* window) {
  if (view != nullptr && view->hwnd != nullptr) MoveNativeTo(view, window->bounds);
}

void ApplyBackColor(RuntimeViewWindow* view, int32_t rgb) {
  COLORREF colour = NativeColour(rgb);
  if (colour != view->backColor || !view->hasBackColor) {
    view->backColor = colour;
    if (view->hwnd != nullptr) InvalidateRect(view->hwnd, nullptr, TRUE);
  }
  view->hasBackColor = 1;
}

void EnterFullScreen(RuntimeViewWindow* view, WindowObject* window) {
  window->restoreBounds = window->bounds;
  CoverScreen(view, window);
}

void LeaveFullScreen(RuntimeViewWindow* view, WindowObject* window) {
  window->bounds = window->restoreBounds;
  ApplyBoundsToNative(view, window);
}

void ShowWindowObject(WindowObject* window) {
  window->visible = 1;
  RuntimeViewWindow* view = LiveViewWindow(&window->header);
  if (view == nullptr || view->hwnd == nullptr) return;
  view->shown = 1;
  view->Hold();
  ShowWindow(view->hwnd, SW_SHOWNORMAL);
  if (view->hwnd != nullptr) BringWindowToTop(view->hwnd);
  // Re-applied, not entered again: restoreBounds keeps the bounds from before full screen.
  if (!view->closing && window->fullScreen) CoverScreen(view, window);
  view->Release();
}

void HideWindowObject(WindowObject* window) {
  window->visible = 0;
  RuntimeViewWindow* view = LiveViewWindow(&window->header);
  if (view == nullptr || view->hwnd == nullptr || !view->shown) return;
  view->Hold();
  ShowWindow(view->hwnd, SW_HIDE);
  view->shown = 0;
  if (view == MainViewWindow()) HandOverMenuBar(view);
  view->Release();
}

// Showing activates, which runs handlers that may open or close windows: each round starts
// again from the head of the list, and a window is shown at most once per call.
void ShowWindowsMarkedVisible() {
  int32_t rounds = 0;
  for (RuntimeViewWindow* v = FirstViewWindow(); v != nullptr && rounds < 1000;) {
    if (v->shown && !v->torndown && v->hwnd != nullptr && !IsWindowVisible(v->hwnd)) {
      ++rounds;
      v->Hold();
      ShowWindow(v->hwnd, SW_SHOW);
      v->Release();
      v = FirstViewWindow();
      continue;
    }
    v = v->nextViewWindow;
  }
}

}  // namespace windows

AMX_ENTRY void RuntimeShowWindow(ObjectHeader* window) noexcept {
  AMX_IMAGE_CALLER();
  if (WindowObject* w = windows::WindowOf(window)) windows::ShowWindowObject(w);
}

AMX_ENTRY void RuntimeHideWindow(ObjectHeader* window) noexcept {
  AMX_IMAGE_CALLER();
  if (WindowObject* w = windows::WindowOf(window)) windows::HideWindowObject(w);
}

// The nested loop runs while the native window exists and is marked shown; the window is
// held so that its closing inside the loop leaves a readable object to test.
AMX_ENTRY void RuntimeShowModal(ObjectHeader* window) noexcept {
  AMX_IMAGE_CALLER();
  WindowObject* w = windows::WindowOf(window);
  if (w == nullptr) return;
  LockObject(window);
  windows::ShowWindowObject(w);
  for (;;) {
    RuntimeViewWindow* view = LiveViewWindow(window);
    if (view == nullptr || !view->shown || CurrentRun().quit) break;
    RunLoopIteration();
  }
  UnlockObject(window);
}
