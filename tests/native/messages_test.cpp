// Message semantics the runtime relies on: sent messages run at once and posted ones in
// order, paint coalescing, activation and focus, capture, and the pointer and window under it
// following the script.
#include "native/core/input.h"
#include "tests/native/native_fixture.h"

namespace native_test {
namespace {

using Lines = std::vector<std::string>;

class MessagesTest : public NativeTest {};

TEST_F(MessagesTest, SentMessagesRunBeforePostedOnesWhichKeepTheirOrder) {
  Script("");
  HWND w = TopLevel("A", 10, 10, 100, 100);
  gLog.clear();
  PostMessageA(w, WM_USER, 1, 0);
  PostMessageA(w, WM_USER, 2, 0);
  SendMessageA(w, WM_USER + 1, 3, 0);
  EXPECT_EQ(gLog, Lines({"USER+1 A 3"}));
  RunLoop();
  EXPECT_EQ(Logged({WM_USER, WM_USER + 1}), Lines({"USER+1 A 3", "USER A 1", "USER A 2"}));
}

TEST_F(MessagesTest, PostedMessagesComeBeforePaintAndQuitEndsTheLoop) {
  Script("");
  HWND w = TopLevel("A", 10, 10, 100, 100);
  gLog.clear();
  InvalidateRect(w, nullptr, TRUE);
  PostMessageA(w, WM_USER, 7, 0);
  PostQuitMessage(5);
  MSG msg;
  ASSERT_TRUE(GetMessageA(&msg, nullptr, 0, 0));
  EXPECT_EQ(msg.message, WM_USER);
  EXPECT_FALSE(GetMessageA(&msg, nullptr, 0, 0));
  EXPECT_EQ(msg.message, WM_QUIT);
  EXPECT_EQ(msg.wParam, 5u);
}

TEST_F(MessagesTest, InvalidationsCoalesceIntoOnePaintThatValidates) {
  Script("");
  HWND w = TopLevel("A", 10, 10, 100, 100);
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE) && msg.message != WM_QUIT) DispatchMessageA(&msg);
  gLog.clear();
  RECT a{0, 0, 10, 10};
  RECT b{50, 50, 60, 60};
  InvalidateRect(w, &a, FALSE);
  InvalidateRect(w, &b, TRUE);
  RECT update;
  ASSERT_TRUE(GetUpdateRect(w, &update, FALSE));
  EXPECT_EQ(update.left, 0);
  EXPECT_EQ(update.bottom, 60);
  RunLoop();
  EXPECT_EQ(Logged({WM_PAINT, WM_ERASEBKGND}), Lines({"PAINT A", "ERASEBKGND A"}));
  EXPECT_FALSE(GetUpdateRect(w, &update, FALSE));
}

TEST_F(MessagesTest, AHiddenWindowGetsNoPaint) {
  Script("");
  HWND w = TopLevel("A", 10, 10, 100, 100);
  ShowWindow(w, SW_HIDE);
  gLog.clear();
  InvalidateRect(w, nullptr, TRUE);
  RunLoop();
  EXPECT_TRUE(Logged({WM_PAINT}).empty());
}

TEST_F(MessagesTest, ShowingActivatesAndMovesFocusBetweenWindows) {
  Script("");
  HWND a = TopLevel("A", 10, 10, 100, 100);
  EXPECT_EQ(GetActiveWindow(), a);
  EXPECT_EQ(GetFocus(), a);
  gLog.clear();
  HWND b = TopLevel("B", 200, 10, 100, 100);
  EXPECT_EQ(GetActiveWindow(), b);
  EXPECT_EQ(Logged({WM_ACTIVATE, WM_KILLFOCUS, WM_SETFOCUS}),
            Lines({"ACTIVATE A 0 B", "ACTIVATE B 1 A", "KILLFOCUS A", "SETFOCUS B"}));
  gLog.clear();
  DestroyWindow(b);
  EXPECT_EQ(GetActiveWindow(), a);
  EXPECT_EQ(Logged({WM_ACTIVATE}), Lines({"ACTIVATE B 0 A", "ACTIVATE A 1 B"}));
}

TEST_F(MessagesTest, ActivateAppComesWithTheFirstAndLastActivation) {
  Script("");
  HWND a = TopLevel("A", 10, 10, 100, 100);
  EXPECT_EQ(Logged({WM_ACTIVATEAPP}), Lines({"ACTIVATEAPP A 1"}));
  gLog.clear();
  ShowWindow(a, SW_HIDE);
  EXPECT_EQ(GetActiveWindow(), nullptr);
  EXPECT_EQ(Logged({WM_ACTIVATEAPP}), Lines({"ACTIVATEAPP A 0"}));
}

