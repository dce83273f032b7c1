// The plug-in control pane on a headless window: which behaviour slot runs when and with
// what, the reference held around calls, the periodic task, drawing through the Graphics
// object, and the control services plug-ins call (handles, invalidation, visibility, events).
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "native/core/backend.h"
#include "native/core/state.h"
#include "native/headless/headless.h"
#include "native/headless/script.h"
#include "runtime/entries/entries.h"
#include "runtime/exceptions/imagecall.h"
#include "runtime/objects/builtinclasses.h"
#include "runtime/objects/heap.h"
#include "runtime/objects/objects.h"
#include "runtime/objects/strings.h"
#include "runtime/plugins/controlregistration.h"
#include "runtime/plugins/installation.h"
#include "runtime/plugins/plugincontrolpane.h"
#include "runtime/plugins/plugingraphics.h"
#include "runtime/plugins/pluginlookup.h"
#include "runtime/plugins/pluginregistry.h"
#include "runtime/startup/timers.h"
#include "runtime/ui/controlobject.h"
#include "runtime/ui/viewwindow.h"
#include "runtime/ui/windowlayer.h"
#include "tests/plugins/panewindowfixture.h"

#define SLOT_ROUTINE extern "C" __attribute__((cdecl, force_align_arg_pointer, noinline))

namespace {

struct SlotCall {
  int slot;
  std::vector<int32_t> args;
  int32_t refCount;  // the control's count during the call
};
std::vector<SlotCall> gCalls;
uint8_t gMouseDownAnswer = 1;
ObjectHeader* gGraphicsSeen = nullptr;

void Log(int slot, ObjectHeader* control, std::vector<int32_t> args = {}) {
  gCalls.push_back({slot, std::move(args), control->refCount});
}

SLOT_ROUTINE void S0(ObjectHeader* c) { Log(0, c); }
SLOT_ROUTINE void S1(ObjectHeader* c) { Log(1, c); }
SLOT_ROUTINE void S2(ObjectHeader* c, ObjectHeader* g) {
  Log(2, c);
  gGraphicsSeen = g;
  PluginGraphicsFillRect(g, 0, 0, 10, 10, 0xFF0000);
  PluginGraphicsFrameRect(g, 0, 0, 10, 10, 0x000000);
  PluginGraphicsDrawLine(g, 0, 0, 9, 9, 0x00FF00);
  StringRecord* text = MakeStringFromC("C3");
  StringRecord* font = MakeStringFromC("Geneva");
  const int32_t box[4] = {0, 0, 40, 20};
  PluginGraphicsDrawText(g, text, box, 0, font, 12, 1, 0);
  UnlockString(text);
  UnlockString(font);
}
SLOT_ROUTINE uint8_t S3(ObjectHeader* c, int32_t x, int32_t y, int32_t m) {
  Log(3, c, {x, y, m});
  return gMouseDownAnswer;
}
SLOT_ROUTINE void S4(ObjectHeader* c, int32_t x, int32_t y) { Log(4, c, {x, y}); }
SLOT_ROUTINE void S5(ObjectHeader* c, int32_t x, int32_t y) { Log(5, c, {x, y}); }
SLOT_ROUTINE void S6(ObjectHeader* c) { Log(6, c); }
SLOT_ROUTINE void S7(ObjectHeader* c) { Log(7, c); }
SLOT_ROUTINE uint8_t S8(ObjectHeader* c, int32_t ch, int32_t key, int32_t m) {
  Log(8, c, {ch, key, m});
  return ch == 'a' ? 1 : 0;
}
SLOT_ROUTINE void S9(ObjectHeader* c) { Log(9, c); }
SLOT_ROUTINE void S10(ObjectHeader* c) { Log(10, c); }
SLOT_ROUTINE void S11(ObjectHeader* c) { Log(11, c); }
SLOT_ROUTINE void S13(ObjectHeader* c) { Log(13, c); }
SLOT_ROUTINE void S14(ObjectHeader* c) { Log(14, c); }
SLOT_ROUTINE void S16(ObjectHeader* c) { Log(16, c); }
SLOT_ROUTINE void S17(ObjectHeader* c) { Log(17, c); }
SLOT_ROUTINE uint32_t Pinged(ObjectHeader*) { return 1; }

void* gBehaviour[19] = {
    reinterpret_cast<void*>(&S0),  reinterpret_cast<void*>(&S1),  reinterpret_cast<void*>(&S2),
    reinterpret_cast<void*>(&S3),  reinterpret_cast<void*>(&S4),  reinterpret_cast<void*>(&S5),
    reinterpret_cast<void*>(&S6),  reinterpret_cast<void*>(&S7),  reinterpret_cast<void*>(&S8),
    reinterpret_cast<void*>(&S9),  reinterpret_cast<void*>(&S10), reinterpret_cast<void*>(&S11),
    nullptr,                       reinterpret_cast<void*>(&S13), reinterpret_cast<void*>(&S14),
    nullptr,                       reinterpret_cast<void*>(&S16), reinterpret_cast<void*>(&S17),
    nullptr};

PluginEventEntry gEvents[2] = {{"Ping As Boolean", nullptr}, {"Silent", nullptr}};

class PaneTest : public PaneWindowTest {
 protected:
  void SetUp() override {
    PluginTest::SetUp();
    InstallScreen("plugins");
    SetCurrentPlugin(AddPluginRecord(nullptr, "pane test"));
    windowed_ = Register("SlotControl", 0);
    windowless_ = Register("FlatControl", kWindowlessPaneFlag);
    SetCurrentPlugin(nullptr);
    gCalls.clear();
    gMouseDownAnswer = 1;
  }

