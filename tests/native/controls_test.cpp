// The built-in controls driven by the script: buttons notify their parent, automatic radio
// buttons check themselves and clear their group, edit fields take typing within their
// limits and report changes.
#include "tests/native/native_fixture.h"

namespace native_test {
namespace {

using Lines = std::vector<std::string>;

class ControlsTest : public NativeTest {
 protected:
  HWND Child(const char* cls, const char* text, DWORD style, int x, int y, int w, int h, int id,
             const char* tag) {
    HWND c = CreateWindowExA(0, cls, text, WS_CHILD | WS_VISIBLE | style, x, y, w, h, parent_,
                             reinterpret_cast<HMENU>(static_cast<uintptr_t>(id)), nullptr, nullptr);
    Name(c, tag);
    return c;
  }
  void Window() { parent_ = TopLevel("W", 100, 100, 400, 300); }
  HWND parent_ = nullptr;
};

TEST_F(ControlsTest, AClickedButtonSendsBnClickedWithItsIdentifier) {
  Script("move \"W\" 20 20\nclick\nmove \"W\" 20 20\npress\nmove \"W\" 300 200\nrelease\n");
  Window();
  HWND ok = Child("BUTTON", "OK", BS_PUSHBUTTON, 10, 10, 80, 24, 42, "ok");
  gLog.clear();
  RunLoop();
  // The second press is dragged off the button before release: no click.
  EXPECT_EQ(Logged({WM_COMMAND}), Lines({"COMMAND W 42 0 ok"}));
  EXPECT_EQ(GetFocus(), ok);
}

// A click on a window behind another: what the window answers to WM_MOUSEACTIVATE decides
// whether it is activated and whether the press is delivered, to the control under the
// pointer once activation is done (a window may keep its controls disabled while inactive).
struct InactiveClick {
  const char* what;
  LRESULT answer;         // W's answer to WM_MOUSEACTIVATE; 0 leaves it to DefWindowProc
  bool disabledInactive;  // W enables its controls only while it is active
  const char* activation;  // how W is activated ("" for not at all): WA_CLICKACTIVE by the
                           // click, WA_ACTIVE by the focus the button takes when pushed
  bool clicked;
};

const InactiveClick* gInactive = nullptr;

LRESULT ActivationProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  LoggingProc(hwnd, msg, wParam, lParam);
  if (msg == WM_MOUSEACTIVATE && gInactive->answer) return gInactive->answer;
  if (msg == WM_ACTIVATE && gInactive->disabledInactive)
    for (HWND child : hwnd->children) EnableWindow(child, LOWORD(wParam) != WA_INACTIVE);
  return DefWindowProcA(hwnd, msg, wParam, lParam);
}

class InactiveClickTest : public ControlsTest, public ::testing::WithParamInterface<InactiveClick> {};

TEST_P(InactiveClickTest, ActivatesAndDeliversAsTheWindowAnswers) {
  const InactiveClick& c = GetParam();
  gInactive = &c;
  Script("move \"W\" 20 20\nclick\n");
  Window();
  SetWindowLongA(parent_, GWL_WNDPROC, static_cast<LONG>(reinterpret_cast<uintptr_t>(&ActivationProc)));
  HWND ok = Child("BUTTON", "OK", BS_PUSHBUTTON, 10, 10, 80, 24, 42, "ok");
  HWND front = TopLevel("Front", 600, 100, 100, 100);
  ASSERT_EQ(GetActiveWindow(), front);
  ASSERT_EQ(IsWindowEnabled(ok), !c.disabledInactive);
  gLog.clear();
  RunLoop();
  bool activated = *c.activation != 0;
  EXPECT_EQ(GetActiveWindow(), activated ? parent_ : front) << c.what;
  EXPECT_EQ(Logged({WM_ACTIVATE}), activated ? Lines({"ACTIVATE Front 0 W", c.activation}) : Lines{}) << c.what;
  EXPECT_EQ(Logged({WM_COMMAND}), c.clicked ? Lines({"COMMAND W 42 0 ok"}) : Lines{}) << c.what;
  if (c.clicked) EXPECT_EQ(GetFocus(), ok) << c.what;
}

const InactiveClick kInactiveClicks[] = {
    {"default answer", 0, false, "ACTIVATE W 2 Front", true},
    {"default answer, controls enabled by the activation", 0, true, "ACTIVATE W 2 Front", true},
    {"MA_ACTIVATE, controls enabled by the activation", MA_ACTIVATE, true, "ACTIVATE W 2 Front", true},
    {"MA_ACTIVATEANDEAT", MA_ACTIVATEANDEAT, true, "ACTIVATE W 2 Front", false},
    {"MA_NOACTIVATE", MA_NOACTIVATE, false, "ACTIVATE W 1 Front", true},
    {"MA_NOACTIVATEANDEAT", MA_NOACTIVATEANDEAT, false, "", false},
};
INSTANTIATE_TEST_SUITE_P(Answers, InactiveClickTest, ::testing::ValuesIn(kInactiveClicks));

TEST_F(ControlsTest, DisabledButtonsIgnoreClicksAndBmClickClicks) {
  Script("move \"W\" 20 20\nclick\n");
  Window();
  HWND ok = Child("BUTTON", "OK", BS_PUSHBUTTON, 10, 10, 80, 24, 42, "ok");
  EnableWindow(ok, FALSE);
  gLog.clear();
  RunLoop();
  EXPECT_TRUE(Logged({WM_COMMAND}).empty());
  SendMessageA(ok, BM_CLICK, 0, 0);
  EXPECT_EQ(Logged({WM_COMMAND}), Lines({"COMMAND W 42 0 ok"}));
}

TEST_F(ControlsTest, AutomaticRadioButtonsCheckThemselvesAndClearTheirGroup) {
  Script("move \"W\" 20 50\nclick\nmove \"W\" 20 20\nclick\n");
  Window();
  HWND a = Child("BUTTON", "A", BS_AUTORADIOBUTTON | WS_GROUP, 10, 10, 100, 20, 1, "a");
  HWND b = Child("BUTTON", "B", BS_AUTORADIOBUTTON, 10, 40, 100, 20, 2, "b");
  HWND other = Child("BUTTON", "C", BS_AUTORADIOBUTTON | WS_GROUP, 10, 70, 100, 20, 3, "c");
  SendMessageA(other, BM_SETCHECK, BST_CHECKED, 0);
  gLog.clear();
  std::vector<std::string> states;
  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0)) {
    DispatchMessageA(&msg);
    if (msg.message == WM_LBUTTONUP) {
      states.push_back(std::to_string(SendMessageA(a, BM_GETCHECK, 0, 0)) +
                       std::to_string(SendMessageA(b, BM_GETCHECK, 0, 0)) +
                       std::to_string(SendMessageA(other, BM_GETCHECK, 0, 0)));
    }
  }
  EXPECT_EQ(states, Lines({"011", "101"}));  // the other group keeps its check
  EXPECT_EQ(Logged({WM_COMMAND}), Lines({"COMMAND W 2 0 b", "COMMAND W 1 0 a"}));
}