TEST_F(MessagesTest, DestroyingSendsDestroyToTheWindowThenItsChildrenAndDropsItsMessages) {
  Script("");
  HWND w = TopLevel("A", 10, 10, 100, 100);
  HWND child = CreateWindowExA(0, "TestWindow", "", WS_CHILD | WS_VISIBLE, 0, 0, 10, 10, w,
                               nullptr, nullptr, nullptr);
  Name(child, "C");
  PostMessageA(w, WM_USER, 1, 0);
  gLog.clear();
  EXPECT_TRUE(DestroyWindow(w));
  EXPECT_EQ(Logged({WM_DESTROY}), Lines({"DESTROY A", "DESTROY C"}));
  EXPECT_FALSE(IsWindow(w));
  EXPECT_FALSE(IsWindow(child));
  EXPECT_FALSE(DestroyWindow(w));
  RunLoop();
  EXPECT_TRUE(Logged({WM_USER}).empty());
}

TEST_F(MessagesTest, StaleHandlesAreRefusedRatherThanFollowed) {
  Script("");
  HWND w = TopLevel("A", 10, 10, 100, 100);
  DestroyWindow(w);
  RECT r;
  char text[8];
  EXPECT_FALSE(GetClientRect(w, &r));
  EXPECT_EQ(GetWindowTextA(w, text, sizeof text), 0);
  EXPECT_EQ(SendMessageA(w, WM_USER, 0, 0), 0);
  EXPECT_FALSE(SetWindowTextA(w, "x"));
  EXPECT_EQ(SetFocus(w), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_WINDOW_HANDLE);
}

TEST_F(MessagesTest, ClickOnAChildReachesItInClientCoordinatesAfterActivation) {
  Script("move 50 60\nclick\n");
  HWND a = TopLevel("A", 10, 20, 100, 100);
  HWND child = CreateWindowExA(0, "TestWindow", "", WS_CHILD | WS_VISIBLE, 30, 30, 20, 20, a,
                               nullptr, nullptr, nullptr);
  Name(child, "C");
  TopLevel("B", 600, 20, 100, 100);
  gLog.clear();
  RunLoop();
  EXPECT_EQ(Logged({WM_MOUSEACTIVATE, WM_LBUTTONDOWN, WM_LBUTTONUP, WM_MOUSEMOVE}),
            Lines({"MOUSEMOVE C 10,10", "MOUSEACTIVATE C", "MOUSEACTIVATE A", "LBUTTONDOWN C 10,10",
                   "LBUTTONUP C 10,10"}));
  EXPECT_EQ(GetActiveWindow(), a);
}

TEST_F(MessagesTest, CaptureGetsTheButtonReleasedOutsideIt) {
  Script("move 15 25\npress\nmove 500 500\nrelease\n");
  HWND a = TopLevel("A", 10, 20, 100, 100);
  gLog.clear();
  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0)) {
    if (msg.message == WM_LBUTTONDOWN) SetCapture(msg.hwnd);
    if (msg.message == WM_LBUTTONUP) {
      EXPECT_EQ(GetCapture(), a);
    }
    DispatchMessageA(&msg);
    if (msg.message == WM_LBUTTONUP) ReleaseCapture();
  }
  EXPECT_EQ(Logged({WM_LBUTTONDOWN, WM_LBUTTONUP, WM_CAPTURECHANGED}),
            Lines({"LBUTTONDOWN A 5,5", "LBUTTONUP A 490,480", "CAPTURECHANGED A"}));
  EXPECT_EQ(GetCapture(), nullptr);
}

