// The mouse as a window sees it: presses offered to the child panes and then to MouseDown
// (whose True captures the mouse for MouseDrag and MouseUp), moves that raise the controls'
// MouseExit/MouseEnter/MouseMove before the window's MouseMove, leaving and entering the
// window, and the tracker the main loop runs on every iteration. Entry points: the
// RuntimeViewWindow mouse operations, TrackMouse.
#include "runtime/objects/builtinclasses.h"
#include "runtime/ui/controlcreation.h"
#include "runtime/ui/events.h"
#include "runtime/ui/windowlayer.h"

namespace {

HWND gTracked = nullptr;   // the top-level window the pointer is over
POINT gLast = {0, 0};
bool gHaveLast = false;

uint32_t Word(int32_t value) { return static_cast<uint32_t>(value); }

bool RaisePoint(ObjectHeader* receiver, EventDeclaration* event, int32_t x, int32_t y,
                bool boolean = false) {
  const uint32_t args[2] = {Word(x), Word(y)};
  return boolean ? RaiseBoolEvent(receiver, event, 2, args) : RaiseEvent(receiver, event, 2, args);
}

bool PaneTakesPoint(const Pane* pane, int32_t x, int32_t y) {
  return pane != nullptr && pane->visible && pane->enabled && pane->bounds.Contains(x, y);
}

void ResetCursor() { SetCursor(LoadCursorA(nullptr, IDC_ARROW)); }

// Every loop over the controls below reads the next dictionary entry only while the window
// is not closing: a handler that closes its own window frees the entries under the loop.

// Step 1 of a move: every control the pointer has left.
void RaiseExits(RuntimeViewWindow* view, WindowObject* window, int32_t x, int32_t y) {
  for (StringMapEntry* e = window->controls->First(); e != nullptr;
       e = view->closing ? nullptr : e->orderNext) {
    auto* object = static_cast<ObjectHeader*>(e->value);
    if (!IsControlObject(object)) continue;
    ControlObject* control = AsControl(object);
    if (!control->mouseInside || PaneTakesPoint(control->pane, x, y)) continue;
    control->mouseInside = 0;
    ResetCursor();
    if (control->pane != nullptr) control->pane->MouseLeft();
    RaiseEvent(object, AMX_BUILTIN_EVENT(RectControl, MouseExit));
  }
}

// Step 2: entering and moving over controls, coordinates relative to each control.
void RaiseEntersAndMoves(RuntimeViewWindow* view, WindowObject* window, int32_t x, int32_t y) {
  for (StringMapEntry* e = window->controls->First(); e != nullptr;
       e = view->closing ? nullptr : e->orderNext) {
    auto* object = static_cast<ObjectHeader*>(e->value);
    if (!IsControlObject(object)) continue;
    ControlObject* control = AsControl(object);
    Pane* pane = control->pane;
    if (!PaneTakesPoint(pane, x, y) || !control->bounds.Contains(x, y)) continue;
    if (!control->mouseInside) {
      control->mouseInside = 1;
      if (pane->cursor != nullptr) SetCursor(pane->cursor);
      pane->MouseEntered();
      RaiseEvent(object, AMX_BUILTIN_EVENT(RectControl, MouseEnter));
      if (view->closing) break;
    }
    RaisePoint(object, AMX_BUILTIN_EVENT(RectControl, MouseMove), x - control->bounds.left,
               y - control->bounds.top);
  }
}

void Deliver(HWND hwnd, void (*action)(RuntimeViewWindow*, int32_t, int32_t), int32_t x,
             int32_t y) {
  RuntimeViewWindow* view = ViewWindowFromHandle(hwnd);
  if (view == nullptr || view->torndown) return;
  view->Hold();
  action(view, x, y);
  view->Release();
}

void DeliverExit(RuntimeViewWindow* view, int32_t, int32_t) { view->MouseLeft(); }
void DeliverEnter(RuntimeViewWindow* view, int32_t, int32_t) { view->MouseEntered(); }
void DeliverMove(RuntimeViewWindow* view, int32_t x, int32_t y) { view->MouseMove(x, y); }

HWND TopLevelAncestor(HWND hwnd) {
  while (hwnd != nullptr && (GetWindowLongA(hwnd, GWL_STYLE) & WS_CHILD) != 0) {
    HWND parent = GetParent(hwnd);
    if (parent == nullptr) break;
    hwnd = parent;
  }
  return hwnd;
}

void LeaveTracked() {
  HWND old = gTracked;
  gTracked = nullptr;
  if (old != nullptr) Deliver(old, DeliverExit, 0, 0);
}

}  // namespace

