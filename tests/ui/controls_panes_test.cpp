// The two pane families on real (headless) native windows: a wrapped native control with its
// "KTInstance" property, replaced procedure, owned font and the default mouse pre-filter;
// drawn panes in a "KT_Pane" window or without one, and the "KT_Pane" window procedure.
#include "tests/ui/controls_fixture.h"

#include "runtime/entries/entries.h"
#include "runtime/objects/objects.h"
#include "runtime/ui/controlinput.h"
#include "runtime/ui/drawnpane.h"
#include "runtime/ui/nativecontrolpane.h"
#include "runtime/ui/viewwindow.h"

namespace controls_test {
namespace {

// A view window stand-in is not possible (its operations are the window layer's), so the
// window's mouse-down algorithm is observed through a pane of the window that records the
// presses it is offered.
class PressRecorder : public SpyPane {
 public:
  bool MouseDown(int32_t x, int32_t y, int32_t modifiers) override {
    presses.push_back({x, y, modifiers, controls::IsContextualClick()});
    return false;
  }
  struct Press {
    int32_t x, y, modifiers;
    bool contextual;
  };
  std::vector<Press> presses;
};

// A drawn pane that paints and scrolls on request.
class PaintingPane : public DrawnPane {
 public:
  void Paint(HDC dc) override {
    ++paints;
    lastDc = dc;
  }
  bool MouseWheel(int32_t lines) override {
    wheel.push_back(lines);
    return takesWheel;
  }
  void MouseMove(int32_t x, int32_t y) override { moves.push_back({x, y}); }
  int paints = 0;
  HDC lastDc = nullptr;
  bool takesWheel = true;
  std::vector<int32_t> wheel;
  std::vector<POINT> moves;
};

class ControlPanesTest : public ControlsTest {
 protected:
  void SetUp() override {
    ControlsTest::SetUp();
    controls::ResetClickState();
    window = NewWindow();
    view = AsWindow(window)->native;
  }
  // A recorder covering the whole window, below every other pane.
  PressRecorder* Recorder() {
    auto* recorder = new PressRecorder;
    recorder->bounds = Rect16{0, 0, 300, 400};
    Pane** link = &view->panes;
    while (*link != nullptr) link = &(*link)->next;
    *link = recorder;
    recorder->owner = view;
    return recorder;
  }
  ObjectHeader* window = nullptr;
  RuntimeViewWindow* view = nullptr;
};

TEST_F(ControlPanesTest, NativePaneTakesTheChildOverAndRestoresIt) {
  auto* pane = new NativeControlPane;
  ASSERT_TRUE(pane->Create(view, "BUTTON", "Ok", WS_VISIBLE, 0, Rect16{10, 20, 30, 100}));
  HWND child = pane->hwnd;
  ASSERT_NE(child, nullptr);
  EXPECT_EQ(GetParent(child), view->Handle());
  EXPECT_EQ(GetPropA(child, "KTInstance"), pane);
  EXPECT_EQ(PaneFromNativeWindow(child), pane);
  EXPECT_EQ(NativeControlPane::FromChild(child), pane);
  EXPECT_EQ(GetWindowLongA(child, GWL_WNDPROC),
            static_cast<LONG>(reinterpret_cast<intptr_t>(&NativeControlPane::ControlProcedure)));
  EXPECT_NE(pane->PreviousProcedure(), nullptr);
  EXPECT_EQ(view->panes, pane) << "linked at the top of the window's panes";
  RECT r{};
  GetWindowRect(child, &r);
  EXPECT_EQ(r.right - r.left, 80);
  EXPECT_EQ(r.bottom - r.top, 20);
  // The wrapped control still works through the previous procedure.
  SetWindowTextA(child, "Avanti");
  char text[16] = {};
  GetWindowTextA(child, text, sizeof text);
  EXPECT_STREQ(text, "Avanti");

  HFONT font = CreateFontA(-12, 0, 0, 0, 400, 0, 0, 0, 0, 0, 0, 0, 0, "Arial");
  pane->SetFont(font);
  EXPECT_EQ(reinterpret_cast<HFONT>(SendMessageA(child, WM_GETFONT, 0, 0)), font);
  HFONT second = CreateFontA(-14, 0, 0, 0, 400, 0, 0, 0, 0, 0, 0, 0, 0, "Arial");
  pane->SetFont(second);  // the first one is freed
  EXPECT_EQ(pane->Font(), second);

  delete pane;
  EXPECT_FALSE(IsWindow(child)) << "the wrapped control goes with its pane";
  EXPECT_EQ(view->panes, nullptr);
}

TEST_F(ControlPanesTest, NativeChildDestroyedFirstIsForgotten) {
  auto* pane = new NativeControlPane;
  ASSERT_TRUE(pane->Create(view, "BUTTON", "Ok", WS_VISIBLE, 0, Rect16{10, 20, 30, 100}));
  HWND child = pane->hwnd;
  pane->SetFont(CreateFontA(-12, 0, 0, 0, 400, 0, 0, 0, 0, 0, 0, 0, 0, "Arial"));
  DestroyWindow(child);  // as when the parent window goes before the pane
  EXPECT_EQ(pane->hwnd, nullptr);
  EXPECT_EQ(NativeControlPane::FromChild(child), nullptr);
  pane->ChangeState(kPaneHide);  // operations on a pane without window do nothing harmful
  pane->Invalidate();
  delete pane;  // frees the font, touches no window
}

TEST_F(ControlPanesTest, NativePaneRefusesWithoutANativeWindow) {
  NativeControlPane pane;
  EXPECT_FALSE(pane.Create(nullptr, "BUTTON", "x", 0, 0, Rect16{0, 0, 10, 10}));
  EXPECT_FALSE(pane.Create(view, "NoSuchClass", "x", 0, 0, Rect16{0, 0, 10, 10}));
  EXPECT_EQ(pane.hwnd, nullptr);
}

TEST_F(ControlPanesTest, NativePaneStateFollowsTheOperations) {
  auto* pane = new NativeControlPane;
  ASSERT_TRUE(pane->Create(view, "BUTTON", "Ok", WS_VISIBLE, 0, Rect16{10, 20, 30, 100}));
  HWND child = pane->hwnd;
  pane->ChangeState(kPaneDisable);
  EXPECT_FALSE(IsWindowEnabled(child));
  EXPECT_FALSE(pane->AcceptFocus());
  pane->ChangeState(kPaneEnable);
  EXPECT_TRUE(pane->AcceptFocus());
  pane->ChangeState(kPaneHide);
  EXPECT_FALSE(IsWindowVisible(child));
  EXPECT_EQ(pane->visible, 0);
  pane->ChangeState(kPaneShow);
  EXPECT_TRUE(IsWindowVisible(child));
  pane->autoDeactivate = 1;
  pane->ChangeState(kPaneWindowDeactivated);
  EXPECT_FALSE(IsWindowEnabled(child)) << "auto-deactivating controls look disabled";
  pane->ChangeState(kPaneWindowActivated);
  EXPECT_TRUE(IsWindowEnabled(child));
  pane->SetBounds(Rect16{50, 60, 70, 90}, true);
  RECT r{};
  GetWindowRect(child, &r);
  EXPECT_EQ(r.right - r.left, 30);
  delete pane;
}

TEST_F(ControlPanesTest, PressesOnNativeControlsReachTheWindowInWindowCoordinates) {
  PressRecorder* recorder = Recorder();
  auto* pane = new NativeControlPane;
  ASSERT_TRUE(pane->Create(view, "BUTTON", "Ok", WS_VISIBLE, 0, Rect16{10, 20, 30, 100}));
  HWND child = pane->hwnd;
  struct Case {
    UINT message;
    WPARAM keys;
    int32_t modifiers;
    uint32_t click;
    bool contextual;
  } cases[] = {
      {WM_LBUTTONDOWN, 0, 0, 0x201, false},
      {WM_LBUTTONDOWN, MK_CONTROL, 0x1000, 0x201, false},
      {WM_LBUTTONDOWN, MK_SHIFT, 0x200, 0x201, false},
      {WM_LBUTTONDOWN, MK_SHIFT | MK_CONTROL, 0x1200, 0x201, false},
      {WM_LBUTTONDBLCLK, 0, 0, 0x203, false},
      {WM_RBUTTONDOWN, 0, 0, 0x201, true},
      {WM_RBUTTONDBLCLK, MK_CONTROL, 0x1000, 0x203, true},
  };
  for (const Case& c : cases) {
    recorder->presses.clear();
    SendMessageA(child, c.message, c.keys, MAKELPARAM(5, 7));
    ASSERT_EQ(recorder->presses.size(), 1u) << c.message;
    EXPECT_EQ(recorder->presses[0].x, 5 + 20);
    EXPECT_EQ(recorder->presses[0].y, 7 + 10);
    EXPECT_EQ(recorder->presses[0].modifiers, c.modifiers);
    EXPECT_EQ(recorder->presses[0].contextual, c.contextual);
    EXPECT_EQ(controls::LastClickKind(), c.click);
    EXPECT_FALSE(controls::IsContextualClick()) << "the flag only holds during the press";
  }
  EXPECT_EQ(controls::RecordedClickCount(), 7u);
  // The press still reaches the button itself (it captures and shows pressed).
  SendMessageA(child, WM_LBUTTONDOWN, 0, MAKELPARAM(5, 7));
  EXPECT_EQ(GetCapture(), child);
  SendMessageA(child, WM_LBUTTONUP, 0, MAKELPARAM(5, 7));
  delete pane;
}

TEST_F(ControlPanesTest, CursorRequestsAreAnsweredByThePreFilter) {
  auto* pane = new NativeControlPane;
  ASSERT_TRUE(pane->Create(view, "BUTTON", "Ok", WS_VISIBLE, 0, Rect16{10, 20, 30, 100}));
  EXPECT_TRUE(pane->PreFilter(pane->hwnd, WM_SETCURSOR, 0, MAKELPARAM(HTCLIENT, WM_MOUSEMOVE)));
  EXPECT_FALSE(pane->PreFilter(pane->hwnd, WM_SETCURSOR, 0, MAKELPARAM(0, WM_MOUSEMOVE)));
  EXPECT_FALSE(pane->PreFilter(pane->hwnd, WM_KEYDOWN, 'A', 0));
  delete pane;
}

TEST_F(ControlPanesTest, ChildNotificationsOfNativeChildrenGoToTheTopLevel) {
  // A native control inside another one: the inner one's notification is forwarded to the
  // window, which hands it to the inner control's pane.
  auto* outer = new NativeControlPane;
  ASSERT_TRUE(outer->Create(view, "STATIC", "", WS_VISIBLE, 0, Rect16{0, 0, 100, 200}));
  struct CommandPane : NativeControlPane {
    LRESULT Command(int32_t code) override {
      codes.push_back(code);
      return 0;
    }
    std::vector<int32_t> codes;
  };
  auto* inner = new CommandPane;
  HWND innerHwnd = CreateWindowExA(0, "BUTTON", "in", WS_CHILD | WS_VISIBLE, 1, 1, 20, 20,
                                   outer->hwnd, nullptr, nullptr, nullptr);
  ASSERT_NE(innerHwnd, nullptr);
  SetPropA(innerHwnd, "KTInstance", inner);
  SendMessageA(outer->hwnd, WM_COMMAND, MAKEWPARAM(0, BN_CLICKED),
               reinterpret_cast<LPARAM>(innerHwnd));
  EXPECT_EQ(inner->codes, (std::vector<int32_t>{BN_CLICKED}));
  RemovePropA(innerHwnd, "KTInstance");
  DestroyWindow(innerHwnd);
  delete inner;
  delete outer;
}

TEST_F(ControlPanesTest, DrawnPaneInItsOwnWindowPaintsAndReportsPresses) {
  PressRecorder* recorder = Recorder();
  auto* pane = new PaintingPane;
  ASSERT_TRUE(pane->CreateWindowed(view, Rect16{40, 50, 90, 150}));
  HWND hwnd = pane->hwnd;
  char className[16] = {};
  GetClassNameA(hwnd, className, sizeof className);
  EXPECT_STREQ(className, "KT_Pane");
  EXPECT_EQ(PaneFromNativeWindow(hwnd), pane);
  InvalidateRect(hwnd, nullptr, TRUE);
  UpdateWindow(hwnd);
  EXPECT_EQ(pane->paints, 1);

  SendMessageA(hwnd, WM_RBUTTONDOWN, MK_SHIFT, MAKELPARAM(3, 4));
  ASSERT_EQ(recorder->presses.size(), 1u);
  EXPECT_EQ(recorder->presses[0].x, 53);
  EXPECT_EQ(recorder->presses[0].y, 44);
  EXPECT_EQ(recorder->presses[0].modifiers, 0x200);
  EXPECT_TRUE(recorder->presses[0].contextual);

  SendMessageA(hwnd, WM_MOUSEMOVE, 0, MAKELPARAM(6, 2));
  ASSERT_EQ(pane->moves.size(), 1u) << "outside MDI mode moves go to the pane";
  EXPECT_EQ(pane->moves[0].x, 56);
  EXPECT_EQ(pane->moves[0].y, 42);
  delete pane;
  EXPECT_FALSE(IsWindow(hwnd));
}

TEST_F(ControlPanesTest, WheelTurnsBecomeLines) {
  auto* pane = new PaintingPane;
  ASSERT_TRUE(pane->CreateWindowed(view, Rect16{40, 50, 90, 150}));
  UINT lines = 0;
  SystemParametersInfoA(SPI_GETWHEELSCROLLLINES, 0, &lines, 0);
  SendMessageA(pane->hwnd, WM_MOUSEWHEEL, MAKEWPARAM(0, 120), 0);
  SendMessageA(pane->hwnd, WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-240)), 0);
  SendMessageA(pane->hwnd, WM_MOUSEWHEEL, MAKEWPARAM(0, 60), 0);  // less than a notch
  EXPECT_EQ(pane->wheel, (std::vector<int32_t>{-static_cast<int32_t>(lines),
                                               2 * static_cast<int32_t>(lines), 0}));
  pane->takesWheel = false;
  SendMessageA(pane->hwnd, WM_MOUSEWHEEL, MAKEWPARAM(0, 120), 0);  // declined: default proc
  EXPECT_EQ(pane->wheel.size(), 4u);
  delete pane;
}

