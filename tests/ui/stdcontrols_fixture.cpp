// The shared fixture of the standard-control tests (see stdcontrols_fixture.h).
#include "tests/ui/stdcontrols_fixture.h"

#include <cctype>
#include <cstdlib>
#include <cstring>
#include <map>

#include "native/core/backend.h"
#include "native/core/input.h"
#include "native/core/state.h"
#include "native/headless/headless.h"
#include "native/headless/script.h"
#include "runtime/entries/entries.h"
#include "runtime/entries/entry.h"
#include "runtime/objects/builtinclasses.h"
#include "runtime/objects/objects.h"
#include "runtime/objects/stringmap.h"
#include "runtime/objects/strings.h"
#include "runtime/ui/controlcreation.h"
#include "runtime/ui/events.h"
#include "runtime/ui/shortcuts.h"
#include "runtime/ui/viewwindow.h"
#include "runtime/ui/windowlayer.h"
#include "tests/support/closewindows.h"

namespace stdcontrols_test {

std::vector<std::string> gLog;
bool gMouseDownAnswer = false;
bool gMouseUpAnswer = false;
bool gKeyDownAnswer = false;
std::string gCloseWindowOn;

StringRecord* Text(const char* text) { return MakeStringFromC(text); }
std::string Str(const StringRecord* s) { return std::string(StringView(s)); }

namespace {

std::string NameOf(ObjectHeader* object) { return Str(AsControl(object)->name); }

void CloseIfAsked(const char* event, ObjectHeader* object) {
  if (gCloseWindowOn != event) return;
  gCloseWindowOn.clear();
  RuntimeCloseWindow(AsControl(object)->window);
}

void Log(const char* event, ObjectHeader* object) {
  gLog.push_back(std::string(event) + " " + NameOf(object));
  CloseIfAsked(event, object);
}

void LogAt(const char* event, ObjectHeader* object, int32_t x, int32_t y) {
  gLog.push_back(std::string(event) + " " + NameOf(object) + " " + std::to_string(x) + " " +
                 std::to_string(y));
  CloseIfAsked(event, object);
}

AMX_ENTRY void LogAction(ObjectHeader* o) noexcept { Log("Action", o); }
AMX_ENTRY void LogGotFocus(ObjectHeader* o) noexcept { Log("GotFocus", o); }
AMX_ENTRY void LogLostFocus(ObjectHeader* o) noexcept { Log("LostFocus", o); }
AMX_ENTRY void LogTextChange(ObjectHeader* o) noexcept { Log("TextChange", o); }
AMX_ENTRY void LogAcceleratorKey(ObjectHeader* o) noexcept { Log("AcceleratorKey", o); }
AMX_ENTRY uint32_t LogMouseDown(ObjectHeader* o, int32_t x, int32_t y) noexcept {
  LogAt("MouseDown", o, x, y);
  return gMouseDownAnswer ? 1 : 0;
}
AMX_ENTRY uint32_t LogMouseUp(ObjectHeader* o, int32_t x, int32_t y) noexcept {
  LogAt("MouseUp", o, x, y);
  return gMouseUpAnswer ? 1 : 0;
}
AMX_ENTRY void LogMouseDrag(ObjectHeader* o, int32_t x, int32_t y) noexcept {
  LogAt("MouseDrag", o, x, y);
}
AMX_ENTRY uint32_t LogKeyDown(ObjectHeader* o, StringRecord* key) noexcept {
  gLog.push_back("KeyDown " + NameOf(o) + " " + Str(key));
  return gKeyDownAnswer ? 0x101 : 0x100;  // only the low byte counts
}

struct NamedHandler {
  const char* event;
  void* entry;
};

const NamedHandler kHandlers[] = {
    {"Action", reinterpret_cast<void*>(&LogAction)},
    {"GotFocus", reinterpret_cast<void*>(&LogGotFocus)},
    {"LostFocus", reinterpret_cast<void*>(&LogLostFocus)},
    {"TextChange", reinterpret_cast<void*>(&LogTextChange)},
    {"AcceleratorKey", reinterpret_cast<void*>(&LogAcceleratorKey)},
    {"MouseDown", reinterpret_cast<void*>(&LogMouseDown)},
    {"MouseUp", reinterpret_cast<void*>(&LogMouseUp)},
    {"MouseDrag", reinterpret_cast<void*>(&LogMouseDrag)},
    {"KeyDown", reinterpret_cast<void*>(&LogKeyDown)},
};

ClassRecord* MakeLoggingClass(const char* builtinName) {
  auto* cls = new ClassRecord{};
  cls->kind = kClassRecordKind;
  cls->superclass = FindBuiltinClass(builtinName);
  cls->instanceSize = cls->superclass->instanceSize;
  for (const NamedHandler& h : kHandlers) {
    auto* handler = new EventHandlerEntry{};
    handler->name = MakeStringFromC(h.event);
    handler->entry = h.entry;
    handler->next = cls->eventHandlers;
    cls->eventHandlers = handler;
  }
  return cls;
}

POINT ScreenPoint(ObjectHeader* window, int32_t x, int32_t y) {
  POINT p{x, y};
  ClientToScreen(AsWindow(window)->native->Handle(), &p);
  return p;
}

}  // namespace

void StdControlsTest::SetUp() {
  screen_.Install("stdcontrols");
  SetUpBuiltinClasses();
  windows::RegisterWindowClasses(GetModuleHandleA(nullptr));
  ClearShortcuts();
  gLog.clear();
  gMouseDownAnswer = false;
  gMouseUpAnswer = false;
  gKeyDownAnswer = false;
  gCloseWindowOn.clear();
}

void StdControlsTest::TearDown() {
  CloseAndRelease(windows_);
  ClearShortcuts();
  screen_.Release();
}

ClassRecord* StdControlsTest::LoggingClass(const char* builtinName) {
  // Never destroyed: the classes live for the whole test program, and a map torn down at
  // exit would leave them unreachable before the leak check runs.
  static auto* classes = new std::map<std::string, ClassRecord*>;
  ClassRecord*& cls = (*classes)[builtinName];
  if (cls == nullptr) cls = MakeLoggingClass(builtinName);
  return cls;
}

ObjectHeader* StdControlsTest::NewWindow() {
  ObjectHeader* object = MakeObject(FindBuiltinClass("Window"));
  WindowObject* w = AsWindow(object);
  w->bounds = Rect16{100, 100, 400, 500};
  w->lastBounds = w->restoreBounds = w->bounds;
  w->visible = 1;
  w->closeBox = 1;
  if (w->controls == nullptr) w->controls = NewStringMap();
  windows_.push_back(object);
  auto* view = new RuntimeViewWindow(w, 8);
  EXPECT_TRUE(windows::CreateNativeWindow(view, w));
  w->native = view;
  view->shown = 1;
  ShowWindow(view->Handle(), SW_SHOW);
  SetActiveWindow(view->Handle());
  Pump();
  return object;
}

ObjectHeader* StdControlsTest::AddControl(ObjectHeader* window, ClassRecord* cls,
                                          const char* name, Rect16 b, const Pairs& extra) {
  WindowObject* w = AsWindow(window);
  ObjectHeader* object = MakeObject(cls);
  PrepareControl(object, w);
  Pairs pairs = {{"Name", name},
                 {"Index", "-2147483648"},
                 {"Visible", "True"},
                 {"Enabled", "True"},
                 {"Left", std::to_string(b.left)},
                 {"Top", std::to_string(b.top)},
                 {"Width", std::to_string(b.Width())},
                 {"Height", std::to_string(b.Height())}};
  pairs.insert(pairs.end(), extra.begin(), extra.end());
  for (const auto& [n, v] : pairs) {
    StringRef pn = StringRef::Adopt(MakeStringFromC(n.c_str()));
    StringRef pv = StringRef::Adopt(MakeStringFromC(v.c_str()));
    ApplyPropertyFromText(object, pn.get(), pv.get());
  }
  AsControl(object)->arrayIndex = kNotInArray;
  StringRef key = StringRef::Adopt(MakeStringFromC(name));
  w->controls->Put(key.get(), object);  // the dictionary holds the creation's reference
  return object;
}

void StdControlsTest::CreatePanes(ObjectHeader* window) {
  for (StringMapEntry* e = AsWindow(window)->controls->First(); e != nullptr; e = e->orderNext) {
    auto* object = static_cast<ObjectHeader*>(e->value);
    RaiseEvent(object, AMX_BUILTIN_EVENT(Control, CreatePane));
    AttachControlPane(AsControl(object));
  }
  Pump();
}

void StdControlsTest::Pump() {
  MSG msg;
  for (int guard = 0; guard < 1000 && PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE); ++guard) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
}

