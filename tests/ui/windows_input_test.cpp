// Window messages and input: the mouse tracker with the controls' enter, exit and move
// events, presses and the mouse capture, leaving the window, resizing with locked controls
// (also when the window moves as it resizes), size limits, moving, activation, painting and
// keys.
#include <string>
#include <vector>

#include "native/core/input.h"
#include "native/core/state.h"
#include "runtime/entries/entries.h"
#include "runtime/objects/objects.h"
#include "runtime/startup/hooks.h"
#include "runtime/ui/windowlayer.h"
#include "tests/ui/windows_fixture.h"

namespace windows_test {
namespace {

using Log = std::vector<std::string>;

class WindowInputTest : public WindowsTest {
 protected:
  // Controls "left" at x 10..50 and "right" at x 50..90 (touching), y 10..30.
  ObjectHeader* TwoControls(const Pairs& windowOverrides = {}) {
    imagekit::WindowDesc desc = Desc(kWindowClass, WindowPairs(300, 200, windowOverrides));
    desc.controls.push_back(Control("left", kNotInArray, Rect16{10, 10, 30, 50}));
    desc.controls.push_back(Control("right", kNotInArray, Rect16{10, 50, 30, 90}));
    ObjectHeader* window = Create(desc);
    Pump();
    gLog.clear();
    return window;
  }

  void Press(ObjectHeader* window, int x, int y, native::PointerAction action) {
    POINT point = {x, y};
    ClientToScreen(Hwnd(window), &point);
    SetCursorPos(point.x, point.y);
    native::InputPointer(action, point);
    Pump();
  }

