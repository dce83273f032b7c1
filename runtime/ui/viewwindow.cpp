// RuntimeViewWindow's life: the global list, the hold count that keeps the object across
// handlers, and closing step 4 (controls released, panes and the native window destroyed).
// Its input operations live in windowmouse.cpp and windowpaint.cpp. Entry points: the
// class, FirstViewWindow, FrontmostViewWindow, FocusedPane, LiveViewWindow.
#include "runtime/ui/viewwindow.h"

#include "runtime/objects/objects.h"
#include "runtime/objects/stringmap.h"
#include "runtime/ui/controlcreation.h"
#include "runtime/ui/controlobject.h"
#include "runtime/ui/instancevariable.h"
#include "runtime/ui/windowlayer.h"

namespace {

RuntimeViewWindow* gFirstViewWindow = nullptr;
Pane* gCapturePane = nullptr;

void Unlink(RuntimeViewWindow* view) {
  for (RuntimeViewWindow** link = &gFirstViewWindow; *link != nullptr;
       link = &(*link)->nextViewWindow) {
    if (*link == view) {
      *link = view->nextViewWindow;
      break;
    }
  }
  view->nextViewWindow = nullptr;
}

// Every control lets go of its pane before the dictionary's references are dropped, so a
// control the application still holds keeps its fields but has no pane.
void ReleaseControls(WindowObject* window) {
  StringMap* controls = window->controls;
  if (controls == nullptr) return;
  for (StringMapEntry* e = controls->First(); e != nullptr; e = e->orderNext) {
    auto* object = static_cast<ObjectHeader*>(e->value);
    e->value = nullptr;
    UnlockObject(object);
  }
  controls->Clear();
}

void DestroyPanes(RuntimeViewWindow* view) {
  while (Pane* pane = view->panes) {
    pane->Closing();
    view->panes = pane->next;
    pane->owner = nullptr;  // already unlinked
    pane->next = nullptr;
    delete pane;
  }
  view->focusPane = nullptr;
}

}  // namespace

RuntimeViewWindow::RuntimeViewWindow(WindowObject* window, int32_t windowKind)
    : kind(windowKind), window_(window) {
  name = "RuntimeViewWindow";
  LockObject(&window->header);
  nextViewWindow = gFirstViewWindow;
  gFirstViewWindow = this;
}

RuntimeViewWindow::~RuntimeViewWindow() {
  if (!torndown) TearDown();
  ObjectHeader* window = retiredWindow_;
  retiredWindow_ = nullptr;
  UnlockObject(window);
}

void RuntimeViewWindow::Hold() { ++holds; }

bool RuntimeViewWindow::Release() {
  if (--holds >= 0) return true;
  delete this;
  return false;
}

void RuntimeViewWindow::TearDown() {
  if (torndown) return;
  torndown = 1;
  closing = 1;
  WindowObject* window = window_;
  window_ = nullptr;
  if (window != nullptr) {
    for (StringMapEntry* e = window->controls ? window->controls->First() : nullptr;
         e != nullptr; e = e->orderNext) {
      auto* object = static_cast<ObjectHeader*>(e->value);
      if (IsControlObject(object)) {
        ControlObject* control = AsControl(object);
        control->pane = nullptr;  // panes go below
        control->viewWindow = nullptr;
      }
    }
  }
  DestroyPanes(this);
  if (window != nullptr) {
    ReleaseControls(window);
    if (window->native == this) window->native = nullptr;
  }
  if (gCapturePane == this) gCapturePane = nullptr;
  windows::DestroyNativeWindow(this);
  Unlink(this);
  if (instanceVariable != nullptr) {
    ObjectHeader* held = LoadInstanceVariable(instanceVariable);
    StoreInstanceVariable(instanceVariable, nullptr);
    instanceVariable = nullptr;
    UnlockObject(held);
  }
  // The Window stays retained until the last hold lets go of this object, so a handler
  // that closed its own window still runs on a live object.
  retiredWindow_ = window != nullptr ? &window->header : nullptr;
}

RuntimeViewWindow* FirstViewWindow() { return gFirstViewWindow; }

RuntimeViewWindow* FrontmostViewWindow() {
  HWND active = GetActiveWindow();
  for (RuntimeViewWindow* v = gFirstViewWindow; v != nullptr; v = v->nextViewWindow) {
    if (v->hwnd != nullptr && v->hwnd == active) return v;
  }
  for (RuntimeViewWindow* v = gFirstViewWindow; v != nullptr; v = v->nextViewWindow) {
    if (v->active) return v;
  }
  return nullptr;
}

Pane* FocusedPane() {
  HWND focus = GetFocus();
  for (RuntimeViewWindow* v = gFirstViewWindow; v != nullptr; v = v->nextViewWindow) {
    for (Pane* p = v->panes; p != nullptr; p = p->next) {
      if (p->hwnd != nullptr && p->hwnd == focus) return p;
    }
  }
  RuntimeViewWindow* front = FrontmostViewWindow();
  return front != nullptr ? front->focusPane : nullptr;
}

RuntimeViewWindow* ViewWindowFromHandle(HWND hwnd) {
  if (hwnd == nullptr) return nullptr;
  for (RuntimeViewWindow* v = gFirstViewWindow; v != nullptr; v = v->nextViewWindow) {
    if (v->hwnd == hwnd) return v;
  }
  return nullptr;
}

RuntimeViewWindow* LiveViewWindow(ObjectHeader* window) {
  if (windows::WindowOf(window) == nullptr) return nullptr;
  RuntimeViewWindow* view = AsWindow(window)->native;
  return view != nullptr && !view->torndown ? view : nullptr;
}

Pane* CapturePane() { return gCapturePane; }
void SetCapturePane(Pane* pane) { gCapturePane = pane; }
