// The shared fixture of the control tests (see controls_fixture.h).
#include "tests/ui/controls_fixture.h"

#include <cstdlib>
#include <cstring>

#include "native/core/backend.h"
#include "native/core/state.h"
#include "native/headless/headless.h"
#include "native/headless/script.h"
#include "runtime/entries/entries.h"
#include "runtime/objects/builtinclasses.h"
#include "runtime/objects/heap.h"
#include "runtime/objects/objects.h"
#include "runtime/objects/stringmap.h"
#include "runtime/objects/strings.h"
#include "runtime/ui/controlclone.h"
#include "runtime/ui/controlcreation.h"
#include "runtime/ui/controlpanelist.h"
#include "runtime/ui/drawnpane.h"
#include "runtime/ui/events.h"
#include "runtime/ui/nativecontrolpane.h"
#include "runtime/ui/viewwindow.h"
#include "runtime/ui/windowlayer.h"
#include "tests/support/closewindows.h"

// Handlers are called like image code: a stack aligned to 4 bytes only, the C convention.
#define AMX_TEST_HANDLER extern "C" __attribute__((cdecl, force_align_arg_pointer, noinline))

namespace controls_test {

std::vector<std::string> gEvents;

StringRecord* Text(const char* text) { return MakeStringFromC(text); }
std::string Str(const StringRecord* s) { return std::string(StringView(s)); }
ControlObject* C(ObjectHeader* object) { return AsControl(object); }

void SpyPane::SetBounds(const Rect16& newBounds, bool redraw) {
  ++setBoundsCalls;
  lastRedraw = redraw;
  bounds = newBounds;
}

void SpyPane::ChangeState(int32_t code) {
  states.push_back(code);
  if (code == kPaneShow || code == kPaneHide) visible = code == kPaneShow;
  if (code == kPaneEnable || code == kPaneDisable) enabled = code == kPaneEnable;
}

void SpyPane::SetCursor(HCURSOR newCursor) {
  ++cursorCalls;
  cursor = newCursor;
}

namespace {

void LogEvent(const char* what, ObjectHeader* object) {
  ControlObject* c = AsControl(object);
  std::string line = std::string(what) + " " + Str(c->name) + " " + std::to_string(c->index);
  if (std::strcmp(what, "CreatePane") == 0 && controls::CreatingAtRunTime()) line += " runtime";
  gEvents.push_back(line);
}

void MakePane(ObjectHeader* object, PaneKind kind) {
  LogEvent("CreatePane", object);
  ControlObject* c = AsControl(object);
  RuntimeViewWindow* owner = c->viewWindow;
  switch (kind) {
    case PaneKind::kSpy: {
      auto* pane = new SpyPane;
      pane->bounds = c->bounds;
      controls::LinkPane(owner, pane);
      c->pane = pane;
      break;
    }
    case PaneKind::kNativeButton: {
      auto* pane = new NativeControlPane;
      if (pane->Create(owner, "BUTTON", StringText(c->name), WS_VISIBLE | BS_PUSHBUTTON, 0,
                       c->bounds)) {
        c->pane = pane;
      } else {
        delete pane;
      }
      break;
    }
    case PaneKind::kDrawnWindowed: {
      auto* pane = new DrawnPane;
      if (pane->CreateWindowed(owner, c->bounds)) {
        c->pane = pane;
      } else {
        delete pane;
      }
      break;
    }
    case PaneKind::kDrawnWindowless: {
      auto* pane = new DrawnPane;
      pane->AttachWindowless(owner, c->bounds);
      c->pane = pane;
      break;
    }
    case PaneKind::kNone:
      break;
  }
}

AMX_TEST_HANDLER void TestCreateSpyPane(ObjectHeader* o) { MakePane(o, PaneKind::kSpy); }
AMX_TEST_HANDLER void TestCreateButtonPane(ObjectHeader* o) { MakePane(o, PaneKind::kNativeButton); }
AMX_TEST_HANDLER void TestCreateDrawnPane(ObjectHeader* o) { MakePane(o, PaneKind::kDrawnWindowed); }
AMX_TEST_HANDLER void TestCreateWindowlessPane(ObjectHeader* o) {
  MakePane(o, PaneKind::kDrawnWindowless);
}
AMX_TEST_HANDLER void TestCreateNoPane(ObjectHeader* o) { MakePane(o, PaneKind::kNone); }
AMX_TEST_HANDLER void TestOpen(ObjectHeader* o) { LogEvent("Open", o); }
AMX_TEST_HANDLER void TestClose(ObjectHeader* o) { LogEvent("Close", o); }

EventHandlerEntry* Handler(const char* event, void (*entry)(ObjectHeader*),
                           EventHandlerEntry* next) {
  auto* handler = new EventHandlerEntry{};
  handler->name = MakeStringFromC(event);
  handler->entry = reinterpret_cast<CodeAddress>(entry);
  handler->next = next;
  return handler;
}

ClassRecord* MakeTestClass(const char* name, void (*createPane)(ObjectHeader*)) {
  auto* cls = new ClassRecord{};
  cls->kind = kClassRecordKind;
  cls->superclass = AMX_BUILTIN_CLASS(RectControl);
  cls->name = MakeStringFromC(name);
  cls->instanceSize = sizeof(ControlObject);
  cls->eventHandlers = Handler("CreatePane", createPane,
                               Handler("Open", TestOpen, Handler("Close", TestClose, nullptr)));
  return cls;
}

void PushPair(ControlTemplate* t, const std::string& name, const std::string& value) {
  StringRecord* n = MakeStringFromC(name.c_str());
  StringRecord* v = MakeStringFromC(value.c_str());
  AddTemplatePair(t, n, v);
  UnlockString(n);
  UnlockString(v);
}

}  // namespace

ClassRecord* ControlsTest::TestClass(PaneKind kind) {
  static ClassRecord* classes[5] = {};
  static const char* const names[5] = {"SpyControl", "ButtonControl", "DrawnControl",
                                       "WindowlessControl", "PanelessControl"};
  static void (*const handlers[5])(ObjectHeader*) = {
      TestCreateSpyPane, TestCreateButtonPane, TestCreateDrawnPane, TestCreateWindowlessPane,
      TestCreateNoPane};
  auto i = static_cast<int>(kind);
  if (classes[i] == nullptr) classes[i] = MakeTestClass(names[i], handlers[i]);
  return classes[i];
}

void ControlsTest::SetUp() {
  screen_.Install("controls");
  SetUpBuiltinClasses();
  windows::RegisterWindowClasses(GetModuleHandleA(nullptr));
  gEvents.clear();
}

void ControlsTest::TearDown() {
  CloseAndRelease(windows_);
  screen_.Release();
}

ObjectHeader* ControlsTest::NewWindow(bool native) {
  ObjectHeader* object = MakeObject(FindBuiltinClass("Window"));
  WindowObject* w = AsWindow(object);
  w->bounds = Rect16{100, 100, 400, 500};
  w->lastBounds = w->restoreBounds = w->bounds;
  w->visible = 1;
  w->closeBox = 1;
  if (w->controls == nullptr) w->controls = NewStringMap();
  windows_.push_back(object);
  if (!native) return object;
  auto* view = new RuntimeViewWindow(w, 8);
  EXPECT_TRUE(windows::CreateNativeWindow(view, w));
  w->native = view;
  view->shown = 1;
  ShowWindow(view->Handle(), SW_SHOW);
  return object;
}

ObjectHeader* ControlsTest::AddControl(ObjectHeader* window, const char* name, int32_t index,
                                       Rect16 b, const Pairs& extra, PaneKind kind) {
  WindowObject* w = AsWindow(window);
  ClassRecord* cls = TestClass(kind);
  ObjectHeader* object = MakeObject(cls);
  PrepareControl(object, w);
  ControlTemplate* t = NewControlTemplate(cls);
  Pairs pairs = {{"Name", name},
                 {"Index", std::to_string(index)},
                 {"Left", std::to_string(b.left)},
                 {"Top", std::to_string(b.top)},
                 {"Width", std::to_string(b.Width())},
                 {"Height", std::to_string(b.Height())},
                 {"Visible", "True"},
                 {"Enabled", "True"}};
  pairs.insert(pairs.end(), extra.begin(), extra.end());
  for (const auto& [n, v] : pairs) {
    PushPair(t, n, v);
    StringRef pn = StringRef::Adopt(MakeStringFromC(n.c_str()));
    StringRef pv = StringRef::Adopt(MakeStringFromC(v.c_str()));
    ApplyPropertyFromText(object, pn.get(), pv.get());
  }
  StringRef nameText = StringRef::Adopt(MakeStringFromC(name));
  if (FindControlTemplate(w, nameText.get()) == nullptr) {
    t->name = LockString(nameText.get());
    t->arrayIndex = index;
    t->next = w->controlTemplates;
    w->controlTemplates = t;
  } else {
    FreeControlTemplate(t);
  }
  C(object)->arrayIndex = index;
  C(object)->index = index;
  StringRef key = StringRef::Adopt(ControlKey(nameText.get(), index));
  w->controls->Put(key.get(), object);  // the dictionary holds the creation's reference
  return object;
}

void ControlsTest::CreatePanes(ObjectHeader* window) {
  for (StringMapEntry* e = AsWindow(window)->controls->First(); e != nullptr; e = e->orderNext) {
    auto* object = static_cast<ObjectHeader*>(e->value);
    RaiseEvent(object, AMX_BUILTIN_EVENT(Control, CreatePane));
    AttachControlPane(C(object));
  }
}

SpyPane* ControlsTest::Spy(ObjectHeader* control) {
  return dynamic_cast<SpyPane*>(C(control)->pane);
}

void ControlsTest::Close(ObjectHeader* window) { RuntimeCloseWindow(window); }

}  // namespace controls_test
