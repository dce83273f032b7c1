// The Window property accessors that do more than the shared offset accessors: each stores
// into the object first and updates the native window only while it exists. Entry points:
// windowVisibleSetter, windowPosGetter/Setter, windowTitleGetter/Setter, ... (windows.def).
#include "runtime/entries/entries.h"
#include "runtime/exceptions/imagecall.h"
#include "runtime/objects/objects.h"
#include "runtime/objects/strings.h"
#include "runtime/ui/controlcreation.h"
#include "runtime/ui/menus.h"
#include "runtime/ui/windowlayer.h"

namespace {

void ReplaceString(StringRecord** slot, StringRecord* value) {
  StringRecord* old = *slot;
  *slot = LockString(value);
  UnlockString(old);
}

void ReplaceObject(ObjectHeader** slot, ObjectHeader* value) {
  ObjectHeader* old = *slot;
  *slot = LockObject(value);
  UnlockObject(old);
}

// The pointer position relative to the window's client area.
POINT PointerInWindow(WindowObject* window) {
  POINT point = {0, 0};
  GetCursorPos(&point);
  RuntimeViewWindow* view = LiveViewWindow(&window->header);
  if (view != nullptr && view->hwnd != nullptr) {
    ScreenToClient(view->hwnd, &point);
  } else {
    point.x -= window->bounds.left;
    point.y -= window->bounds.top;
  }
  return point;
}

}  // namespace

AMX_ENTRY void windowVisibleSetter(ObjectHeader* object, int32_t, ImageBool value) noexcept {
  AMX_IMAGE_CALLER();
  WindowObject* window = windows::WindowOf(object);
  if (window == nullptr) return;
  if (value == 0) {
    windows::HideWindowObject(window);
    return;
  }
  window->visible = 1;
  // The main loop makes it visible on its next iteration.
  if (RuntimeViewWindow* view = LiveViewWindow(object)) view->shown = 1;
}

AMX_ENTRY int32_t windowPosGetter(ObjectHeader* object, int32_t selector) noexcept {
  WindowObject* window = windows::WindowOf(object);
  if (window == nullptr) return 0;
  const Rect16& b = window->bounds;
  switch (selector) {
    case 0: return b.left;
    case 1: return b.top;
    case 2: return b.Width();
    case 3: return b.Height();
    default: return 0;
  }
}

AMX_ENTRY void windowPosSetter(ObjectHeader* object, int32_t selector, int32_t value) noexcept {
  AMX_IMAGE_CALLER();
  WindowObject* window = windows::WindowOf(object);
  // Full screen owns the bounds of a live window only: a description that names FullScreen
  // before Width and Height still sets the size the window returns to.
  RuntimeViewWindow* view = LiveViewWindow(object);
  if (window == nullptr || (window->fullScreen && view != nullptr)) return;
  Rect16& b = window->bounds;
  auto v = static_cast<int16_t>(value);  // positions are 16-bit; larger values wrap
  switch (selector) {
    case 0:
      b.right = static_cast<int16_t>(b.right + (v - b.left));
      b.left = v;
      break;
    case 1:
      b.bottom = static_cast<int16_t>(b.bottom + (v - b.top));
      b.top = v;
      break;
    case 2: b.right = static_cast<int16_t>(b.left + v); break;
    case 3: b.bottom = static_cast<int16_t>(b.top + v); break;
    default: return;
  }
  windows::ApplyBoundsToNative(view, window);
}

AMX_ENTRY StringRecord* windowTitleGetter(ObjectHeader* object, int32_t) noexcept {
  WindowObject* window = windows::WindowOf(object);
  return window != nullptr ? LockString(window->title) : nullptr;
}

AMX_ENTRY void windowTitleSetter(ObjectHeader* object, int32_t, StringRecord* value) noexcept {
  WindowObject* window = windows::WindowOf(object);
  if (window == nullptr) return;
  ReplaceString(&window->title, value);
  RuntimeViewWindow* view = LiveViewWindow(object);
  if (view != nullptr && view->hwnd != nullptr) SetWindowTextA(view->hwnd, StringText(value));
}

AMX_ENTRY void windowFullScreenSetter(ObjectHeader* object, int32_t, ImageBool value) noexcept {
  AMX_IMAGE_CALLER();
  WindowObject* window = windows::WindowOf(object);
  if (window == nullptr) return;
  uint8_t wanted = value != 0;
  RuntimeViewWindow* view = LiveViewWindow(object);
  if (view == nullptr) {
    window->fullScreen = wanted;
    return;
  }
  if (window->fullScreen == wanted) return;
  window->fullScreen = wanted;
  if (wanted) {
    windows::EnterFullScreen(view, window);
  } else {
    windows::LeaveFullScreen(view, window);
  }
}

