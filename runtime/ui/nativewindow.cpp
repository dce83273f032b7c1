// The native side of a window: styles by WindowKind, the owner and the modal stack, the
// main window that carries the application menu bar, making and destroying the "KTWindow",
// and the placement arithmetic of new windows. Entry points: CreateNativeWindow,
// DestroyNativeWindow, HandOverMenuBar, StyleForKind, PlaceBounds.
#include <algorithm>
#include <vector>

#include "runtime/objects/strings.h"
#include "runtime/startup/assertion.h"
#include "runtime/startup/projectsettings.h"
#include "runtime/startup/runstate.h"
#include "runtime/ui/menus.h"
#include "runtime/ui/windowlayer.h"

namespace windows {
namespace {

constexpr int32_t kKindCount = 11;
constexpr int32_t kKindByFrame[8] = {8, 3, 2, 1, 4, 5, 6, 9};
constexpr int32_t kPlacementByFrame[8] = {4, 2, 2, 0, 2, 2, 4, 0};

std::vector<HWND>& ModalStack() {  // newest first
  static std::vector<HWND> stack;
  return stack;
}

RuntimeViewWindow* gMainWindow = nullptr;  // carries the application menu bar

bool IsDocumentKind(int32_t kind) { return kind == 0 || kind == 8; }

HWND FirstDocumentWindow() {
  for (RuntimeViewWindow* v = FirstViewWindow(); v != nullptr; v = v->nextViewWindow) {
    if (IsDocumentKind(v->kind) && v->hwnd != nullptr && !v->torndown) return v->hwnd;
  }
  return nullptr;
}

HWND OwnerForNewWindow() {
  if (HWND modal = FirstVisibleModal()) return modal;
  return FirstDocumentWindow();
}

// Attaches or detaches the bar without moving the client area: the outer rectangle grows or
// shrinks by the bar, so the controls stay where the window's description put them.
void SetMenuKeepingClient(HWND hwnd, HMENU menu) {
  RECT client;
  GetClientRect(hwnd, &client);
  POINT origin{0, 0};
  ClientToScreen(hwnd, &origin);
  DWORD style = static_cast<DWORD>(GetWindowLongA(hwnd, GWL_STYLE));
  DWORD exStyle = static_cast<DWORD>(GetWindowLongA(hwnd, GWL_EXSTYLE));
  RECT outer{origin.x, origin.y, origin.x + client.right, origin.y + client.bottom};
  AdjustWindowRectEx(&outer, style, menu != nullptr, exStyle);
  SetWindowPos(hwnd, nullptr, outer.left, outer.top, outer.right - outer.left,
               outer.bottom - outer.top, SWP_NOZORDER | SWP_NOACTIVATE);
  SetMenu(hwnd, menu);
}

// The newest document window on screen other than `leaving`, or nil.
RuntimeViewWindow* MenuBarHeir(const RuntimeViewWindow* leaving) {
  for (RuntimeViewWindow* v = FirstViewWindow(); v != nullptr; v = v->nextViewWindow) {
    if (v != leaving && IsDocumentKind(v->kind) && v->hwnd != nullptr && v->shown &&
        !v->closing && !v->torndown) {
      return v;
    }
  }
  return nullptr;
}

void LeaveModalStack(HWND hwnd) {
  std::vector<HWND>& stack = ModalStack();
  stack.erase(std::remove(stack.begin(), stack.end(), hwnd), stack.end());
}

}  // namespace

bool StyleForKind(int32_t kind, bool closeBox, bool growIcon, bool zoomIcon, WindowStyle* out) {
  if (kind < 0 || kind >= kKindCount) {
    FailedAssertion(4, "window", 494);
    return false;
  }
  DWORD style = 0;
  if (growIcon) style |= WS_THICKFRAME;
  if (closeBox) style |= WS_SYSMENU;
  if (zoomIcon) style |= WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX;
  DWORD exStyle = 0;
  bool owned = false;
  bool modal = false;
  bool noGrow = true;
  switch (kind) {
    case 0: case 8:
      style |= WS_CAPTION;
      noGrow = false;
      break;
    case 1: case 9:
      style |= WS_POPUP | WS_CAPTION;
      exStyle = WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_WINDOWEDGE;
      noGrow = false;
      break;
    case 2: case 10:
      style |= WS_POPUP | WS_DLGFRAME;
      owned = modal = true;
      break;
    case 3:
      style |= WS_POPUP | WS_CAPTION;
      exStyle = WS_EX_DLGMODALFRAME;
      owned = modal = true;
      break;
    case 4:
      style |= WS_POPUP | WS_BORDER;
      modal = true;
      break;
    case 5:
      style |= WS_POPUP | WS_BORDER;
      exStyle = WS_EX_CLIENTEDGE;
      modal = true;
      break;
    case 6:
      style |= WS_CAPTION;
      break;
    case 7:
      style |= WS_POPUP | WS_BORDER;
      exStyle = WS_EX_TOOLWINDOW | WS_EX_WINDOWEDGE | WS_EX_CLIENTEDGE;
      modal = true;
      break;
  }
  if (noGrow) style &= ~static_cast<DWORD>(WS_THICKFRAME);
  *out = WindowStyle{style, exStyle, owned, modal};
  return true;
}

int32_t KindForFrame(int32_t frame) {
  return frame >= 0 && frame < 8 ? kKindByFrame[frame] : kKindByFrame[0];
}

int32_t DefaultPlacementForFrame(int32_t frame) {
  return frame >= 0 && frame < 8 ? kPlacementByFrame[frame] : kPlacementByFrame[0];
}

Rect16 PlaceBounds(Rect16 bounds, int32_t placement, int32_t screenWidth, int32_t screenHeight) {
  int32_t dx = 0;
  int32_t dy = 0;
  switch (placement) {
    case 0: dx = 4; dy = 100; break;
    case 1: case 2: case 3:
      dx = (screenWidth - bounds.right) / 2;  // C division truncates toward zero
      dy = (screenHeight - bounds.bottom) / 4;
      break;
    case 4: dx = 10; dy = 50; break;
    default: break;
  }
  bounds.left = static_cast<int16_t>(bounds.left + dx);
  bounds.right = static_cast<int16_t>(bounds.right + dx);
  bounds.top = static_cast<int16_t>(bounds.top + dy);
  bounds.bottom = static_cast<int16_t>(bounds.bottom + dy);
  return bounds;
}

RuntimeViewWindow* MainViewWindow() { return gMainWindow; }

void ShowMenuBar(RuntimeViewWindow* main, bool show) {
  if (main == nullptr || main->hwnd == nullptr) return;
  HMENU wanted = show ? ApplicationMenuBar() : nullptr;
  if (GetMenu(main->hwnd) == wanted) return;
  SetMenu(main->hwnd, wanted);
  main->carriesMenuBar = wanted != nullptr;
}

HWND FirstVisibleModal() {
  for (HWND hwnd : ModalStack()) {
    if (IsWindow(hwnd) && IsWindowVisible(hwnd)) return hwnd;
  }
  return nullptr;
}

bool CreateNativeWindow(RuntimeViewWindow* view, WindowObject* window) {
  WindowStyle style;
  if (!StyleForKind(view->kind, window->closeBox, window->growIcon, window->zoomIcon, &style)) {
    return false;
  }
  HWND owner = style.owned ? OwnerForNewWindow() : nullptr;
  HMENU menu = nullptr;
  bool becomesMain = IsDocumentKind(view->kind) && !MdiMode() && gMainWindow == nullptr;
  if (becomesMain) menu = ApplicationMenuBar();
  RECT outer = window->bounds.ToRect();
  AdjustWindowRectEx(&outer, style.style, menu != nullptr, style.exStyle);
  HWND hwnd = CreateWindowExA(style.exStyle, "KTWindow", StringText(window->title), style.style,
                              outer.left, outer.top, outer.right - outer.left,
                              outer.bottom - outer.top, owner, menu, CurrentRun().module,
                              nullptr);
  if (hwnd == nullptr) return false;
  view->hwnd = hwnd;
  SetWindowLongA(hwnd, 0, static_cast<LONG>(reinterpret_cast<intptr_t>(view)));
  view->dropTarget = view;  // drag and drop is not served; the registration is kept paired
  RegisterDragDrop(hwnd, view->dropTarget);
  if (style.modalStack) {
    ModalStack().insert(ModalStack().begin(), hwnd);
    view->inModalStack = 1;
  }
  if (becomesMain) {
    gMainWindow = view;
    view->carriesMenuBar = menu != nullptr;
  }
  return true;
}

// The bar stays within the student's reach: when the main window is hidden or destroyed, the
// newest other document window on screen becomes the main window and takes the bar over,
// so that a window shown in its place (the main window brought back when an exercise is
// left) is never without menus. With none on screen, a hidden main window keeps the bar and
// a destroyed one leaves it to the next document window made. Returns whether it moved.
bool HandOverMenuBar(RuntimeViewWindow* leaving) {
  if (MdiMode() || CurrentRun().quit) return false;
  if (gMainWindow != nullptr && gMainWindow != leaving) return false;
  RuntimeViewWindow* heir = MenuBarHeir(leaving);
  if (heir == nullptr) return false;
  if (leaving != nullptr && leaving->carriesMenuBar && leaving->hwnd != nullptr) {
    SetMenuKeepingClient(leaving->hwnd, nullptr);
    leaving->carriesMenuBar = 0;
  }
  gMainWindow = heir;
  WindowObject* window = heir->Window();
  if (window == nullptr || window->menuBarVisible) {
    SetMenuKeepingClient(heir->hwnd, ApplicationMenuBar());
    heir->carriesMenuBar = 1;
  }
  return true;
}

void DestroyNativeWindow(RuntimeViewWindow* view) {
  HWND hwnd = view->hwnd;
  bool wasMain = gMainWindow == view;
  if (wasMain) gMainWindow = nullptr;
  if (hwnd == nullptr) return;
  if (view->carriesMenuBar) {
    SetMenu(hwnd, nullptr);  // the bar belongs to the application, not to this window
    view->carriesMenuBar = 0;
  }
  if (view->dropTarget != nullptr) {
    RevokeDragDrop(hwnd);
    view->dropTarget = nullptr;
  }
  if (view->inModalStack) {
    LeaveModalStack(hwnd);
    view->inModalStack = 0;
  }
  ForgetTrackedWindow(hwnd);
  SetWindowLongA(hwnd, 0, 0);
  view->hwnd = nullptr;
  DestroyWindow(hwnd);
  if (wasMain) HandOverMenuBar(view);
}

}  // namespace windows