  void ResizeClient(ObjectHeader* window, int dw, int dh) {
    const Rect16& b = AsWindow(window)->bounds;
    RECT client = {b.left, b.top, b.right + dw, b.bottom + dh};
    native::UserMovedWindow(Hwnd(window), client, true);
    Pump();
  }
};

TEST_F(WindowInputTest, MovingFromOneControlOntoAnotherExitsBeforeEntering) {
  ObjectHeader* window = TwoControls();
  ASSERT_NE(window, nullptr);
  MoveTo(window, 20, 15);
  EXPECT_EQ(gLog, (Log{"MouseEnter", "ctl:MouseEnter left", "ctl:MouseMove 10 5 left",
                       "MouseMove 20 15"}));
  gLog.clear();
  MoveTo(window, 60, 15);
  EXPECT_EQ(gLog, (Log{"ctl:MouseExit left", "ctl:MouseEnter right",
                       "ctl:MouseMove 10 5 right", "MouseMove 60 15"}));
  EXPECT_EQ(AsControl(ControlNamed(window, "left"))->mouseInside, 0);
  EXPECT_EQ(AsControl(ControlNamed(window, "right"))->mouseInside, 1);
  EXPECT_EQ(PaneOf(ControlNamed(window, "left"))->left, 1);
  EXPECT_EQ(PaneOf(ControlNamed(window, "right"))->entered, 1);
}

TEST_F(WindowInputTest, TheTrackerIgnoresAPointerThatDidNotMove) {
  ObjectHeader* window = TwoControls();
  ASSERT_NE(window, nullptr);
  MoveTo(window, 20, 15);
  gLog.clear();
  Pump();
  Pump();
  EXPECT_TRUE(gLog.empty());
  MoveTo(window, 21, 15);
  EXPECT_EQ(gLog, (Log{"ctl:MouseMove 11 5 left", "MouseMove 21 15"}));
}

TEST_F(WindowInputTest, HiddenOrDisabledControlsGetNoEnterAndExitWhenTheyChange) {
  ObjectHeader* window = TwoControls();
  ASSERT_NE(window, nullptr);
  MoveTo(window, 20, 15);
  gLog.clear();
  PaneOf(ControlNamed(window, "left"))->ChangeState(kPaneDisable);
  MoveTo(window, 21, 15);
  EXPECT_EQ(gLog, (Log{"ctl:MouseExit left", "MouseMove 21 15"}));
  gLog.clear();
  PaneOf(ControlNamed(window, "right"))->ChangeState(kPaneHide);
  MoveTo(window, 60, 15);
  EXPECT_EQ(gLog, (Log{"MouseMove 60 15"}));
}

TEST_F(WindowInputTest, LeavingTheWindowExitsItsControlsThenTheWindow) {
  ObjectHeader* window = TwoControls();
  ObjectHeader* other = Create(Desc(kPlainWindowClass, WindowPairs(100, 100,
                                                                    {{"Placement", "9"}, {"Left", "600"}, {"Top", "400"}})));
  ASSERT_NE(window, nullptr);
  ASSERT_NE(other, nullptr);
  Pump();
  MoveTo(window, 60, 15);
  gLog.clear();
  MoveTo(other, 5, 5);  // onto another window of the application
  EXPECT_EQ(gLog, (Log{"ctl:MouseExit right", "MouseExit"}));
  gLog.clear();
  SetCursorPos(1000, 700);  // nothing there
  Pump();
  MoveTo(window, 20, 15);
  EXPECT_EQ(gLog, (Log{"MouseEnter", "ctl:MouseEnter left", "ctl:MouseMove 10 5 left",
                       "MouseMove 20 15"}));
}

TEST_F(WindowInputTest, MouseDownFalseMeansNoDragAndNoMouseUp) {
  ObjectHeader* window = TwoControls();
  ASSERT_NE(window, nullptr);
  MoveTo(window, 150, 100);
  gLog.clear();
  Press(window, 150, 100, native::PointerAction::kLeftDown);
  Press(window, 160, 110, native::PointerAction::kMove);
  Press(window, 160, 110, native::PointerAction::kLeftUp);
  EXPECT_EQ(gLog, (Log{"MouseDown 150 100", "MouseMove 160 110"}));
  EXPECT_EQ(CapturePane(), nullptr);
}

TEST_F(WindowInputTest, MouseDownTrueCapturesForDragAndMouseUp) {
  ObjectHeader* window = TwoControls();
  ASSERT_NE(window, nullptr);
  gBehave.mouseDown = true;
  MoveTo(window, 150, 100);
  gLog.clear();
  Press(window, 150, 100, native::PointerAction::kLeftDown);
  EXPECT_EQ(CapturePane(), AsWindow(window)->native);
  EXPECT_TRUE(StartupHooks().paneHasCapture());
  Press(window, 170, 120, native::PointerAction::kMove);
  Press(window, 170, 120, native::PointerAction::kLeftUp);
  // While the capture lasts every turn of the loop delivers a drag, moved or not.
  EXPECT_EQ(gLog, (Log{"MouseDown 150 100", "MouseDrag 170 120", "MouseDrag 170 120",
                       "MouseUp 170 120"}));
  EXPECT_EQ(CapturePane(), nullptr);
}

TEST_F(WindowInputTest, APaneThatTakesThePressEndsIt) {
  ObjectHeader* window = TwoControls();
  ASSERT_NE(window, nullptr);
  PaneOf(ControlNamed(window, "right"))->takesPress = true;
  MoveTo(window, 60, 15);
  gLog.clear();
  Press(window, 60, 15, native::PointerAction::kLeftDown);
  Press(window, 20, 15, native::PointerAction::kLeftDown);  // left does not take it
  EXPECT_EQ(gLog, (Log{"pane:MouseDown 60 15", "ctl:MouseExit right", "ctl:MouseEnter left",
                       "ctl:MouseMove 10 5 left", "MouseMove 20 15", "pane:MouseDown 20 15",
                       "MouseDown 20 15"}));
}

struct LockCase {
  const char* name;
  Pairs locks;
  Rect16 expected;  // the control at {10, 10, 30, 50} after +50 wide, +20 high
};

TEST_F(WindowInputTest, ResizingMovesAndStretchesLockedControls) {
  const LockCase cases[] = {
      {"LockLeft and LockTop only: never moves", {}, Rect16{10, 10, 30, 50}},
      {"LockRight only: moves right", {{"LockLeft", "False"}, {"LockRight", "True"}},
       Rect16{10, 60, 30, 100}},
      {"LockLeft and LockRight: widens", {{"LockRight", "True"}}, Rect16{10, 10, 30, 100}},
      {"LockBottom only: moves down", {{"LockTop", "False"}, {"LockBottom", "True"}},
       Rect16{30, 10, 50, 50}},
      {"all four: stretches both ways", {{"LockRight", "True"}, {"LockBottom", "True"}},
       Rect16{10, 10, 50, 100}},
  };
  for (const auto& c : cases) {
    imagekit::WindowDesc desc = Desc(kWindowClass, WindowPairs(300, 200));
    desc.controls.push_back(Control("c", kNotInArray, Rect16{10, 10, 30, 50}, c.locks));
    ObjectHeader* window = Create(desc);
    ASSERT_NE(window, nullptr) << c.name;
    Pump();
    gLog.clear();
    ResizeClient(window, 50, 20);
    ObjectHeader* control = ControlNamed(window, "c");
    EXPECT_EQ(AsControl(control)->bounds, c.expected) << c.name;
    EXPECT_EQ(PaneOf(control)->bounds, c.expected) << c.name << ": the pane follows";
    EXPECT_EQ(windowPosGetter(window, 2), 350) << c.name;
    EXPECT_EQ(AsWindow(window)->lastBounds, AsWindow(window)->bounds) << c.name;
    EXPECT_EQ(gLog, (Log{"Resized"})) << c.name;
    RuntimeCloseWindow(window);
  }
}

// A drag of the left or top edge, and full screen, move the window as they resize it: the
// native layer reports the move first, and the locked controls still follow the new size.
enum class Change { kDrag, kEnterFullScreen, kLeaveFullScreen };

struct MovingResizeCase {
  const char* name;
  Change change;
  int dLeft, dTop;  // the client rectangle's left and top edges move by these; right and
                    // bottom stay
  int dw, dh;       // the resulting change of size
};

TEST_F(WindowInputTest, ResizingThatAlsoMovesTheWindowMovesLockedControls) {
  const MovingResizeCase cases[] = {
      {"left edge dragged out", Change::kDrag, -50, 0, 50, 0},
      {"left edge dragged in", Change::kDrag, 30, 0, -30, 0},
      {"top edge dragged out", Change::kDrag, 0, -20, 0, 20},
      {"top-left corner dragged out", Change::kDrag, -50, -20, 50, 20},
      {"entering full screen", Change::kEnterFullScreen, 0, 0, 1024 - 300, 768 - 200},
      {"leaving full screen", Change::kLeaveFullScreen, 0, 0, 0, 0},
  };
  const Pairs followsBoth = {{"LockLeft", "False"}, {"LockRight", "True"},
                             {"LockTop", "False"}, {"LockBottom", "True"}};
  const Rect16 start{10, 10, 30, 50};
  for (const auto& c : cases) {
    imagekit::WindowDesc desc = Desc(kWindowClass, WindowPairs(300, 200));
    desc.controls.push_back(Control("c", kNotInArray, start, followsBoth));
    ObjectHeader* window = Create(desc);
    ASSERT_NE(window, nullptr) << c.name;
    Pump();
    WindowObject* w = AsWindow(window);
    if (c.change == Change::kLeaveFullScreen) windowFullScreenSetter(window, 90, 1);
    gLog.clear();
    if (c.change == Change::kDrag) {
      RECT client = {w->bounds.left + c.dLeft, w->bounds.top + c.dTop, w->bounds.right,
                     w->bounds.bottom};
      native::UserMovedWindow(Hwnd(window), client, true);
      Pump();
    } else {
      windowFullScreenSetter(window, 90, c.change == Change::kEnterFullScreen ? 1 : 0);
    }
    ObjectHeader* control = ControlNamed(window, "c");
    const Rect16 expected{static_cast<int16_t>(start.top + c.dh),
                          static_cast<int16_t>(start.left + c.dw),
                          static_cast<int16_t>(start.bottom + c.dh),
                          static_cast<int16_t>(start.right + c.dw)};
    EXPECT_EQ(AsControl(control)->bounds, expected) << c.name;
    EXPECT_EQ(PaneOf(control)->bounds, expected) << c.name << ": the pane follows";
    EXPECT_EQ(w->lastBounds, w->bounds) << c.name;
    EXPECT_EQ(gLog, (Log{"Moved", "Resized"})) << c.name;
    RuntimeCloseWindow(window);
  }
}

TEST_F(WindowInputTest, SizeLimitsClampTheDraggedRectangle) {
  ObjectHeader* window = TwoControls({{"MinWidth", "200"}, {"MaxWidth", "400"},
                                      {"MinHeight", "0"}, {"MaxHeight", "250"}});
  ASSERT_NE(window, nullptr);
  ResizeClient(window, 500, 500);
  EXPECT_EQ(windowPosGetter(window, 2), 400);
  EXPECT_EQ(windowPosGetter(window, 3), 250);
  ResizeClient(window, -350, -240);
  EXPECT_EQ(windowPosGetter(window, 2), 200);
  EXPECT_EQ(windowPosGetter(window, 3), 10) << "a 0 limit is no limit";
}

TEST_F(WindowInputTest, MovingUpdatesTheBoundsAndRaisesMoved) {
  ObjectHeader* window = TwoControls();
  ASSERT_NE(window, nullptr);
  RECT client = {200, 150, 500, 350};
  native::UserMovedWindow(Hwnd(window), client, false);
  Pump();
  EXPECT_EQ(AsWindow(window)->bounds, (Rect16{150, 200, 350, 500}));
  EXPECT_EQ(gLog, (Log{"Moved"}));
}

TEST_F(WindowInputTest, ThePositionSetterMovesTheNativeWindow) {
  ObjectHeader* window = TwoControls();
  ASSERT_NE(window, nullptr);
  windowPosSetter(window, 0, 77);
  windowPosSetter(window, 3, 120);
  POINT origin = {0, 0};
  ClientToScreen(Hwnd(window), &origin);
  EXPECT_EQ(origin.x, 77);
  RECT client = {};
  GetClientRect(Hwnd(window), &client);
  EXPECT_EQ(client.right, 300) << "Left keeps the width";
  EXPECT_EQ(client.bottom, 120);
}

TEST_F(WindowInputTest, ActivationMovesBetweenWindows) {
  ObjectHeader* first = TwoControls();
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(AsWindow(first)->native->active, 1);
  ObjectHeader* second = Create(Desc(kWindowClass, WindowPairs(100, 100)));
  ASSERT_NE(second, nullptr);
  Pump();
  EXPECT_EQ(gLog, (Log{"Open", "Deactivate", "Activate"}));
  EXPECT_EQ(AsWindow(first)->native->active, 0);
  EXPECT_EQ(FrontmostViewWindow(), AsWindow(second)->native);
  std::vector<int32_t> states = PaneOf(ControlNamed(first, "left"))->states;
  ASSERT_FALSE(states.empty());
  EXPECT_EQ(states.back(), kPaneWindowDeactivated);
}

TEST_F(WindowInputTest, PaintHandlersGetAGraphicsObjectForTheCall) {
  ObjectHeader* window = TwoControls();
  ASSERT_NE(window, nullptr);
  gBehave.logPaint = true;
  int live = LiveObjectCount();
  InvalidateRect(Hwnd(window), nullptr, TRUE);
  Pump();
  EXPECT_EQ(gLog, (Log{"Paint"}));
  EXPECT_EQ(LiveObjectCount(), live) << "the Graphics object is released";
}

// Windowless panes paint after the window's Paint, lowest first; one whose painting closes
// the window ends the painting there (the panes are gone).
TEST_F(WindowInputTest, PanesPaintLowestFirstAndStopWhenOneClosesTheWindow) {
  for (bool closing : {false, true}) {
    ObjectHeader* window = TwoControls();
    ASSERT_NE(window, nullptr);
    gBehave.logPaint = true;
    gBehave.logPanePaint = true;
    if (closing) gBehave.closeOn = "pane:Paint left";
    InvalidateRect(Hwnd(window), nullptr, TRUE);
    Pump();
    gBehave = Behaviour{};
    if (closing) {
      EXPECT_EQ(gLog, (Log{"Paint", "pane:Paint left", "CancelClose", "ctl:Close left",
                           "ctl:Close right", "Close"}));
      EXPECT_EQ(AsWindow(window)->native, nullptr);
    } else {
      EXPECT_EQ(gLog, (Log{"Paint", "pane:Paint left", "pane:Paint right"}))
          << "right was made last: it lies on top";
      RuntimeCloseWindow(window);
    }
    gLog.clear();
  }
}

TEST_F(WindowInputTest, KeysReachKeyDownAsOneCharacter) {
  ObjectHeader* window = TwoControls();
  ASSERT_NE(window, nullptr);
  native::InputKeyPress('A', 'a', 0);
  Pump();
  native::InputKeyPress('A', 'A', native::kKeyShift);
  Pump();
  native::InputKeyPress(VK_LEFT, 0, 0);
  Pump();
  EXPECT_EQ(gLog, (Log{"KeyDown a", "KeyDown A", "KeyDown \x1C"}));
}

TEST_F(WindowInputTest, TabMovesTheFocusInDescriptionOrder) {
  ObjectHeader* window = TwoControls();
  ASSERT_NE(window, nullptr);
  PaneOf(ControlNamed(window, "left"))->focusable = true;
  PaneOf(ControlNamed(window, "right"))->focusable = true;
  RuntimeViewWindow* view = AsWindow(window)->native;
  native::InputKeyPress(VK_TAB, '\t', 0);
  Pump();
  EXPECT_EQ(view->focusPane, PaneOf(ControlNamed(window, "left")));
  native::InputKeyPress(VK_TAB, '\t', 0);
  Pump();
  EXPECT_EQ(view->focusPane, PaneOf(ControlNamed(window, "right")));
  native::InputKeyPress(VK_TAB, '\t', 0);
  Pump();
  EXPECT_EQ(view->focusPane, PaneOf(ControlNamed(window, "left"))) << "wraps around";
  native::InputKeyPress(VK_TAB, '\t', native::kKeyShift);
  Pump();
  EXPECT_EQ(view->focusPane, PaneOf(ControlNamed(window, "right"))) << "Shift goes back";
  gBehave.keyDown = true;  // a consumed key has no default meaning
  native::InputKeyPress(VK_TAB, '\t', 0);
  Pump();
  EXPECT_EQ(view->focusPane, PaneOf(ControlNamed(window, "right")));
}

TEST_F(WindowInputTest, ReturnAndEscapePressTheDefaultAndCancelButtons) {
  imagekit::WindowDesc desc = Desc(kWindowClass, WindowPairs(300, 200));
  desc.controls.push_back(Control("ok", kNotInArray, Rect16{10, 10, 30, 70},
                                  {{"Caption", "OK"}, {"Default", "True"}}, kButtonClass));
  desc.controls.push_back(Control("no", kNotInArray, Rect16{10, 80, 30, 140},
                                  {{"Caption", "No"}, {"Cancel", "True"}}, kButtonClass));
  ObjectHeader* window = Create(desc);
  ASSERT_NE(window, nullptr);
  Pump();
  gLog.clear();
  native::InputKeyPress(VK_RETURN, '\r', 0);
  Pump();
  native::InputKeyPress(VK_ESCAPE, 27, 0);
  Pump();
  EXPECT_EQ(gLog, (Log{"KeyDown \r", "ctl:Action ok", "KeyDown \x1B", "ctl:Action no"}));
  gLog.clear();
  gBehave.keyDown = true;  // consumed by the window: no button is pressed
  native::InputKeyPress(VK_RETURN, '\r', 0);
  Pump();
  EXPECT_EQ(gLog, (Log{"KeyDown \r"}));
}

}  // namespace
}  // namespace windows_test
