// Window management edge cases: classes, creation refused by the window, owned windows,
// activation refused on a click, resizing by the user with WM_SIZING, reparenting, the
// multiple-document client.
#include "native/core/input.h"
#include "tests/native/native_fixture.h"

namespace native_test {
namespace {

using Lines = std::vector<std::string>;

class WindowsTest : public NativeTest {};

LRESULT RefusingProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_CREATE) return -1;
  return LoggingProc(hwnd, msg, wParam, lParam);
}

TEST_F(WindowsTest, ClassesAndCreationFailures) {
  Script("");
  WNDCLASSA wc{};
  wc.lpfnWndProc = LoggingProc;
  wc.lpszClassName = "testwindow";  // names compare ignoring case
  EXPECT_EQ(RegisterClassA(&wc), 0);
  EXPECT_EQ(GetLastError(), ERROR_CLASS_ALREADY_EXISTS);
  wc.lpszClassName = nullptr;
  EXPECT_EQ(RegisterClassA(&wc), 0);
  EXPECT_EQ(CreateWindowExA(0, "NoSuchClass", "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_CANNOT_FIND_WND_CLASS);
  EXPECT_EQ(CreateWindowExA(0, "TestWindow", "", WS_CHILD, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr), nullptr);
  wc.lpfnWndProc = RefusingProc;
  wc.lpszClassName = "Refusing";
  ASSERT_NE(RegisterClassA(&wc), 0);
  size_t before = native::State().windows.size();
  EXPECT_EQ(CreateWindowExA(0, "Refusing", "", WS_POPUP | WS_VISIBLE, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr), nullptr);
  EXPECT_EQ(native::State().windows.size(), before);
  char name[16];
  HWND w = TopLevel("A", 0, 0, 10, 10);
  EXPECT_EQ(GetClassNameA(w, name, sizeof name), 10);
  EXPECT_STREQ(name, "TestWindow");
  EXPECT_FALSE(UnregisterClassA("TestWindow", nullptr));  // still in use
  EXPECT_FALSE(UnregisterClassA("BUTTON", nullptr));      // built in
}

TEST_F(WindowsTest, OwnedWindowsGoWithTheirOwner) {
  Script("");
  HWND owner = TopLevel("Owner", 0, 0, 100, 100);
  HWND owned = CreateWindowExA(0, "TestWindow", "Owned", WS_POPUP | WS_VISIBLE, 10, 10, 50, 50,
                               owner, nullptr, nullptr, nullptr);
  Name(owned, "Owned");
  EXPECT_EQ(GetWindow(owned, GW_OWNER), owner);
  EXPECT_EQ(GetParent(owned), owner);
  EXPECT_EQ(GetActiveWindow(), owned);
  gLog.clear();
  DestroyWindow(owner);
  EXPECT_FALSE(IsWindow(owned));
  EXPECT_EQ(Logged({WM_DESTROY}), Lines({"DESTROY Owned", "DESTROY Owner"}));
  EXPECT_EQ(GetActiveWindow(), nullptr);
}

LRESULT RefuseActivationProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_MOUSEACTIVATE) {
    LoggingProc(hwnd, msg, wParam, lParam);
    return MA_NOACTIVATEANDEAT;
  }
  return LoggingProc(hwnd, msg, wParam, lParam);
}

TEST_F(WindowsTest, AWindowCanRefuseActivationAndEatTheClick) {
  Script("move 20 20\nclick\n");
  HWND back = TopLevel("Back", 10, 10, 100, 100);
  SetWindowLongA(back, GWL_WNDPROC, static_cast<LONG>(reinterpret_cast<uintptr_t>(&RefuseActivationProc)));
  HWND front = TopLevel("Front", 500, 10, 100, 100);
  gLog.clear();
  RunLoop();
  EXPECT_EQ(GetActiveWindow(), front);
  EXPECT_EQ(Logged({WM_MOUSEACTIVATE, WM_LBUTTONDOWN, WM_LBUTTONUP}),
            Lines({"MOUSEACTIVATE Back", "LBUTTONUP Back 10,10"}));
}

LRESULT ClampingProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_SIZING) {
    auto* r = reinterpret_cast<RECT*>(lParam);
    r->right = std::min<LONG>(r->right, r->left + 200);  // at most 200 wide, frame included
  }
  return LoggingProc(hwnd, msg, wParam, lParam);
}