TEST_F(MessagesTest, CursorAndWindowFromPointFollowTheScript) {
  Script("move 5 5\nidle 1\nmove \"A\" 40 40\nidle 1\n");
  HWND a = TopLevel("A", 100, 100, 200, 200);
  HWND child = CreateWindowExA(0, "TestWindow", "", WS_CHILD | WS_VISIBLE, 30, 30, 20, 20, a,
                               nullptr, nullptr, nullptr);
  HWND hidden = CreateWindowExA(0, "TestWindow", "", WS_CHILD, 0, 0, 20, 20, a, nullptr,
                                nullptr, nullptr);
  std::vector<POINT> seen;
  std::vector<HWND> under;
  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0)) {
    if (msg.message != WM_NULL) {
      DispatchMessageA(&msg);
      continue;
    }
    POINT p;
    GetCursorPos(&p);
    seen.push_back(p);
    under.push_back(WindowFromPoint(p));
    DispatchMessageA(&msg);
  }
  ASSERT_EQ(seen.size(), 2u);
  EXPECT_EQ(seen.front().x, 5);
  EXPECT_EQ(under.front(), nullptr);
  EXPECT_EQ(seen.back().x, 140);
  EXPECT_EQ(seen.back().y, 140);
  EXPECT_EQ(under.back(), child);
  POINT p{140, 140};
  ScreenToClient(a, &p);
  EXPECT_EQ(p.x, 40);
  EXPECT_EQ(ChildWindowFromPoint(a, POINT{5, 5}), hidden);  // includes hidden children
  EXPECT_EQ(WindowFromPoint(POINT{105, 105}), a);           // hidden child skipped
  EnableWindow(child, FALSE);
  EXPECT_EQ(WindowFromPoint(POINT{140, 140}), a);
}

TEST_F(MessagesTest, KeysGoToTheFocusWithTheirCharactersAndModifierState) {
  Script("key Ctrl+Q\ntype \"aB\"\n");
  HWND a = TopLevel("A", 10, 10, 100, 100);
  gLog.clear();
  std::vector<bool> controlDown;
  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0)) {
    if (msg.message == WM_KEYDOWN && msg.wParam == 'Q') controlDown.push_back(GetKeyState(VK_CONTROL) < 0);
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  EXPECT_EQ(controlDown, std::vector<bool>({true}));
  EXPECT_EQ(Logged({WM_CHAR}), Lines({"CHAR A 97", "CHAR A 66"}));
  EXPECT_EQ(GetKeyState(VK_CONTROL), 0);
  (void)a;
}

TEST_F(MessagesTest, WindowWordsPropertiesAndSubclassing) {
  Script("");
  HWND a = TopLevel("A", 10, 10, 100, 100);
  EXPECT_EQ(SetWindowLongA(a, 0, 1234), 0);
  EXPECT_EQ(GetWindowLongA(a, 4), 0);
  EXPECT_EQ(GetWindowLongA(a, 0), 1234);
  EXPECT_EQ(GetWindowLongA(a, 8), 0);  // beyond the two extra words
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  int marker = 0;
  EXPECT_TRUE(SetPropA(a, "KTInstance", &marker));
  EXPECT_EQ(GetPropA(a, "ktinstance"), &marker);
  EXPECT_EQ(RemovePropA(a, "KTINSTANCE"), &marker);
  EXPECT_EQ(GetPropA(a, "KTInstance"), nullptr);

  static WNDPROC previous = nullptr;
  previous = reinterpret_cast<WNDPROC>(SetWindowLongA(
      a, GWL_WNDPROC, static_cast<LONG>(reinterpret_cast<uintptr_t>(+[](HWND h, UINT m, WPARAM w, LPARAM l) -> LRESULT {
        if (m == WM_USER) return 99;
        return CallWindowProcA(previous, h, m, w, l);
      }))));
  EXPECT_EQ(previous, &LoggingProc);
  gLog.clear();
  EXPECT_EQ(SendMessageA(a, WM_USER, 0, 0), 99);
  SendMessageA(a, WM_USER + 1, 4, 0);
  EXPECT_EQ(gLog, Lines({"USER+1 A 4"}));
}

TEST_F(MessagesTest, GeometryAndTheNonClientArea) {
  Script("");
  HWND a = TopLevel("A", 100, 50, 300, 200);
  RECT c;
  GetClientRect(a, &c);
  EXPECT_EQ(c.right, 300);
  EXPECT_EQ(c.bottom, 200);
  POINT origin{0, 0};
  ClientToScreen(a, &origin);
  EXPECT_EQ(origin.x, 100);
  EXPECT_EQ(origin.y, 50);
  gLog.clear();
  RECT outer;
  GetWindowRect(a, &outer);
  MoveWindow(a, outer.left + 10, outer.top, outer.right - outer.left + 50,
             outer.bottom - outer.top, TRUE);
  EXPECT_EQ(Logged({WM_MOVE, WM_SIZE}), Lines({"MOVE A", "SIZE A"}));
  GetClientRect(a, &c);
  EXPECT_EQ(c.right, 350);
  EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 1024);
  EXPECT_EQ(GetSystemMetrics(SM_CYSCREEN), 768);
}

