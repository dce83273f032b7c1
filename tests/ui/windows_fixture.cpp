// The shared fixture of the window tests (see windows_fixture.h).
#include "tests/ui/windows_fixture.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "native/core/backend.h"
#include "native/core/input.h"
#include "native/core/state.h"
#include "native/headless/headless.h"
#include "native/headless/script.h"
#include "runtime/entries/entries.h"
#include "runtime/objects/builtinclasses.h"
#include "runtime/objects/classtable.h"
#include "runtime/objects/heap.h"
#include "runtime/objects/objects.h"
#include "runtime/objects/stringmap.h"
#include "runtime/objects/strings.h"
#include "runtime/records/datablock.h"
#include "runtime/startup/hooks.h"
#include "runtime/ui/controlcreation.h"
#include "runtime/ui/windowlayer.h"
#include "tests/exceptions/testimage.h"

namespace windows_test {

std::vector<std::string> gLog;
Behaviour gBehave;

namespace {

std::vector<StringRecord*> gKeptTexts;  // made by handlers after closing (textsAfterClose)

std::string Name(ObjectHeader* control) {
  ControlObject* c = AsControl(control);
  std::string name(StringView(c->name));
  if (c->arrayIndex != kNotInArray) name += "$" + std::to_string(c->arrayIndex);
  return name;
}

// Logs the line; the Behaviour may then close the window of the receiver.
void Log(const std::string& line, ObjectHeader* window) {
  gLog.push_back(line);
  if (gBehave.closeOn.empty() || line != gBehave.closeOn) return;
  RuntimeCloseWindow(window);
  for (int i = 0; i < gBehave.textsAfterClose; ++i) {
    gKeptTexts.push_back(MakeStringFromC("ZZZZZZZZZZZZZZZZZZZZZZZZZZ"));
  }
  if (gBehave.afterClose != nullptr) gBehave.afterClose();
}

void LogWindow(ObjectHeader* o, const std::string& line) { Log(line, o); }
void LogControl(ObjectHeader* o, const std::string& line) {
  Log("ctl:" + line + " " + Name(o), AsControl(o)->window);
}
std::string Point(int32_t x, int32_t y) {
  return " " + std::to_string(x) + " " + std::to_string(y);
}

extern "C" {
uint32_t WinOpen(ObjectHeader* o) {
  if (gBehave.watch != nullptr) {
    gLog.push_back(*gBehave.watch == o ? "variable holds the window" : "variable empty");
  }
  LogWindow(o, "Open");
  return 0;
}
uint32_t WinClose(ObjectHeader* o) { LogWindow(o, "Close"); return 0; }
uint32_t WinCancelClose(ObjectHeader* o) {
  LogWindow(o, "CancelClose");
  return gBehave.cancelClose ? 0xFFFFFF01u : 0xFFFFFF00u;  // only the low byte counts
}
uint32_t WinKeyDown(ObjectHeader* o, StringRecord* key) {
  LogWindow(o, "KeyDown " + std::string(StringView(key)));
  return gBehave.keyDown;
}
uint32_t WinMouseMove(ObjectHeader* o, int32_t x, int32_t y) {
  LogWindow(o, "MouseMove" + Point(x, y));
  return 0;
}
uint32_t WinMouseEnter(ObjectHeader* o) { LogWindow(o, "MouseEnter"); return 0; }
uint32_t WinMouseExit(ObjectHeader* o) { LogWindow(o, "MouseExit"); return 0; }
uint32_t WinMouseDown(ObjectHeader* o, int32_t x, int32_t y) {
  LogWindow(o, "MouseDown" + Point(x, y));
  return gBehave.mouseDown;
}
uint32_t WinMouseDrag(ObjectHeader* o, int32_t x, int32_t y) {
  LogWindow(o, "MouseDrag" + Point(x, y));
  return 0;
}
uint32_t WinMouseUp(ObjectHeader* o, int32_t x, int32_t y) {
  LogWindow(o, "MouseUp" + Point(x, y));
  return 0;
}
uint32_t WinResized(ObjectHeader* o) { LogWindow(o, "Resized"); return 0; }
uint32_t WinMoved(ObjectHeader* o) { LogWindow(o, "Moved"); return 0; }
uint32_t WinActivate(ObjectHeader* o) { LogWindow(o, "Activate"); return 0; }
uint32_t WinDeactivate(ObjectHeader* o) { LogWindow(o, "Deactivate"); return 0; }
uint32_t WinPaint(ObjectHeader* o, ObjectHeader* g) {
  if (!gBehave.logPaint) return 0;
  LogWindow(o, windows::GraphicsContext(g) != nullptr ? "Paint" : "Paint without context");
  return 0;
}

uint32_t CtlCreatePane(ObjectHeader* o) {
  ControlObject* c = AsControl(o);
  auto* pane = new TestPane;
  pane->name = Name(o);
  pane->bounds = c->bounds;
  pane->owner = c->viewWindow;
  if (pane->owner != nullptr) {
    pane->next = pane->owner->panes;
    pane->owner->panes = pane;
  }
  c->pane = pane;
  LogControl(o, "CreatePane");
  return 0;
}
uint32_t BtnAction(ObjectHeader* o) { LogControl(o, "Action"); return 0; }
uint32_t CtlOpen(ObjectHeader* o) { LogControl(o, "Open"); return 0; }
uint32_t CtlClose(ObjectHeader* o) { LogControl(o, "Close"); return 0; }
uint32_t CtlMouseEnter(ObjectHeader* o) { LogControl(o, "MouseEnter"); return 0; }
uint32_t CtlMouseExit(ObjectHeader* o) { LogControl(o, "MouseExit"); return 0; }
uint32_t CtlMouseMove(ObjectHeader* o, int32_t x, int32_t y) {
  LogControl(o, "MouseMove" + Point(x, y));
  return 0;
}
}  // extern "C"

void AddHandler(ClassRecord* cls, const char* event, void* entry) {
  auto* handler = static_cast<EventHandlerEntry*>(TaggedAlloc(sizeof(EventHandlerEntry)));
  *handler = EventHandlerEntry{MakeStringFromC(event), 0, entry, cls->eventHandlers};
  cls->eventHandlers = handler;
}

template <typename F>
void* Code(F* function) {
  return reinterpret_cast<void*>(function);
}

testimage::LoadedImage* gLoaded = nullptr;

imagekit::ClassDef Subclass(uint32_t size, const char* name, int32_t superclass) {
  imagekit::ClassDef def;
  def.instanceSize = size;
  def.name = name;
  def.superclass = superclass;
  return def;
}

imagekit::Image BuildClassImage() {
  imagekit::ImageBuilder b;
  b.AddRuntimeClass("Window");                                          // 0
  b.AddClass(Subclass(120, "TestWin", 0));                              // 1
  b.AddRuntimeClass("RectControl");                                     // 2
  b.AddClass(Subclass(92, "TestCtl", 2));                               // 3
  b.AddClass(Subclass(120, "PlainWin", 0));                             // 4
  b.AddClass(Subclass(92, "PlainCtl", 2));                              // 5
  b.AddRuntimeClass("PushButton");                                      // 6
  b.AddClass(Subclass(120, "TestBtn", 6));                              // 7
  b.AddClass(Subclass(24, "TestPic", -1));                              // 8
  const uint32_t picture[] = {1, 77, 0};  // kind 1 (picture), resource 77
  imagekit::Bytes item(sizeof picture);
  std::memcpy(item.data(), picture, sizeof picture);
  b.AddRawProjectItem(item);                                            // item 1
  imagekit::CodeLabel entry = b.NewCodeLabel();
  b.BindCode(entry);
  b.EmitCode({0xC3});  // ret
  b.SetEntryFunction(entry);
  b.SetApplicationDescriptor(b.AddApplicationDescriptor());
  return b.Finish();
}

void AddTestHandlers() {
  ClassRecord* window = ImageClass(kWindowClass);
  const std::pair<const char*, void*> windowHandlers[] = {
      {"Open", Code(WinOpen)},           {"Close", Code(WinClose)},
      {"CancelClose", Code(WinCancelClose)}, {"KeyDown", Code(WinKeyDown)},
      {"MouseMove", Code(WinMouseMove)}, {"MouseEnter", Code(WinMouseEnter)},
      {"MouseExit", Code(WinMouseExit)}, {"MouseDown", Code(WinMouseDown)},
      {"MouseDrag", Code(WinMouseDrag)}, {"MouseUp", Code(WinMouseUp)},
      {"Resized", Code(WinResized)},     {"Moved", Code(WinMoved)},
      {"Activate", Code(WinActivate)},   {"Deactivate", Code(WinDeactivate)},
      {"Paint", Code(WinPaint)}};
  for (const auto& [event, code] : windowHandlers) AddHandler(window, event, code);
  ClassRecord* control = ImageClass(kControlClass);
  const std::pair<const char*, void*> controlHandlers[] = {
      {"CreatePane", Code(CtlCreatePane)}, {"Open", Code(CtlOpen)},
      {"Close", Code(CtlClose)},           {"MouseEnter", Code(CtlMouseEnter)},
      {"MouseExit", Code(CtlMouseExit)},   {"MouseMove", Code(CtlMouseMove)}};
  for (const auto& [event, code] : controlHandlers) AddHandler(control, event, code);
  AddHandler(ImageClass(kButtonClass), "Action", Code(BtnAction));
}

}  // namespace

void TestPane::ChangeState(int32_t code) {
  states.push_back(code);
  Pane::ChangeState(code);
}

void TestPane::Paint(HDC) {
  if (!gBehave.logPanePaint) return;
  Log("pane:Paint " + name, owner != nullptr && owner->Window() != nullptr
                                 ? &owner->Window()->header
                                 : nullptr);
}

bool TestPane::MouseDown(int32_t x, int32_t y, int32_t) {
  gLog.push_back("pane:MouseDown" + Point(x, y));
  return takesPress;
}

void WindowsTest::SetUpTestSuite() {
  if (gLoaded != nullptr) return;
  SetUpBuiltinClasses();
  gLoaded = new testimage::LoadedImage;
  ASSERT_TRUE(testimage::LoadImage(BuildClassImage(), {}, false, gLoaded));
  ASSERT_TRUE(testimage::LoadClasses(*gLoaded));
  ASSERT_EQ(ImageClassCount(), kClassCount);
  AddTestHandlers();
  SetImageData(DataBlock{});  // descriptions of the tests live in their own buffers
}

void WindowsTest::SetUp() {
  screen_.Install("windows");
  windows::InstallWindowLayer();
  windows::RegisterWindowClasses(GetModuleHandleA(nullptr));
  windows::ResetMouseTracker();
  gLog.clear();
  gBehave = Behaviour{};
}

void WindowsTest::TearDown() {
  gBehave = Behaviour{};
  for (StringRecord* text : gKeptTexts) UnlockString(text);
  gKeptTexts.clear();
  while (RuntimeViewWindow* view = FirstViewWindow()) windows::CloseNow(view);
  for (ObjectHeader* window : created_) UnlockObject(window);
  created_.clear();
  SetCapturePane(nullptr);
  screen_.Release();
}

std::vector<uint8_t> WindowsTest::Record(const imagekit::WindowDesc& desc) {
  imagekit::Bytes stream = imagekit::EncodeWindowStream(desc);
  uint32_t length = static_cast<uint32_t>(stream.size());
  std::vector<uint8_t> record(4 + stream.size());
  std::memcpy(record.data(), &length, 4);
  std::copy(stream.begin(), stream.end(), record.begin() + 4);
  return record;
}

Pairs WindowsTest::WindowPairs(int width, int height, const Pairs& overrides) {
  Pairs pairs = {{"Name", "TestWindow"}, {"Frame", "0"},          {"HasBackColor", "False"},
                 {"BackColor", "16777215"}, {"Backdrop", "0"},     {"Title", "Test"},
                 {"Visible", "True"},       {"FullScreen", "False"}, {"MenuBarVisible", "True"},
                 {"CloseBox", "True"},      {"GrowIcon", "True"},  {"ZoomIcon", "False"},
                 {"BalloonHelp", ""},       {"MacProcID", "0"},    {"Placement", "0"},
                 {"Width", std::to_string(width)}, {"Height", std::to_string(height)},
                 {"MinWidth", "64"},        {"MinHeight", "64"},   {"MaxWidth", "32000"},
                 {"MaxHeight", "32000"}};
  for (const auto& [name, value] : overrides) {
    bool replaced = false;
    for (auto& pair : pairs) {
      if (pair.first == name) {
        pair.second = value;
        replaced = true;
      }
    }
    if (!replaced) pairs.emplace_back(name, value);
  }
  return pairs;
}

imagekit::ControlDesc WindowsTest::Control(const std::string& name, int32_t index, Rect16 b,
                                           const Pairs& extra, int32_t cls) {
  imagekit::ControlDesc control;
  control.classIndex = cls;
  control.properties = {{"Name", name},
                        {"Index", std::to_string(index)},
                        {"Visible", "True"},
                        {"Left", std::to_string(b.left)},
                        {"Top", std::to_string(b.top)},
                        {"Width", std::to_string(b.Width())},
                        {"Height", std::to_string(b.Height())},
                        {"Enabled", "True"},
                        {"LockLeft", "True"},
                        {"LockTop", "True"},
                        {"LockRight", "False"},
                        {"LockBottom", "False"}};
  for (const auto& pair : extra) control.properties.push_back(pair);
  return control;
}

ObjectHeader* WindowsTest::Create(const imagekit::WindowDesc& desc, ObjectHeader** variable) {
  records_.push_back(Record(desc));
  ObjectHeader* window = RuntimeCreateWindow(records_.back().data(), variable);
  if (window != nullptr) created_.push_back(window);
  return window;
}

void WindowsTest::Pump() {
  RuntimeHooks& hooks = StartupHooks();
  hooks.showWindowsMarkedVisible();
  MSG message = {};
  int taken = 0;
  // As in the main loop, the tracker runs after a message is taken and before it is
  // dispatched.
  for (; taken < 1000 && PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE); ++taken) {
    if (message.message == WM_QUIT) continue;
    hooks.trackMouse();
    if (hooks.preTranslateMessage(&message)) continue;
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
  if (taken == 0) hooks.trackMouse();
}

void WindowsTest::MoveTo(ObjectHeader* window, int x, int y) {
  POINT point = {x, y};
  ClientToScreen(Hwnd(window), &point);
  SetCursorPos(point.x, point.y);
  native::InputPointer(native::PointerAction::kMove, point);
  Pump();
}

TestPane* WindowsTest::PaneOf(ObjectHeader* control) {
  return control != nullptr ? dynamic_cast<TestPane*>(AsControl(control)->pane) : nullptr;
}

ObjectHeader* WindowsTest::ControlNamed(ObjectHeader* window, const char* key) {
  StringMap* controls = AsWindow(window)->controls;
  return controls != nullptr ? static_cast<ObjectHeader*>(controls->Get(key)) : nullptr;
}

HWND WindowsTest::Hwnd(ObjectHeader* window) {
  RuntimeViewWindow* view = AsWindow(window)->native;
  return view != nullptr ? view->Handle() : nullptr;
}

std::string WindowsTest::Out() {
  return screen_.Out();
}

namespace {
ObjectHeader* MakePicture(const DataBlock&, const ProjectItem&) {
  return MakeObject(ImageClass(kPictureClass));
}
}  // namespace

void WindowsTest::LoadProjectPictures() {
  DataBlock block = DataBlock::Relocated(gLoaded->data1, gLoaded->data1Size);
  uint32_t descriptor = 0;
  std::string error;
  ASSERT_TRUE(block.OffsetOfAddress(gLoaded->Descriptor(), descriptor));
  SetProjectObjectMaker(1, MakePicture);
  bool loaded = LoadProjectItems(block, descriptor, &error);
  SetProjectObjectMaker(1, nullptr);
  ASSERT_TRUE(loaded) << error;
}

}  // namespace windows_test