bool RuntimeViewWindow::MouseDown(int32_t x, int32_t y, int32_t modifiers) {
  Hold();
  for (Pane* pane = panes; pane != nullptr; pane = closing ? nullptr : pane->next) {
    if (PaneTakesPoint(pane, x, y) && pane->MouseDown(x, y, modifiers)) {
      Release();
      return true;
    }
  }
  bool captured = false;
  if (!closing && window_ != nullptr) {
    captured = RaisePoint(&window_->header, AMX_BUILTIN_EVENT(Window, MouseDown), x, y, true);
  }
  if (captured && !closing && hwnd != nullptr) {
    mouseCaptured = 1;
    SetCapturePane(this);
    SetCapture(hwnd);
  }
  Release();
  return captured;
}

void RuntimeViewWindow::MouseDrag(int32_t x, int32_t y) {
  if (!mouseCaptured || closing || window_ == nullptr) return;
  RaisePoint(&window_->header, AMX_BUILTIN_EVENT(Window, MouseDrag), x, y);
}

void RuntimeViewWindow::MouseUp(int32_t x, int32_t y) {
  if (!mouseCaptured) return;
  mouseCaptured = 0;
  if (CapturePane() == this) SetCapturePane(nullptr);
  if (!closing && window_ != nullptr) {
    RaisePoint(&window_->header, AMX_BUILTIN_EVENT(Window, MouseUp), x, y);
  }
}

void RuntimeViewWindow::MouseMove(int32_t x, int32_t y) {
  if (closing || window_ == nullptr) return;
  Hold();
  WindowObject* window = window_;
  if (window->controls != nullptr) {
    RaiseExits(this, window, x, y);
    if (!closing) RaiseEntersAndMoves(this, window, x, y);
  }
  if (!closing) RaisePoint(&window->header, AMX_BUILTIN_EVENT(Window, MouseMove), x, y);
  Release();
}

void RuntimeViewWindow::MouseEntered() {
  if (closing || window_ == nullptr) return;
  RaiseEvent(&window_->header, AMX_BUILTIN_EVENT(Window, MouseEnter));
}

void RuntimeViewWindow::MouseLeft() {
  if (closing || window_ == nullptr) return;
  Hold();
  WindowObject* window = window_;
  for (StringMapEntry* e = window->controls ? window->controls->First() : nullptr;
       e != nullptr; e = closing ? nullptr : e->orderNext) {
    auto* object = static_cast<ObjectHeader*>(e->value);
    if (!IsControlObject(object) || !AsControl(object)->mouseInside) continue;
    AsControl(object)->mouseInside = 0;
    if (AsControl(object)->pane != nullptr) AsControl(object)->pane->MouseLeft();
    RaiseEvent(object, AMX_BUILTIN_EVENT(RectControl, MouseExit));
  }
  if (!closing) RaiseEvent(&window->header, AMX_BUILTIN_EVENT(Window, MouseExit));
  Release();
}

namespace windows {

void TrackMouse() {
  POINT point = {0, 0};
  GetCursorPos(&point);
  if (Pane* capture = CapturePane()) {  // 1
    HWND target = capture->owner != nullptr ? capture->owner->hwnd : capture->hwnd;
    if (target == nullptr) return;
    ScreenToClient(target, &point);
    capture->MouseDrag(point.x, point.y);
    return;
  }
  if (gHaveLast && point.x == gLast.x && point.y == gLast.y) return;  // 2
  gLast = point;
  gHaveLast = true;
  HWND found = TopLevelAncestor(WindowFromPoint(point));  // 3
  RuntimeViewWindow* view = ViewWindowFromHandle(found);
  if (view == nullptr || view->torndown) {  // 4: nothing of ours there
    LeaveTracked();
    return;
  }
  if (gTracked != nullptr && gTracked != found) LeaveTracked();  // 5
  POINT client = point;  // 6
  ScreenToClient(found, &client);
  RECT area = {};
  GetClientRect(found, &area);
  if (client.x < 0 || client.y < 0 || client.x >= area.right || client.y >= area.bottom) return;
  if (gTracked != found) {
    gTracked = found;
    Deliver(found, DeliverEnter, 0, 0);
  }
  if (gTracked == found) Deliver(found, DeliverMove, client.x, client.y);
}

void ForgetTrackedWindow(HWND hwnd) {
  if (gTracked == hwnd) gTracked = nullptr;
}

void ResetMouseTracker() {
  gTracked = nullptr;
  gHaveLast = false;
}

}  // namespace windows