TEST_F(MessagesTest, CloseFromTheScriptPostsCloseAndTheDefaultDestroys) {
  Script("close \"A\"\nclose \"Nobody\"\n");
  HWND a = TopLevel("A", 10, 10, 100, 100);
  RunLoop();
  EXPECT_EQ(Logged({WM_CLOSE, WM_DESTROY}), Lines({"CLOSE A", "DESTROY A"}));
  EXPECT_FALSE(IsWindow(a));
  EXPECT_EQ(Err(), "test:2: close: no visible window \"Nobody\"\n");
}

TEST_F(MessagesTest, TheScriptEndingAsksTheProgramToQuit) {
  native::HeadlessBackend& backend = Script("idle 3\n");
  TopLevel("A", 10, 10, 100, 100);
  EXPECT_EQ(RunLoop(), 0);
  EXPECT_TRUE(backend.Finished());
}

TEST_F(MessagesTest, TimersFireThroughTheQueue) {
  Script("");
  HWND a = TopLevel("A", 10, 10, 100, 100);
  ASSERT_EQ(SetTimer(a, 7, 10, nullptr), 7u);
  MSG msg;
  bool fired = false;
  for (int i = 0; i < 1000 && !fired; ++i) {
    if (PeekMessageA(&msg, nullptr, WM_TIMER, WM_TIMER, PM_REMOVE)) fired = msg.wParam == 7;
    Sleep(1);
  }
  EXPECT_TRUE(fired);
  EXPECT_TRUE(KillTimer(a, 7));
  EXPECT_FALSE(KillTimer(a, 7));
}

}  // namespace
}  // namespace native_test

namespace native_test {
namespace {

class ScriptEndTest : public NativeTest {};

TEST_F(ScriptEndTest, APollingLoopSeesTheQuitMessageOnceAndThenNothing) {
  Script("");
  TopLevel("A", 10, 10, 100, 100);
  MSG msg;
  int quits = 0;
  int others = 0;
  for (int i = 0; i < 100 && PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE); ++i) {
    (msg.message == WM_QUIT ? quits : others) += 1;
    DispatchMessageA(&msg);
  }
  EXPECT_EQ(quits, 1);
  EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_FALSE(GetMessageA(&msg, nullptr, 0, 0));  // a wait gets it again rather than hang
}

LRESULT DoubleClickProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  return LoggingProc(hwnd, msg, wParam, lParam);
}

TEST_F(ScriptEndTest, ASecondQuickClickIsADoubleClickOnlyForClassesThatAskForIt) {
  Script("move 50 50\nclick\nclick\nmove 300 50\nclick\nclick\n");
  WNDCLASSA wc{};
  wc.style = CS_DBLCLKS;
  wc.lpfnWndProc = DoubleClickProc;
  wc.lpszClassName = "DoubleClicks";
  RegisterClassA(&wc);
  HWND a = CreateWindowExA(0, "DoubleClicks", "A", WS_POPUP | WS_VISIBLE, 0, 0, 200, 200,
                           nullptr, nullptr, nullptr, nullptr);
  Name(a, "A");
  TopLevel("B", 250, 0, 200, 200);
  std::vector<UINT> downs;
  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0)) {
    if (msg.message == WM_LBUTTONDOWN || msg.message == 0x0203) downs.push_back(msg.message);
    DispatchMessageA(&msg);
  }
  EXPECT_EQ(downs, std::vector<UINT>({WM_LBUTTONDOWN, WM_LBUTTONDBLCLK, WM_LBUTTONDOWN,
                                       WM_LBUTTONDOWN}));
}

}  // namespace
}  // namespace native_test

namespace native_test {
namespace {

class WheelTest : public NativeTest {};

TEST_F(WheelTest, TheWheelGoesToTheFocusInNotchesOfOneHundredTwenty) {
  Script("");
  HWND a = TopLevel("A", 10, 10, 100, 100);
  native::InputWheel(-2, POINT{500, 500});  // towards the user, pointer outside
  MSG msg;
  bool seen = false;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE) && msg.message != WM_QUIT) {
    if (msg.message == WM_MOUSEWHEEL) {
      seen = true;
      EXPECT_EQ(msg.hwnd, a);
      EXPECT_EQ(static_cast<SHORT>(HIWORD(msg.wParam)), -240);
      EXPECT_EQ(GET_X_LPARAM(msg.lParam), 500);  // screen coordinates
    }
    DispatchMessageA(&msg);
  }
  EXPECT_TRUE(seen);
}

}  // namespace
}  // namespace native_test