TEST_F(ControlPanesTest, ColourRequestsFollowTheWindowsBackColour) {
  auto* pane = new PaintingPane;
  ASSERT_TRUE(pane->CreateWindowed(view, Rect16{40, 50, 90, 150}));
  HDC dc = GetDC(pane->hwnd);
  view->hasBackColor = 0;
  LRESULT plain = SendMessageA(pane->hwnd, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), 0);
  EXPECT_EQ(controls::CurrentPaneBrush(), nullptr);
  (void)plain;
  view->hasBackColor = 1;
  view->backColor = 0x00112233;
  auto brush = reinterpret_cast<HBRUSH>(
      SendMessageA(pane->hwnd, WM_CTLCOLORBTN, reinterpret_cast<WPARAM>(dc), 0));
  EXPECT_NE(brush, nullptr);
  EXPECT_EQ(brush, controls::CurrentPaneBrush());
  auto next = reinterpret_cast<HBRUSH>(
      SendMessageA(pane->hwnd, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), 0));
  EXPECT_EQ(next, controls::CurrentPaneBrush()) << "each request replaces the brush";
  ReleaseDC(pane->hwnd, dc);
  delete pane;
}

TEST_F(ControlPanesTest, WindowlessDrawnPaneDrawsIntoItsWindow) {
  auto* pane = new PaintingPane;
  UpdateWindow(view->Handle());
  pane->AttachWindowless(view, Rect16{20, 30, 40, 80});
  EXPECT_EQ(pane->hwnd, nullptr);
  EXPECT_EQ(pane->Surface(), view->Handle());
  EXPECT_EQ(view->panes, pane);
  RECT r{};
  GetUpdateRect(view->Handle(), &r, FALSE);
  EXPECT_LE(r.left, 30);
  EXPECT_GE(r.right, 80);
  pane->ChangeState(kPaneHide);
  EXPECT_EQ(pane->visible, 0);
  pane->ChangeState(kPaneDisable);
  EXPECT_EQ(pane->enabled, 0);
  delete pane;
  EXPECT_EQ(view->panes, nullptr);
}