// The menu bar lives on the main window: False takes it off, True puts it back while the
// main window is the active one and wants it.
AMX_ENTRY void windowMenuBarVisibleSetter(ObjectHeader* object, int32_t,
                                          ImageBool value) noexcept {
  AMX_IMAGE_CALLER();
  WindowObject* window = windows::WindowOf(object);
  if (window == nullptr) return;
  window->menuBarVisible = value != 0;
  RuntimeViewWindow* main = windows::MainViewWindow();
  if (main == nullptr || main->hwnd == nullptr) return;
  if (!window->menuBarVisible) {
    windows::ShowMenuBar(main, false);
  } else if (main->active && main->Window() != nullptr && main->Window()->menuBarVisible) {
    windows::ShowMenuBar(main, true);
  }
}

AMX_ENTRY void windowBackdropSetter(ObjectHeader* object, int32_t, ObjectHeader* value) noexcept {
  AMX_IMAGE_CALLER();
  WindowObject* window = windows::WindowOf(object);
  if (window == nullptr) return;
  ReplaceObject(&window->backdrop, value);
  RuntimeViewWindow* view = LiveViewWindow(object);
  if (view != nullptr && view->hwnd != nullptr) InvalidateRect(view->hwnd, nullptr, TRUE);
}

AMX_ENTRY void windowHasBackColorSetter(ObjectHeader* object, int32_t, ImageBool value) noexcept {
  WindowObject* window = windows::WindowOf(object);
  if (window == nullptr) return;
  window->hasBackColor = value != 0;
  RuntimeViewWindow* view = LiveViewWindow(object);
  if (view == nullptr) return;
  if (window->hasBackColor) {
    windows::ApplyBackColor(view, window->backColor);
  } else {
    view->hasBackColor = 0;
    if (view->hwnd != nullptr) InvalidateRect(view->hwnd, nullptr, TRUE);
  }
}

AMX_ENTRY void windowBackColorSetter(ObjectHeader* object, int32_t, int32_t value) noexcept {
  WindowObject* window = windows::WindowOf(object);
  if (window == nullptr) return;
  window->backColor = value;
  RuntimeViewWindow* view = LiveViewWindow(object);
  if (view != nullptr && window->hasBackColor) windows::ApplyBackColor(view, value);
}

AMX_ENTRY void windowBalloonHelpSetter(ObjectHeader* object, int32_t,
                                       StringRecord* value) noexcept {
  WindowObject* window = windows::WindowOf(object);
  if (window == nullptr) return;
  ReplaceString(&window->balloonHelp, value);
  if (RuntimeViewWindow* view = LiveViewWindow(object)) view->SetBalloonHelp(value);
}

// Cursor objects carry no native cursor in this system: the arrow stays.
AMX_ENTRY void windowMouseCursorSetter(ObjectHeader* object, int32_t,
                                       ObjectHeader* value) noexcept {
  AMX_IMAGE_CALLER();
  WindowObject* window = windows::WindowOf(object);
  if (window == nullptr) return;
  ReplaceObject(&window->mouseCursor, value);
  if (RuntimeViewWindow* view = LiveViewWindow(object)) view->SetCursor(nullptr);
}

AMX_ENTRY int32_t windowControlCountGetter(ObjectHeader* object, int32_t) noexcept {
  WindowObject* window = windows::WindowOf(object);
  if (window == nullptr || window->controls == nullptr) return 0;
  int32_t count = 0;
  for (StringMapEntry* e = window->controls->First(); e != nullptr; e = e->orderNext) {
    if (IsControlObject(static_cast<ObjectHeader*>(e->value))) ++count;
  }
  return count;
}

AMX_ENTRY int32_t windowMouseXGetter(ObjectHeader* object, int32_t) noexcept {
  WindowObject* window = windows::WindowOf(object);
  return window != nullptr ? PointerInWindow(window).x : 0;
}

AMX_ENTRY int32_t windowMouseYGetter(ObjectHeader* object, int32_t) noexcept {
  WindowObject* window = windows::WindowOf(object);
  return window != nullptr ? PointerInWindow(window).y : 0;
}

AMX_ENTRY int32_t windowMacWindowPtrGetter(ObjectHeader*, int32_t) noexcept { return 0; }

AMX_ENTRY int32_t windowWinHWNDGetter(ObjectHeader* object, int32_t) noexcept {
  RuntimeViewWindow* view = LiveViewWindow(object);
  return view != nullptr ? static_cast<int32_t>(reinterpret_cast<intptr_t>(view->hwnd)) : 0;
}