TEST_F(ControlsTest, RadioButtonsWithoutAutoLeaveTheCheckToTheParent) {
  Script("move \"W\" 20 20\nclick\n");
  Window();
  HWND a = Child("BUTTON", "A", BS_RADIOBUTTON, 10, 10, 100, 20, 1, "a");
  RunLoop();
  EXPECT_EQ(SendMessageA(a, BM_GETCHECK, 0, 0), BST_UNCHECKED);
  EXPECT_EQ(Logged({WM_COMMAND}), Lines({"COMMAND W 1 0 a"}));
}

TEST_F(ControlsTest, TypingIntoAnEditFieldChangesItsTextAndNotifies) {
  Script("move \"W\" 20 20\nclick\ntype \"ciao\"\nkey Bsp\nkey Left\ntype \"X\"\n");
  Window();
  HWND edit = Child("EDIT", "", WS_BORDER, 10, 10, 150, 22, 7, "e");
  gLog.clear();
  RunLoop();
  char text[32];
  GetWindowTextA(edit, text, sizeof text);
  EXPECT_STREQ(text, "ciXa");
  std::vector<std::string> changes;
  for (const std::string& line : Logged({WM_COMMAND})) {
    if (line == "COMMAND W 7 768 e") changes.push_back(line);  // EN_CHANGE = 0x300
  }
  EXPECT_EQ(changes.size(), 6u);
}

