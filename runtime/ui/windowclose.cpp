// The close request (CancelClose, then closing) and closing itself: the closing events of
// the controls and the window, then the teardown of the native side. A handler may close
// the window again meanwhile; the hold on the RuntimeViewWindow keeps it valid until the
// outermost closing lets go. Entry points: RuntimeCloseWindow, RequestClose, CloseNow.
#include "runtime/entries/entries.h"
#include "runtime/exceptions/imagecall.h"
#include "runtime/objects/builtinclasses.h"
#include "runtime/objects/objects.h"
#include "runtime/ui/controlcreation.h"
#include "runtime/ui/events.h"
#include "runtime/ui/windowlayer.h"

namespace windows {
namespace {

void DropFocusOf(RuntimeViewWindow* view, ControlObject* control) {
  Pane* pane = control->pane;
  if (pane == nullptr) return;
  if (pane->hwnd != nullptr && GetFocus() == pane->hwnd) SetFocus(nullptr);
  if (view->focusPane == pane) view->focusPane = nullptr;
}

// Step 2: the controls' Close events in dictionary order, then the window's. A handler that
// closes the window again tears it down and frees the dictionary's entries, so the next
// entry is read only while the window stands.
void RaiseClosingEvents(RuntimeViewWindow* view, WindowObject* window) {
  for (StringMapEntry* e = window->controls ? window->controls->First() : nullptr;
       e != nullptr; e = view->torndown ? nullptr : e->orderNext) {
    auto* object = static_cast<ObjectHeader*>(e->value);
    if (!IsControlObject(object)) continue;
    DropFocusOf(view, AsControl(object));
    RaiseEvent(object, AMX_BUILTIN_EVENT(Control, Close));
  }
  if (!view->torndown) RaiseEvent(&window->header, AMX_BUILTIN_EVENT(Window, Close));
}

}  // namespace

bool WindowRefusesClose(WindowObject* window) {
  return RaiseBoolEvent(&window->header, AMX_BUILTIN_EVENT(Window, CancelClose));
}

void CloseNow(RuntimeViewWindow* view) {
  if (view == nullptr || view->torndown) return;
  if (!view->closing) {  // 1
    view->closing = 1;
    WindowObject* window = view->Window();
    view->Hold();  // 2
    if (window != nullptr) RaiseClosingEvents(view, window);
    if (!view->Release()) return;  // 3: a handler's closing finished the job
    if (view->torndown) return;
  }
  view->TearDown();  // 4
  view->Release();
}

bool RequestClose(RuntimeViewWindow* view) {
  if (view == nullptr || view->torndown) return true;
  WindowObject* window = view->Window();
  view->Hold();
  bool refused = window != nullptr && WindowRefusesClose(window);
  bool alive = view->Release();
  if (refused) return false;
  if (alive) CloseNow(view);
  return true;
}

}  // namespace windows

AMX_ENTRY void RuntimeCloseWindow(ObjectHeader* window) noexcept {
  AMX_IMAGE_CALLER();
  windows::RequestClose(LiveViewWindow(window));
}
