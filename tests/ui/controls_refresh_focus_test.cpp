// Redrawing on request and moving the keyboard focus: which controls a refresh reaches, the
// rectangles invalidated, the remembered focus pane of a window and the native focus.
#include "tests/ui/controls_fixture.h"

#include "runtime/entries/entries.h"
#include "runtime/objects/objects.h"
#include "runtime/ui/viewwindow.h"

namespace controls_test {
namespace {

class ControlRefreshTest : public ControlsTest {
 protected:
  void SetUp() override {
    ControlsTest::SetUp();
    window = NewWindow();
    control = AddControl(window, "Tasto", kNotInArray, Rect16{30, 40, 50, 140});
    CreatePanes(window);
    pane = Spy(control);
    ASSERT_NE(pane, nullptr);
    view = AsWindow(window)->native;
    UpdateWindow(view->Handle());  // start with nothing to paint
    pane->invalidates = pane->updates = 0;
  }
  RECT UpdateRect() {
    RECT r{};
    GetUpdateRect(view->Handle(), &r, FALSE);
    return r;
  }
  ObjectHeader* window = nullptr;
  ObjectHeader* control = nullptr;
  SpyPane* pane = nullptr;
  RuntimeViewWindow* view = nullptr;
};

TEST_F(ControlRefreshTest, RefreshReachesOnlyVisibleEnabledPanes) {
  struct Case {
    uint8_t controlVisible, paneVisible, paneEnabled;
    bool hasPane;
    int expected;
  } cases[] = {
      {1, 1, 1, true, 1}, {0, 1, 1, true, 0}, {1, 0, 1, true, 0},
      {1, 1, 0, true, 0}, {1, 1, 1, false, 0},
  };
  for (const Case& c : cases) {
    C(control)->visible = c.controlVisible;
    pane->visible = c.paneVisible;
    pane->enabled = c.paneEnabled;
    pane->invalidates = pane->updates = 0;
    C(control)->pane = c.hasPane ? pane : nullptr;
    RuntimeControlRefresh(control);
    EXPECT_EQ(pane->invalidates, c.expected);
    EXPECT_EQ(pane->updates, c.expected);
  }
  C(control)->pane = pane;
  RuntimeControlRefresh(nullptr);
  RuntimeControlRefresh(window);  // no control: nothing
}

TEST_F(ControlRefreshTest, RefreshRectIsShiftedByThePaneAndTheFrameMetrics) {
  RuntimeControlRefreshRect(control, 5, 6, 20, 10);
  int32_t frameX = GetSystemMetrics(SM_CXFRAME);
  int32_t frameY = GetSystemMetrics(SM_CYFRAME);
  RECT r = UpdateRect();
  EXPECT_EQ(r.left, 5 + 40 - frameX);
  EXPECT_EQ(r.top, 6 + 30 - frameY);
  EXPECT_EQ(r.right - r.left, 20);
  EXPECT_EQ(r.bottom - r.top, 10);
  EXPECT_EQ(pane->updates, 1);
  C(control)->pane = nullptr;
  RuntimeControlRefreshRect(control, 0, 0, 10, 10);  // without pane: nothing
  C(control)->pane = pane;
  EXPECT_EQ(pane->updates, 1);
}

TEST_F(ControlRefreshTest, WindowRefreshInvalidatesTheNativeWindow) {
  formRefreshRect(window, 7, 8, 30, 40);
  RECT r = UpdateRect();
  EXPECT_EQ(r.left, 7);
  EXPECT_EQ(r.top, 8);
  EXPECT_EQ(r.right, 37);
  EXPECT_EQ(r.bottom, 48);
  formRefresh(window);  // invalidates everything and paints at once
  RECT after = UpdateRect();
  EXPECT_EQ(after.right - after.left, 0) << "painted at once";
  formRefresh(nullptr);
  formRefreshRect(nullptr, 0, 0, 1, 1);
  formRefresh(control);  // a control is no window
  ObjectHeader* closed = NewWindow(false);
  formRefresh(closed);
}

class ControlFocusTest : public ControlsTest {};

TEST_F(ControlFocusTest, SetFocusRemembersThePaneAndFocusesWhenActive) {
  ObjectHeader* window = NewWindow();
  ObjectHeader* button =
      AddControl(window, "Ok", kNotInArray, Rect16{10, 10, 30, 80}, {}, PaneKind::kNativeButton);
  ObjectHeader* spy = AddControl(window, "Disegno", kNotInArray, Rect16{40, 10, 60, 80});
  CreatePanes(window);
  RuntimeViewWindow* view = AsWindow(window)->native;
  HWND buttonHwnd = C(button)->pane->hwnd;

  view->active = 0;
  SetFocus(nullptr);
  RuntimeSetFocus(button);
  EXPECT_EQ(view->focusPane, C(button)->pane);
  EXPECT_NE(GetFocus(), buttonHwnd) << "an inactive window only remembers the pane";

  view->active = 1;
  RuntimeSetFocus(button);
  EXPECT_EQ(GetFocus(), buttonHwnd);

  // A windowless pane holds the focus through the window and hears of it itself.
  SpyPane* pane = Spy(spy);
  RuntimeSetFocus(spy);
  EXPECT_EQ(view->focusPane, pane);
  EXPECT_EQ(pane->gotFocus, 1);
  EXPECT_EQ(GetFocus(), view->Handle());

  // A pane that refuses the focus changes nothing.
  pane->acceptsFocus = false;
  RuntimeSetFocus(button);
  EXPECT_EQ(pane->lostFocus, 1);
  RuntimeSetFocus(spy);
  EXPECT_EQ(view->focusPane, C(button)->pane);
}

TEST_F(ControlFocusTest, FormSetFocusAlwaysFocusesAndClearFocusForgets) {
  ObjectHeader* window = NewWindow();
  ObjectHeader* button =
      AddControl(window, "Ok", kNotInArray, Rect16{10, 10, 30, 80}, {}, PaneKind::kNativeButton);
  CreatePanes(window);
  RuntimeViewWindow* view = AsWindow(window)->native;
  view->active = 0;
  formSetFocus(button);
  EXPECT_EQ(view->focusPane, C(button)->pane);
  EXPECT_EQ(GetFocus(), C(button)->pane->hwnd);
  clearFocus();
  EXPECT_EQ(view->focusPane, nullptr);
  EXPECT_EQ(GetFocus(), nullptr);
  clearFocus();  // twice is harmless
}

TEST_F(ControlFocusTest, FocusOnControlsWithoutPaneDoesNothing) {
  ObjectHeader* window = NewWindow();
  ObjectHeader* control = AddControl(window, "Ok", kNotInArray, Rect16{10, 10, 30, 80});
  RuntimeSetFocus(control);
  formSetFocus(control);
  RuntimeSetFocus(nullptr);
  formSetFocus(nullptr);
  RuntimeSetFocus(window);
  EXPECT_EQ(AsWindow(window)->native->focusPane, nullptr);
}

}  // namespace
}  // namespace controls_test