TEST_F(ControlsTest, RichEditReportsChangesOnlyWhenAskedTo) {
  Script("move \"W\" 20 20\nclick\ntype \"a\"\n");
  Window();
  HWND quiet = Child("RichEdit", "", 0, 10, 10, 150, 22, 7, "q");
  HWND loud = Child("RichEdit", "", 0, 10, 40, 150, 22, 8, "l");
  SendMessageA(loud, EM_SETEVENTMASK, 0, ENM_CHANGE);
  gLog.clear();
  RunLoop();
  SetWindowTextA(loud, "set");
  std::vector<std::string> changes;
  for (const std::string& line : Logged({WM_COMMAND})) {
    if (line.find(" 768 ") != std::string::npos) changes.push_back(line);
  }
  EXPECT_EQ(changes, Lines({"COMMAND W 8 768 l"}));
  char text[8];
  GetWindowTextA(quiet, text, sizeof text);
  EXPECT_STREQ(text, "a");
}

TEST_F(ControlsTest, EditLimitsReadOnlyAndPassword) {
  Script("move \"W\" 20 20\nclick\ntype \"12345\"\nmove \"W\" 20 50\nclick\ntype \"zz\"\n"
         "move \"W\" 20 80\nclick\ntype \"pw\"\ndump\n");
  Window();
  HWND limited = Child("RichEdit", "", 0, 10, 10, 150, 22, 1, "limited");
  HWND readOnly = Child("RichEdit", "fixed", ES_READONLY, 10, 40, 150, 22, 2, "ro");
  HWND password = Child("EDIT", "", ES_PASSWORD, 10, 70, 150, 22, 3, "pw");
  SendMessageA(limited, EM_EXLIMITTEXT, 0, 3);
  RunLoop();
  char text[16];
  GetWindowTextA(limited, text, sizeof text);
  EXPECT_STREQ(text, "123");
  GetWindowTextA(readOnly, text, sizeof text);
  EXPECT_STREQ(text, "fixed");
  GetWindowTextA(password, text, sizeof text);
  EXPECT_STREQ(text, "pw");
  EXPECT_NE(Out().find("  EDIT \"**\" 10 70 150 22\n"), std::string::npos) << Out();
  EXPECT_EQ(Logged({WM_COMMAND}).size() > 0, true);
}

TEST_F(ControlsTest, SelectionAndReplacement) {
  Script("");
  Window();
  HWND edit = Child("EDIT", "hello world", 0, 10, 10, 150, 22, 1, "e");
  SendMessageA(edit, EM_SETSEL, 0, 5);
  DWORD start = 0;
  DWORD end = 0;
  SendMessageA(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
  EXPECT_EQ(start, 0u);
  EXPECT_EQ(end, 5u);
  SendMessageA(edit, EM_REPLACESEL, 0, reinterpret_cast<LPARAM>("ciao"));
  char text[32];
  GetWindowTextA(edit, text, sizeof text);
  EXPECT_STREQ(text, "ciao world");
  SendMessageA(edit, EM_SETSEL, 100, -1);  // beyond the end: clamped
  SendMessageA(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
  EXPECT_EQ(start, 10u);
  EXPECT_EQ(end, 10u);
  EXPECT_EQ(GetWindowTextLengthA(edit), 10);
  EXPECT_EQ(GetWindowTextA(edit, text, 5), 4);  // truncated to the buffer
  EXPECT_STREQ(text, "ciao");
}

TEST_F(ControlsTest, FocusNotificationsAndHidingTheFocusedControl) {
  Script("");
  Window();
  HWND a = Child("BUTTON", "A", BS_PUSHBUTTON | BS_NOTIFY, 10, 10, 80, 24, 1, "a");
  HWND e = Child("EDIT", "", 0, 10, 40, 80, 24, 2, "e");
  gLog.clear();
  SetFocus(a);
  SetFocus(e);
  EXPECT_EQ(Logged({WM_COMMAND}),
            Lines({"COMMAND W 1 6 a", "COMMAND W 1 7 a", "COMMAND W 2 256 e"}));
  ShowWindow(e, SW_HIDE);
  EXPECT_EQ(GetFocus(), parent_);
}

}  // namespace
}  // namespace native_test