void StdControlsTest::PressAt(ObjectHeader* window, int32_t x, int32_t y) {
  POINT p = ScreenPoint(window, x, y);
  native::InputPointer(native::PointerAction::kMove, p);
  native::InputPointer(native::PointerAction::kLeftDown, p);
  Pump();
}

void StdControlsTest::ReleaseAt(ObjectHeader* window, int32_t x, int32_t y) {
  POINT p = ScreenPoint(window, x, y);
  native::InputPointer(native::PointerAction::kMove, p);
  native::InputPointer(native::PointerAction::kLeftUp, p);
  Pump();
}

// The point is taken once: a handler may close the window between press and release.
void StdControlsTest::ClickAt(ObjectHeader* window, int32_t x, int32_t y) {
  POINT p = ScreenPoint(window, x, y);
  native::InputPointer(native::PointerAction::kMove, p);
  native::InputPointer(native::PointerAction::kLeftDown, p);
  Pump();
  native::InputPointer(native::PointerAction::kLeftUp, p);
  Pump();
}

void StdControlsTest::Type(const std::string& text) {
  for (char c : text) {
    native::InputKeyPress(static_cast<uint8_t>(std::toupper(static_cast<uint8_t>(c))), c, 0);
  }
  Pump();
}

std::string StdControlsTest::Out() {
  return screen_.Out();
}

HWND StdControlsTest::Child(ObjectHeader* control) {
  Pane* pane = AsControl(control)->pane;
  return pane != nullptr ? pane->hwnd : nullptr;
}

std::string StdControlsTest::NativeText(HWND hwnd) {
  char buffer[512] = {};
  GetWindowTextA(hwnd, buffer, sizeof buffer);
  return buffer;
}

}  // namespace stdcontrols_test