TEST_F(ControlPanesTest, PanesGoneBeforeTheirControlLeaveItWithoutPane) {
  ObjectHeader* control =
      AddControl(window, "Ok", kNotInArray, Rect16{10, 10, 30, 80}, {}, PaneKind::kNativeButton);
  ObjectHeader* drawn =
      AddControl(window, "Area", kNotInArray, Rect16{40, 10, 60, 80}, {}, PaneKind::kDrawnWindowed);
  CreatePanes(window);
  ASSERT_NE(C(control)->pane, nullptr);
  ASSERT_NE(C(drawn)->pane, nullptr);
  delete C(control)->pane;
  delete C(drawn)->pane;
  EXPECT_EQ(C(control)->pane, nullptr);
  EXPECT_EQ(C(drawn)->pane, nullptr);
  controlEnabledSetter(control, 45, 0);  // only stores now
  EXPECT_EQ(C(control)->enabled, 0);
}

TEST_F(ControlPanesTest, ClosingTheWindowDestroysNativeAndDrawnPanes) {
  ObjectHeader* control =
      AddControl(window, "Ok", kNotInArray, Rect16{10, 10, 30, 80}, {}, PaneKind::kNativeButton);
  AddControl(window, "Area", kNotInArray, Rect16{40, 10, 60, 80}, {}, PaneKind::kDrawnWindowed);
  AddControl(window, "Vuoto", kNotInArray, Rect16{40, 10, 60, 80}, {},
             PaneKind::kDrawnWindowless);
  CreatePanes(window);
  LockObject(control);
  HWND child = C(control)->pane->hwnd;
  Close(window);
  EXPECT_FALSE(IsWindow(child));
  EXPECT_EQ(C(control)->pane, nullptr);
  UnlockObject(control);
}

}  // namespace
}  // namespace controls_test
