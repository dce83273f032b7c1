// The "KTWindow" procedure: records the message, forwards child notifications to the
// child's pane and menu commands to the menu layer, then turns moves, sizes, activation,
// painting, closing (also of a native window destroyed with its owner) and mouse presses
// into window events. Registers "KTWindow" and "KT_Pane". Entry points: TopLevelWindowProc,
// RegisterWindowClasses, Resized, Moved, Activate, Deactivate, ClampSizing.
#include "runtime/objects/builtinclasses.h"
#include "runtime/startup/appevents.h"
#include "runtime/startup/hooks.h"
#include "runtime/startup/projectsettings.h"
#include "runtime/ui/controlcreation.h"
#include "runtime/ui/controlinput.h"
#include "runtime/ui/events.h"
#include "runtime/ui/menus.h"
#include "runtime/ui/windowlayer.h"

namespace windows {
namespace {

constexpr int kAppIconResource = 102;
int32_t gCommandModifiers = 0;

int32_t X(LPARAM lParam) { return static_cast<int16_t>(LOWORD(lParam)); }
int32_t Y(LPARAM lParam) { return static_cast<int16_t>(HIWORD(lParam)); }

bool KeyDown(int virtualKey) { return (GetKeyState(virtualKey) & 0x8000) != 0; }

int32_t CurrentModifiers() {
  int32_t modifiers = 0;
  if (KeyDown(VK_CONTROL)) modifiers |= kModifierControl;
  if (KeyDown(VK_SHIFT)) modifiers |= kModifierShift;
  if (KeyDown(VK_MENU)) modifiers |= kModifierAlt;
  if (KeyDown(VK_LWIN) || KeyDown(VK_RWIN)) modifiers |= kModifierWindows;
  return modifiers;
}

void Record(UINT message, WPARAM wParam, LPARAM lParam) {
  LastMessage& last = LastSeenMessage();
  last.message = message;
  last.wParam = wParam;
  last.lParam = lParam;
  last.time = GetMessageTime();
  GetCursorPos(&last.cursor);
}

Pane* ChildPane(HWND child) {
  return child != nullptr ? static_cast<Pane*>(GetPropA(child, "KTInstance")) : nullptr;
}

// Child notifications go to the child's pane; a command without child is a menu command.
bool ForwardNotification(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
  Pane* pane = nullptr;
  switch (message) {
    case WM_COMMAND:
      if (lParam == 0) {
        DispatchMenuCommand(LOWORD(wParam));
        *result = 0;
        return true;
      }
      if ((pane = ChildPane(reinterpret_cast<HWND>(lParam))) == nullptr) return false;
      gCommandModifiers = CurrentModifiers();
      *result = pane->Command(HIWORD(wParam));
      return true;
    case WM_NOTIFY: {
      auto* header = reinterpret_cast<NMHDR*>(lParam);
      if (header == nullptr || (pane = ChildPane(header->hwndFrom)) == nullptr) return false;
      *result = pane->Notify(header);
      return true;
    }
    case WM_DRAWITEM: {
      // The item's window is the sixth word of the draw-item record.
      auto* item = reinterpret_cast<const HWND*>(lParam);
      if (item == nullptr || (pane = ChildPane(item[5])) == nullptr) return false;
      *result = pane->DrawItem(lParam);
      return true;
    }
    case WM_HSCROLL:
    case WM_VSCROLL:
      if ((pane = ChildPane(reinterpret_cast<HWND>(lParam))) == nullptr) return false;
      *result = message == WM_HSCROLL ? pane->HorizontalScroll(wParam)
                                      : pane->VerticalScroll(wParam);
      return true;
    default:
      return false;
  }
}

void PaintMessage(RuntimeViewWindow* view) {
  PAINTSTRUCT paint = {};
  HDC dc = BeginPaint(view->hwnd, &paint);
  if (dc == nullptr) return;
  SelectPalette(dc, reinterpret_cast<HPALETTE>(GetStockObject(DEFAULT_PALETTE)), FALSE);
  RealizePalette(dc);
  SetTextAlign(dc, TA_BASELINE);
  view->Paint(dc);
  if (view->hwnd != nullptr) EndPaint(view->hwnd, &paint);
}

LRESULT EraseBackground(RuntimeViewWindow* view, HDC dc) {
  RECT client = {};
  GetClientRect(view->hwnd, &client);
  if (view->hasBackColor) {
    HBRUSH brush = CreateSolidBrush(view->backColor);
    FillRect(dc, &client, brush);
    DeleteObject(brush);
  } else {
    FillRect(dc, &client, GetSysColorBrush(COLOR_BTNFACE));
  }
  return 1;
}

// Every top-level window hears of the application's activation: the application's event
// fires once per change. Floating windows stay above the others only while it is active.
void ApplicationActivation(bool active) {
  static bool applicationActive = false;
  if (active == applicationActive) return;
  applicationActive = active;
  FireApplicationEvent(active ? ApplicationEvent::kActivate : ApplicationEvent::kDeactivate);
  for (RuntimeViewWindow* v = FirstViewWindow(); v != nullptr; v = v->nextViewWindow) {
    if ((v->kind == 1 || v->kind == 7) && v->hwnd != nullptr) {
      SetWindowPos(v->hwnd, active ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
                   SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }
  }
}

LRESULT MouseActivate(RuntimeViewWindow* view, UINT message, WPARAM wParam, LPARAM lParam) {
  HWND modal = FirstVisibleModal();
  if (modal != nullptr && modal != view->hwnd) {
    MessageBeep(0);
    return MA_NOACTIVATEANDEAT;
  }
  return DefWindowProcA(view->hwnd, message, wParam, lParam);
}

void ButtonDown(RuntimeViewWindow* view, UINT message, WPARAM wParam, LPARAM lParam) {
  int32_t modifiers = controls::MouseModifiers(wParam);
  if (KeyDown(VK_MENU)) modifiers |= kModifierAlt;
  controls::ReportMousePress(view, message, X(lParam), Y(lParam), modifiers);
}

void ButtonUp(LPARAM lParam) {
  Pane* capture = CapturePane();
  ReleaseCapture();
  if (capture != nullptr) capture->MouseUp(X(lParam), Y(lParam));
}

// The native window went away without our closing (an owner destroyed with it, or the native
// layer taking it down): the window closes now, without CancelClose, so that it no longer
// counts as open.
void NativeWindowDestroyed(RuntimeViewWindow* view, HWND hwnd) {
  if (view->hwnd == hwnd && !view->torndown) CloseNow(view);
}

LRESULT Dispatch(RuntimeViewWindow* view, UINT message, WPARAM wParam, LPARAM lParam) {
  HWND hwnd = view->hwnd;
  switch (message) {
    case WM_MOVE: Moved(view); return 0;
    case WM_SIZE: Resized(view); return 0;
    case WM_SIZING: ClampSizing(view, wParam, reinterpret_cast<RECT*>(lParam)); return TRUE;
    case WM_ACTIVATE:
      if (LOWORD(wParam) != WA_INACTIVE) {
        Activate(view);
      } else {
        Deactivate(view);
      }
      RunMenuEnablingPass();
      return 0;
    case WM_PAINT: PaintMessage(view); return 0;
    case WM_ERASEBKGND: return EraseBackground(view, reinterpret_cast<HDC>(wParam));
    case WM_CLOSE: RequestClose(view); return 0;
    case WM_DESTROY: NativeWindowDestroyed(view, hwnd); return 0;
    case WM_ACTIVATEAPP: ApplicationActivation(wParam != 0); return 0;
    case WM_SETCURSOR:
      if (LOWORD(lParam) != HTCLIENT) break;
      {
        POINT point = {0, 0};
        GetCursorPos(&point);
        ScreenToClient(hwnd, &point);
        controls::SetCursorForPoint(view, point.x, point.y);
      }
      return TRUE;
    case WM_MOUSEACTIVATE: return MouseActivate(view, message, wParam, lParam);
    case WM_INITMENU: RunMenuEnablingPass(); return 0;
    case WM_MOUSEMOVE:
      if (MdiMode()) view->MouseMove(X(lParam), Y(lParam));
      return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONDBLCLK:
      ButtonDown(view, message, wParam, lParam);
      return 0;
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
      ButtonUp(lParam);
      return 0;
    case WM_DISPLAYCHANGE: StartupHooks().displayChanged(); return 0;
    case WM_QUERYNEWPALETTE: return TRUE;
    default: break;
  }
  return DefWindowProcA(hwnd, message, wParam, lParam);
}

// The window's controls in dictionary order that have a pane accepting the focus.
Pane* FirstFocusablePane(WindowObject* window) {
  if (window == nullptr || window->controls == nullptr) return nullptr;
  for (StringMapEntry* e = window->controls->First(); e != nullptr; e = e->orderNext) {
    auto* object = static_cast<ObjectHeader*>(e->value);
    if (!IsControlObject(object)) continue;
    Pane* pane = AsControl(object)->pane;
    if (pane != nullptr && pane->visible && pane->enabled && pane->AcceptFocus()) return pane;
  }
  return nullptr;
}

bool Listed(RuntimeViewWindow* view, Pane* pane) {
  for (Pane* p = view->panes; p != nullptr; p = p->next) {
    if (p == pane) return true;
  }
  return false;
}

// A pane's handler may close the window, which frees the panes: the next one is read only
// while the window is not closing.
void TellPanes(RuntimeViewWindow* view, int32_t code) {
  for (Pane* p = view->panes; p != nullptr; p = view->closing ? nullptr : p->next) {
    p->ChangeState(code);
  }
}


}  // namespace

LastMessage& LastSeenMessage() {
  static LastMessage last;
  return last;
}

int32_t LastCommandModifiers() { return gCommandModifiers; }

LRESULT CALLBACK TopLevelWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  RuntimeViewWindow* view = ViewWindowFromHandle(hwnd);
  if (view == nullptr || view->torndown) return DefWindowProcA(hwnd, message, wParam, lParam);
  Record(message, wParam, lParam);
  LRESULT result = 0;
  if (ForwardNotification(message, wParam, lParam, &result)) return result;
  view->Hold();
  result = Dispatch(view, message, wParam, lParam);
  view->Release();
  return result;
}

void RegisterWindowClasses(HINSTANCE module) {
  WNDCLASSA windowClass = {};
  windowClass.style = CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS;
  windowClass.lpfnWndProc = TopLevelWindowProc;
  windowClass.cbWndExtra = 4;
  windowClass.hInstance = module;
  windowClass.hIcon = LoadIconA(module, MAKEINTRESOURCEA(kAppIconResource));
  windowClass.lpszClassName = "KTWindow";
  RegisterClassA(&windowClass);
  WNDCLASSA paneClass = {};
  paneClass.style = CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS;
  paneClass.lpfnWndProc = PaneWindowProc;
  paneClass.cbWndExtra = 4;
  paneClass.hInstance = module;
  paneClass.lpszClassName = "KT_Pane";
  RegisterClassA(&paneClass);
}

void Moved(RuntimeViewWindow* view) {
  WindowObject* window = view->Window();
  if (window == nullptr) return;
  window->bounds = NativeClientBounds(view->hwnd);
  // lastBounds follows the move but keeps the size of the last resize: a drag of the left or
  // top edge and full screen report the move before the size, and Resized measures the
  // change of size from lastBounds.
  const Rect16& now = window->bounds;
  int32_t width = window->lastBounds.Width();
  int32_t height = window->lastBounds.Height();
  window->lastBounds = Rect16{now.top, now.left, static_cast<int16_t>(now.top + height),
                              static_cast<int16_t>(now.left + width)};
  RaiseEvent(&window->header, AMX_BUILTIN_EVENT(Window, Moved));
}

// Controls locked to the right or bottom edge follow it; one also locked to the opposite
// edge stretches instead.
void Resized(RuntimeViewWindow* view) {
  WindowObject* window = view->Window();
  if (window == nullptr) return;
  Rect16 now = NativeClientBounds(view->hwnd);
  int32_t dw = now.Width() - window->lastBounds.Width();
  int32_t dh = now.Height() - window->lastBounds.Height();
  window->lastBounds = window->bounds = now;
  // A pane moved may run a handler that closes the window and frees the dictionary's
  // entries: the next entry is read only while the window is not closing.
  for (StringMapEntry* e = window->controls ? window->controls->First() : nullptr;
       e != nullptr; e = view->closing ? nullptr : e->orderNext) {
    auto* object = static_cast<ObjectHeader*>(e->value);
    if (!IsControlObject(object)) continue;
    ControlObject* control = AsControl(object);
    if (!control->lockRight && !control->lockBottom) continue;
    Rect16 r = control->bounds;
    if (control->lockRight) {
      r.right = static_cast<int16_t>(r.right + dw);
      if (!control->lockLeft) r.left = static_cast<int16_t>(r.left + dw);
    }
    if (control->lockBottom) {
      r.bottom = static_cast<int16_t>(r.bottom + dh);
      if (!control->lockTop) r.top = static_cast<int16_t>(r.top + dh);
    }
    control->bounds = r;
    if (control->pane != nullptr) control->pane->SetBounds(r, true);
  }
  if (!view->closing) RaiseEvent(&window->header, AMX_BUILTIN_EVENT(Window, Resized));
}

void Activate(RuntimeViewWindow* view) {
  WindowObject* window = view->Window();
  view->active = 1;
  if (view == MainViewWindow() && window != nullptr) ShowMenuBar(view, window->menuBarVisible);
  if (window != nullptr) RaiseEvent(&window->header, AMX_BUILTIN_EVENT(Window, Activate));
  if (view->closing) return;
  TellPanes(view, kPaneWindowActivated);
  if (view->closing || view->kind == 1 || view->kind == 7) return;
  Pane* focus = view->focusPane != nullptr && Listed(view, view->focusPane)
                    ? view->focusPane
                    : FirstFocusablePane(window);
  if (focus == nullptr) return;
  view->focusPane = focus;
  if (focus->hwnd != nullptr) SetFocus(focus->hwnd);
}

void Deactivate(RuntimeViewWindow* view) {
  WindowObject* window = view->Window();
  Pane* focused = FocusedPane();
  if (focused != nullptr && focused->owner == view) view->focusPane = focused;
  view->active = 0;
  TellPanes(view, kPaneWindowDeactivated);
  if (!view->closing && window != nullptr) {
    RaiseEvent(&window->header, AMX_BUILTIN_EVENT(Window, Deactivate));
  }
}

void ClampSizing(RuntimeViewWindow* view, WPARAM edge, RECT* dragged) {
  WindowObject* window = view->Window();
  if (window == nullptr || dragged == nullptr) return;
  RECT frame = {0, 0, 0, 0};  // the non-client extra of this style, caption and menu
  AdjustWindowRectEx(&frame, static_cast<DWORD>(GetWindowLongA(view->hwnd, GWL_STYLE)),
                     GetMenu(view->hwnd) != nullptr,
                     static_cast<DWORD>(GetWindowLongA(view->hwnd, GWL_EXSTYLE)));
  int32_t extraW = frame.right - frame.left;
  int32_t extraH = frame.bottom - frame.top;
  auto clamp = [](int32_t size, int32_t low, int32_t high) {
    if (low > 0 && size < low) size = low;
    if (high > 0 && size > high) size = high;
    return size;
  };
  int32_t w = clamp(dragged->right - dragged->left - extraW, window->minWidth, window->maxWidth);
  int32_t h = clamp(dragged->bottom - dragged->top - extraH, window->minHeight,
                    window->maxHeight);
  bool fromLeft = edge == WMSZ_LEFT || edge == WMSZ_TOPLEFT || edge == WMSZ_BOTTOMLEFT;
  bool fromTop = edge == WMSZ_TOP || edge == WMSZ_TOPLEFT || edge == WMSZ_TOPRIGHT;
  if (fromLeft) {
    dragged->left = dragged->right - (w + extraW);
  } else {
    dragged->right = dragged->left + (w + extraW);
  }
  if (fromTop) {
    dragged->top = dragged->bottom - (h + extraH);
  } else {
    dragged->bottom = dragged->top + (h + extraH);
  }
}

}  // namespace windows