  ClassRecord* Register(const char* name, uint32_t flags) {
    auto* d = static_cast<PluginControlDescriptor*>(TaggedAlloc(sizeof(PluginControlDescriptor)));
    std::memset(d, 0, sizeof *d);
    d->version = 4;
    d->name = name;
    d->dataSize = 8;
    d->flags = flags;
    d->behaviour = gBehaviour;
    d->events = gEvents;
    d->eventCount = 2;
    PluginRegisterControl(reinterpret_cast<uint32_t*>(d));
    return FindPluginControl(name);
  }

  // A control at left 20, top 10, 60 x 22 with its pane made by its "CreatePane" handler.
  ObjectHeader* NewControl(ClassRecord* cls, bool withPane = true) {
    ObjectHeader* object = PlaceControl(cls, Rect16{10, 20, 32, 80});
    AsControl(object)->visible = 1;
    AsControl(object)->enabled = 1;
    if (withPane) MakePane(object);
    return object;
  }

  static std::vector<int> Slots() {
    std::vector<int> slots;
    for (const SlotCall& call : gCalls) slots.push_back(call.slot);
    return slots;
  }

  ClassRecord* windowed_ = nullptr;
  ClassRecord* windowless_ = nullptr;
};

TEST_F(PaneTest, InstancesCallSlotZeroWhenMadeAndSlotOneWhenDestroyed) {
  ObjectHeader* object = MakeObject(windowed_);
  EXPECT_EQ(Slots(), std::vector<int>{0});
  UnlockObject(object);
  EXPECT_EQ(Slots(), (std::vector<int>{0, 1}));
}

TEST_F(PaneTest, AWindowedPaneIsAKTPaneChildLinkedToItsWindow) {
  OpenWindow();
  ObjectHeader* control = NewControl(windowed_);
  Pane* pane = AsControl(control)->pane;
  ASSERT_NE(pane, nullptr);
  EXPECT_EQ(Slots(), (std::vector<int>{0, 9}));
  ASSERT_NE(pane->hwnd, nullptr);
  EXPECT_EQ(PaneFromNativeWindow(pane->hwnd), pane);
  EXPECT_EQ(GetParent(pane->hwnd), view_->Handle());
  EXPECT_EQ(view_->panes, pane);
  EXPECT_EQ(pane->control, control);
  EXPECT_EQ(GetControlHWND(control), pane->hwnd);
  EXPECT_EQ(MAVEGetControlHandle(control), pane->hwnd);
  EXPECT_EQ(MAVEGetWindowHandle(window_), view_->Handle());
  RECT r{};
  GetWindowRect(pane->hwnd, &r);
  EXPECT_EQ(r.right - r.left, 60);
  EXPECT_EQ(r.bottom - r.top, 22);
}

TEST_F(PaneTest, FlagBitTwoMakesAWindowlessPane) {
  OpenWindow();
  ObjectHeader* control = NewControl(windowless_);
  Pane* pane = AsControl(control)->pane;
  ASSERT_NE(pane, nullptr);
  EXPECT_EQ(pane->hwnd, nullptr);
  EXPECT_EQ(view_->panes, pane);
  EXPECT_EQ(GetControlHWND(control), view_->Handle());
  EXPECT_EQ(MAVEGetControlHandle(control), nullptr);
}

TEST_F(PaneTest, WithoutAWindowThePaneStillServesTheMouse) {
  ObjectHeader* control = NewControl(windowed_);
  Pane* pane = AsControl(control)->pane;
  ASSERT_NE(pane, nullptr);
  EXPECT_EQ(pane->hwnd, nullptr);
  EXPECT_EQ(GetControlHWND(control), nullptr);
  EXPECT_TRUE(pane->MouseDown(25, 15, 0));
}

TEST_F(PaneTest, MouseCallsGetControlCoordinatesAndHoldTheControl) {
  OpenWindow();
  ObjectHeader* control = NewControl(windowed_);
  Pane* pane = AsControl(control)->pane;
  gCalls.clear();
  int32_t count = control->refCount;
  EXPECT_TRUE(pane->MouseDown(25, 15, kModifierShift));
  pane->MouseDrag(100, 40);
  pane->MouseUp(90, 12);
  ASSERT_EQ(Slots(), (std::vector<int>{3, 4, 5}));
  EXPECT_EQ(gCalls[0].args, (std::vector<int32_t>{5, 5, kModifierShift}));
  EXPECT_EQ(gCalls[1].args, (std::vector<int32_t>{80, 30}));
  EXPECT_EQ(gCalls[2].args, (std::vector<int32_t>{70, 2}));
  for (const SlotCall& call : gCalls) EXPECT_EQ(call.refCount, count + 1);
  EXPECT_EQ(control->refCount, count);
}

TEST_F(PaneTest, AFalseMouseDownGetsNoDragOrRelease) {
  OpenWindow();
  ObjectHeader* control = NewControl(windowed_);
  Pane* pane = AsControl(control)->pane;
  gCalls.clear();
  gMouseDownAnswer = 0;
  EXPECT_FALSE(pane->MouseDown(25, 15, 0));
  pane->MouseDrag(30, 15);
  pane->MouseUp(30, 15);
  EXPECT_EQ(Slots(), std::vector<int>{3});
}

TEST_F(PaneTest, FocusKeysCommandsAndPointerCrossingReachTheirSlots) {
  OpenWindow();
  ObjectHeader* control = NewControl(windowed_);
  Pane* pane = AsControl(control)->pane;
  gCalls.clear();
  EXPECT_TRUE(pane->AcceptFocus());
  pane->GotFocus();
  MSG key{};
  key.message = WM_KEYDOWN;
  key.wParam = 0x41;
  key.lParam = LPARAM('a') << 16;
  EXPECT_TRUE(pane->KeyDown(key));
  key.lParam = LPARAM('b') << 16;
  EXPECT_FALSE(pane->KeyDown(key));
  pane->LostFocus();
  pane->Command(0);
  pane->MouseEntered();
  pane->MouseLeft();
  pane->ChangeState(kPaneDisable);
  EXPECT_EQ(Slots(), (std::vector<int>{6, 8, 8, 7, 13, 16, 17, 14}));
  EXPECT_EQ(gCalls[1].args, (std::vector<int32_t>{'a', 0x41, 0}));
  EXPECT_FALSE(pane->enabled);
}

TEST_F(PaneTest, ThePeriodicTaskLivesAsLongAsThePaneAndClosingCallsSlotTenOnce) {
  OpenWindow();
  int32_t timers = TimerCount();
  ObjectHeader* control = NewControl(windowed_);
  auto* pane = static_cast<PluginControlPane*>(AsControl(control)->pane);
  EXPECT_EQ(TimerCount(), timers + 1);
  gCalls.clear();
  pane->Tick();
  pane->Closing();
  EXPECT_EQ(TimerCount(), timers);
  pane->Tick();  // after closing: nothing
  delete pane;
  EXPECT_EQ(Slots(), (std::vector<int>{11, 10}));
  EXPECT_EQ(AsControl(control)->pane, nullptr);
  EXPECT_EQ(view_->panes, nullptr);
}

TEST_F(PaneTest, PaintingHandsTheDrawSlotAGraphicsObjectForThatCallOnly) {
  OpenWindow();
  ObjectHeader* control = NewControl(windowed_);
  Pane* pane = AsControl(control)->pane;
  int32_t live = LiveObjectCount();
  HDC dc = GetDC(pane->hwnd);
  ASSERT_NE(dc, nullptr);
  gCalls.clear();
  pane->Paint(dc);
  ReleaseDC(pane->hwnd, dc);
  EXPECT_EQ(Slots(), std::vector<int>{2});
  EXPECT_NE(gGraphicsSeen, nullptr);
  EXPECT_EQ(LiveObjectCount(), live);  // the Graphics object is gone again
}

TEST_F(PaneTest, ControlGraphicsDrawAtOnceAndGiveTheContextBack) {
  OpenWindow();
  EXPECT_EQ(MAVEGetControlGraphics(NewControl(windowed_, false)), nullptr);
  for (ClassRecord* cls : {windowed_, windowless_}) {
    ObjectHeader* control = NewControl(cls);
    ObjectHeader* g = MAVEGetControlGraphics(control);
    ASSERT_NE(g, nullptr);
    PluginGraphicsObject* graphics = PluginGraphicsOf(g);
    ASSERT_NE(graphics, nullptr);
    EXPECT_NE(graphics->dc, nullptr);
    bool windowless = cls == windowless_;
    EXPECT_EQ(graphics->originX, windowless ? 20 : 0);
    EXPECT_EQ(graphics->originY, windowless ? 10 : 0);
    PluginGraphicsFillRect(g, 0, 0, 5, 5, 0x123456);
    UnbindPluginGraphics(g);
    PluginGraphicsFillRect(g, 0, 0, 5, 5, 0x123456);  // unbound: draws nothing
    MAVEUnlockObject(g);
  }
  EXPECT_EQ(PluginGraphicsOf(window_), nullptr);
  PluginGraphicsFillRect(nullptr, 0, 0, 1, 1, 0);
  PluginGraphicsDrawText(window_, nullptr, nullptr, 0, nullptr, 0, 0, 0);
}

TEST_F(PaneTest, InvalidationMarksTheControlsArea) {
  OpenWindow();
  ObjectHeader* control = NewControl(windowed_);
  HWND hwnd = AsControl(control)->pane->hwnd;
  ValidateRect(hwnd, nullptr);
  MAVEInvalidateControlRect(control, 1, 2, 5, 6);
  RECT r{};
  ASSERT_TRUE(GetUpdateRect(hwnd, &r, FALSE));
  EXPECT_EQ(r.left, 1);
  EXPECT_EQ(r.top, 2);
  EXPECT_EQ(r.right, 5);
  EXPECT_EQ(r.bottom, 6);
  ValidateRect(hwnd, nullptr);
  intInvalidateSetter(control, 96, 77);
  EXPECT_TRUE(GetUpdateRect(hwnd, &r, FALSE));
  int32_t stored;
  std::memcpy(&stored, reinterpret_cast<uint8_t*>(control) + 96, 4);
  EXPECT_EQ(stored, 77);
  // Controls without pane, and objects that are no controls, are left alone.
  MAVEInvalidateControl(NewControl(windowed_, false));
  MAVEInvalidateControl(window_);
  MAVEInvalidateControlRect(nullptr, 0, 0, 1, 1);
}

TEST_F(PaneTest, VisibilityEnabledStateAndBounds) {
  OpenWindow();
  ObjectHeader* control = NewControl(windowed_);
  HWND hwnd = AsControl(control)->pane->hwnd;
  EXPECT_TRUE(GetControlVisible(control));
  SetControlVisible(control, 0);
  EXPECT_FALSE(GetControlVisible(control));
  EXPECT_FALSE(IsWindowVisible(hwnd));
  SetControlVisible(control, 2);  // any non-zero byte is True
  EXPECT_EQ(AsControl(control)->visible, 1);
  EXPECT_TRUE(IsWindowVisible(hwnd));
  EXPECT_TRUE(GetControlEnabled(control));
  int32_t b[4] = {};
  PluginGetControlBounds(control, b);
  EXPECT_EQ(std::vector<int32_t>(b, b + 4), (std::vector<int32_t>{20, 10, 80, 32}));
  PluginGetControlBounds(window_, b);  // not a control: an empty rectangle
  EXPECT_EQ(std::vector<int32_t>(b, b + 4), (std::vector<int32_t>{0, 0, 0, 0}));
  EXPECT_FALSE(GetControlVisible(nullptr));
  SetControlVisible(nullptr, 1);
}

TEST_F(PaneTest, RaisingAnEventByName) {
  ObjectHeader* control = NewControl(windowed_, false);
  EXPECT_EQ(PluginRaiseControlEvent(control, "Ping"), 0);  // no handler yet
  auto* sub = static_cast<ClassRecord*>(TaggedAlloc(sizeof(ClassRecord)));
  std::memset(sub, 0, sizeof(ClassRecord));
  sub->kind = kClassRecordKind;
  sub->superclass = windowed_;
  sub->instanceSize = windowed_->instanceSize;
  auto* handler = static_cast<EventHandlerEntry*>(TaggedAlloc(sizeof(EventHandlerEntry)));
  *handler = EventHandlerEntry{MakeStringFromC("ping"), 0, reinterpret_cast<CodeAddress>(&Pinged), nullptr};
  sub->eventHandlers = handler;
  ObjectHeader* handled = MakeObject(sub);
  controls_.push_back(handled);
  EXPECT_EQ(PluginRaiseControlEvent(handled, "PING"), 1);
  EXPECT_EQ(PluginRaiseControlEvent(handled, "Silent"), 0);
  EXPECT_EQ(PluginRaiseControlEvent(handled, "NoSuchEvent"), 0);
  EXPECT_EQ(PluginRaiseControlEvent(nullptr, "Ping"), 0);
  EXPECT_EQ(PluginRaiseControlEvent(handled, nullptr), 0);
}

// The headless backend keeping what was drawn, clipped, in window client coordinates.
class DrawingRecorder : public native::HeadlessBackend {
 public:
  DrawingRecorder() : HeadlessBackend("bevel", {}, 1024, 768, stdout, stderr) {}
  void FillRect(const RECT& r, COLORREF colour, const RECT& clip) override {
    Keep("fill", r, colour, clip);
  }
  void Line(POINT from, POINT to, COLORREF colour, int, const RECT& clip) override {
    Keep("line", RECT{from.x, from.y, to.x, to.y}, colour, clip);
  }
  void Text(int x, int top, const std::string& text, const native::FontRequest&,
            COLORREF colour, const RECT& clip) override {
    texts.push_back(text + " at " + std::to_string(x) + "," + std::to_string(top));
    textColours.push_back(colour);
    Keep("text", RECT{x, top, x, top}, colour, clip);
  }
  std::vector<std::string> drawn;  // every call, with its colour
  std::vector<std::string> texts;
  std::vector<COLORREF> textColours;
  std::vector<RECT> clips;