TEST_F(WindowsTest, UserResizingIsOfferedAsSizingFirst) {
  Script("");
  HWND w = TopLevel("W", 100, 100, 150, 100);
  SetWindowLongA(w, GWL_WNDPROC, static_cast<LONG>(reinterpret_cast<uintptr_t>(&ClampingProc)));
  gLog.clear();
  RECT got = native::UserMovedWindow(w, RECT{120, 100, 520, 300}, true);
  EXPECT_EQ(Logged({WM_SIZING, WM_MOVE, WM_SIZE}), Lines({"SIZING W", "MOVE W", "SIZE W"}));
  EXPECT_EQ(got.left, 120);
  EXPECT_EQ(got.right - got.left, 200 - 6);  // the fixed frame is 3 on each side
  EXPECT_EQ(got.bottom - got.top, 200);
}

TEST_F(WindowsTest, ReparentingAndSiblingOrder) {
  Script("");
  HWND a = TopLevel("A", 0, 0, 100, 100);
  HWND b = TopLevel("B", 200, 0, 100, 100);
  auto child = [](HWND parent) {
    return CreateWindowExA(0, "TestWindow", "", WS_CHILD | WS_VISIBLE, 0, 0, 10, 10, parent,
                           nullptr, nullptr, nullptr);
  };
  HWND first = child(a);
  HWND second = child(a);
  EXPECT_EQ(GetWindow(a, GW_CHILD), first);
  EXPECT_EQ(GetWindow(first, GW_HWNDNEXT), second);
  EXPECT_EQ(GetWindow(second, GW_HWNDNEXT), nullptr);
  EXPECT_EQ(GetWindow(b, GW_HWNDNEXT), a);  // b was shown last: on top
  EXPECT_EQ(SetParent(first, b), a);
  EXPECT_TRUE(IsChild(b, first));
  EXPECT_EQ(SetParent(b, first), nullptr);  // a top-level window is not reparented
  HWND grandchild = child(first);
  EXPECT_EQ(SetParent(first, grandchild), nullptr);  // no cycles
  EXPECT_EQ(GetAncestor(grandchild, GA_ROOT), b);
}

TEST_F(WindowsTest, TheMultipleDocumentClientCreatesActivatesAndDestroysChildren) {
  Script("");
  HWND frame = TopLevel("Frame", 0, 0, 640, 480);
  CLIENTCREATESTRUCT ccs{nullptr, 3000};
  HWND client = CreateWindowExA(0, "MDICLIENT", nullptr, WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN,
                                0, 0, 640, 480, frame, nullptr, nullptr, &ccs);
  ASSERT_NE(client, nullptr);
  MDICREATESTRUCTA cs{"TestWindow", "Doc 1", nullptr, CW_USEDEFAULT, CW_USEDEFAULT,
                      300, 200, 0, 0};
  auto doc1 = reinterpret_cast<HWND>(SendMessageA(client, WM_MDICREATE, 0, reinterpret_cast<LPARAM>(&cs)));
  cs.szTitle = "Doc 2";
  auto doc2 = reinterpret_cast<HWND>(SendMessageA(client, WM_MDICREATE, 0, reinterpret_cast<LPARAM>(&cs)));
  ASSERT_NE(doc1, nullptr);
  ASSERT_NE(doc2, nullptr);
  EXPECT_EQ(GetDlgCtrlID(doc1), 3000);
  EXPECT_EQ(GetDlgCtrlID(doc2), 3001);
  EXPECT_EQ(reinterpret_cast<HWND>(SendMessageA(client, WM_MDIGETACTIVE, 0, 0)), doc2);
  EXPECT_EQ(GetFocus(), doc2);
  SendMessageA(client, WM_MDIACTIVATE, reinterpret_cast<WPARAM>(doc1), 0);
  EXPECT_EQ(reinterpret_cast<HWND>(SendMessageA(client, WM_MDIGETACTIVE, 0, 0)), doc1);
  SendMessageA(client, WM_MDIDESTROY, reinterpret_cast<WPARAM>(doc1), 0);
  EXPECT_FALSE(IsWindow(doc1));
  EXPECT_EQ(reinterpret_cast<HWND>(SendMessageA(client, WM_MDIGETACTIVE, 0, 0)), doc2);
  RECT c;
  GetClientRect(doc2, &c);
  EXPECT_EQ(c.bottom, 200 - 19 - 3 - 3);  // caption and fixed frame
}

}  // namespace
}  // namespace native_test
