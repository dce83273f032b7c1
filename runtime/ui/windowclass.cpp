// The Window class's own pieces: recognising window objects, letting go of what a window
// holds when it is destroyed, and installing the window layer's start-up hooks (window
// classes, the window list the loop and the quitting procedure walk, showing windows marked
// visible, the mouse tracker, keyboard pre-translation). Entry points: WindowOf,
// builtins::WindowDestructor, InstallWindowLayer.
#include "runtime/objects/builtinclasses.h"
#include "runtime/objects/objects.h"
#include "runtime/objects/strings.h"
#include "runtime/startup/hooks.h"
#include "runtime/ui/controlcreation.h"
#include "runtime/ui/windowlayer.h"

namespace windows {
namespace {

bool IsOpen(const RuntimeViewWindow* view) {
  return !view->torndown && view->Window() != nullptr;
}

ObjectHeader* WindowAt(int32_t index) {
  for (RuntimeViewWindow* v = FirstViewWindow(); v != nullptr; v = v->nextViewWindow) {
    if (!IsOpen(v)) continue;
    if (index-- == 0) return &v->Window()->header;
  }
  return nullptr;
}

ObjectHeader* FirstWindow() { return WindowAt(0); }

// Shutdown and the quitting procedure have already asked: close without CancelClose.
void CloseWindowHook(ObjectHeader* window) { CloseNow(LiveViewWindow(window)); }

bool RefusesCloseHook(ObjectHeader* window) {
  WindowObject* w = WindowOf(window);
  return w != nullptr && WindowRefusesClose(w);
}

bool PaneHasCapture() { return CapturePane() != nullptr; }
bool PreTranslateHook(MSG* message) { return PreTranslateMessage(message); }

void ReleaseDictionary(WindowObject* window) {
  StringMap* controls = window->controls;
  window->controls = nullptr;
  if (controls == nullptr) return;
  for (StringMapEntry* e = controls->First(); e != nullptr; e = e->orderNext) {
    auto* object = static_cast<ObjectHeader*>(e->value);
    e->value = nullptr;
    UnlockObject(object);
  }
  DeleteStringMap(controls);
}

// The layer installs itself when the program is loaded (RuntimeInit then finds it ready).
const bool gInstalled = (InstallWindowLayer(), true);

}  // namespace

WindowObject* WindowOf(ObjectHeader* object) {
  if (object == nullptr || !ObjectIsa(object, AMX_BUILTIN_CLASS(Window))) return nullptr;
  return AsWindow(object);
}

int32_t OpenWindowCount() {
  int32_t count = 0;
  for (RuntimeViewWindow* v = FirstViewWindow(); v != nullptr; v = v->nextViewWindow) {
    if (IsOpen(v)) ++count;
  }
  return count;
}

void InstallWindowLayer() {
  RuntimeHooks& hooks = StartupHooks();
  hooks.registerWindowClasses = RegisterWindowClasses;
  hooks.openWindowCount = OpenWindowCount;
  hooks.firstWindow = FirstWindow;
  hooks.windowAt = WindowAt;
  hooks.closeWindow = CloseWindowHook;
  hooks.windowRefusesClose = RefusesCloseHook;
  hooks.showWindowsMarkedVisible = ShowWindowsMarkedVisible;
  hooks.paneHasCapture = PaneHasCapture;
  hooks.trackMouse = TrackMouse;
  hooks.preTranslateMessage = PreTranslateHook;
}

}  // namespace windows

namespace builtins {

// A window is destroyed after its native side is gone (the RuntimeViewWindow holds it until
// then); what is left to let go of is its own fields, controls and templates.
void WindowDestructor(ObjectHeader* object, ClassRecord*) {
  WindowObject* window = AsWindow(object);
  windows::ReleaseDictionary(window);
  FreeControlTemplates(window);
  for (StringRecord** text : {&window->title, &window->balloonHelp, &window->floaterProcess}) {
    UnlockString(*text);
    *text = nullptr;
  }
  for (ObjectHeader** held : {&window->backdrop, &window->mouseCursor}) {
    ObjectHeader* old = *held;
    *held = nullptr;
    UnlockObject(old);
  }
}

}  // namespace builtins