 private:
  void Keep(const char* what, const RECT& r, COLORREF colour, const RECT& clip) {
    drawn.push_back(std::string(what) + " " + std::to_string(r.left) + "," +
                    std::to_string(r.top) + "," + std::to_string(r.right) + "," +
                    std::to_string(r.bottom) + " #" + std::to_string(colour));
    clips.push_back(clip);
  }
};

// The button draws itself into the paint context it is given: the face over its whole
// rectangle, nothing outside it, the caption in the button-text colour (greyed when
// disabled), and a pressed look while the mouse is down on an enabled button only.
TEST_F(PaneTest, TheBevelButtonPaintsIntoARealContext) {
  auto* recorder = new DrawingRecorder;
  native::InstallBackend(recorder);  // before the window: the screen is the recorder's
  OpenWindow();
  ASSERT_TRUE(LoadPlugin(AMX_APPEARANCE_PLUGIN));
  ClassRecord* bevel = FindPluginControl("BevelButton");
  ASSERT_NE(bevel, nullptr);
  const std::string face = "fill 20,10,80,32 #" + std::to_string(GetSysColor(COLOR_BTNFACE));
  for (bool enabled : {true, false}) {
    SCOPED_TRACE(enabled ? "enabled" : "disabled");
    ObjectHeader* button = NewControl(bevel);
    AsControl(button)->enabled = enabled;
    Pane* pane = AsControl(button)->pane;
    ASSERT_NE(pane, nullptr);
    HDC dc = GetDC(pane->hwnd);
    auto paint = [&] {
      recorder->drawn.clear();
      recorder->texts.clear();
      recorder->textColours.clear();
      recorder->clips.clear();
      pane->Paint(dc);
      return recorder->drawn;
    };
    std::vector<std::string> normal = paint();
    ASSERT_FALSE(normal.empty());
    EXPECT_EQ(normal.front(), face) << "the face covers the button first";
    ASSERT_EQ(recorder->texts.size(), 1u);
    EXPECT_EQ(recorder->texts[0].rfind("Untitled at ", 0), 0u) << recorder->texts[0];
    EXPECT_EQ(recorder->textColours[0], GetSysColor(enabled ? COLOR_BTNTEXT : COLOR_GRAYTEXT));
    for (const RECT& clip : recorder->clips) {
      EXPECT_TRUE(clip.left >= 20 && clip.top >= 10 && clip.right <= 80 && clip.bottom <= 32)
          << "drawn outside the button: " << clip.left << "," << clip.top << "," << clip.right
          << "," << clip.bottom;
    }
    std::string normalText = recorder->texts[0];
    pane->MouseDown(30, 20, 0);
    std::vector<std::string> pressed = paint();
    if (enabled) {
      EXPECT_NE(pressed, normal) << "the pressed look";
      ASSERT_EQ(recorder->texts.size(), 1u);
      EXPECT_NE(recorder->texts[0], normalText) << "the caption sinks with the button";
    } else {
      EXPECT_EQ(pressed, normal) << "a disabled button does nothing with the click";
    }
    pane->MouseUp(30, 20);
    EXPECT_EQ(paint(), normal) << "released: the normal look again";
    ReleaseDC(pane->hwnd, dc);
    pane->ChangeState(kPaneWindowDeactivated);
  }
}

}  // namespace
