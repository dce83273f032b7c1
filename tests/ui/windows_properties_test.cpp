// The Window properties (stored first, the native window updated while it exists; full
// screen shown again), the property application from text, the main window and the modal stack, and the forwarding
// of child notifications to the child's pane.
#include <string>
#include <vector>

#include "runtime/entries/entries.h"
#include "runtime/objects/builtinclasses.h"
#include "runtime/objects/objects.h"
#include "runtime/objects/strings.h"
#include "runtime/ui/controlcreation.h"
#include "runtime/ui/windowlayer.h"
#include "tests/ui/windows_fixture.h"

namespace windows_test {
namespace {

class WindowPropertiesTest : public WindowsTest {
 protected:
  ObjectHeader* Plain(const Pairs& overrides = {}) {
    ObjectHeader* window = Create(Desc(kPlainWindowClass, WindowPairs(300, 200, overrides)));
    Pump();
    return window;
  }
  static bool Apply(ObjectHeader* object, const char* name, const char* value) {
    StringRecord* n = MakeStringFromC(name);
    StringRecord* v = MakeStringFromC(value);
    bool applied = ApplyPropertyFromText(object, n, v);
    UnlockString(n);
    UnlockString(v);
    return applied;
  }
};

struct TextCase {
  const char* name;
  const char* value;
  bool applied;
  int32_t offset;   // field checked
  int32_t width;    // 1, 2 or 4 bytes
  int32_t expected;
};

TEST_F(WindowPropertiesTest, TextIsConvertedWithThePropertysType) {
  ObjectHeader* window = MakeObject(AMX_BUILTIN_CLASS(Window));
  const TextCase cases[] = {
      {"Frame", "  -3x", true, 60, 4, -3},
      {"Frame", "abc", true, 60, 4, 0},
      {"Placement", "+12", true, 64, 4, 12},
      {"CloseBox", "TRUE", true, 17, 1, 1},
      {"CloseBox", "yes", true, 17, 1, 0},
      {"BackColor", "16777215", true, 68, 4, 0xFFFFFF},
      {"MinWidth", "70000", true, 72, 2, static_cast<int16_t>(70000)},
      {"maxheight", "300", true, 78, 2, 300},
      {"MouseX", "5", false, 0, 0, 0},
      {"Name", "x", false, 0, 0, 0},
      {"", "x", false, 0, 0, 0},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Apply(window, c.name, c.value), c.applied) << c.name << "=" << c.value;
    if (!c.applied) continue;
    auto* bytes = reinterpret_cast<uint8_t*>(window) + c.offset;
    int32_t got = c.width == 1 ? *bytes
                : c.width == 2 ? *reinterpret_cast<int16_t*>(bytes)
                               : *reinterpret_cast<int32_t*>(bytes);
    EXPECT_EQ(got, c.expected) << c.name << "=" << c.value;
  }
  EXPECT_TRUE(Apply(window, "Title", "Armonix"));
  EXPECT_EQ(std::string(StringView(AsWindow(window)->title)), "Armonix");
  EXPECT_TRUE(Apply(window, "Backdrop", "0")) << "object properties take a project item";
  EXPECT_EQ(AsWindow(window)->backdrop, nullptr);
  UnlockObject(window);
}

TEST_F(WindowPropertiesTest, TitleReachesTheCaption) {
  ObjectHeader* window = Plain();
  StringRecord* title = MakeStringFromC("Intervalli");
  windowTitleSetter(window, 0, title);
  UnlockString(title);
  char caption[32] = {};
  GetWindowTextA(Hwnd(window), caption, sizeof(caption));
  EXPECT_STREQ(caption, "Intervalli");
  windowTitleSetter(window, 0, nullptr);
  GetWindowTextA(Hwnd(window), caption, sizeof(caption));
  EXPECT_STREQ(caption, "") << "nil is the empty title";
}

TEST_F(WindowPropertiesTest, VisibleFalseHidesAndTrueWaitsForTheLoop) {
  ObjectHeader* window = Plain();
  HWND hwnd = Hwnd(window);
  ASSERT_TRUE(IsWindowVisible(hwnd));
  windowVisibleSetter(window, 16, 0);
  EXPECT_FALSE(IsWindowVisible(hwnd));
  EXPECT_EQ(AsWindow(window)->native->shown, 0);
  windowVisibleSetter(window, 16, 0x80);  // any non-zero byte is True
  EXPECT_FALSE(IsWindowVisible(hwnd));
  EXPECT_EQ(AsWindow(window)->native->shown, 1);
  Pump();
  EXPECT_TRUE(IsWindowVisible(hwnd));
}

TEST_F(WindowPropertiesTest, BackColourChangesRepaintOnlyWhenOn) {
  ObjectHeader* window = Plain();
  RuntimeViewWindow* view = AsWindow(window)->native;
  windowBackColorSetter(window, 68, 0x0000FF);
  EXPECT_EQ(view->hasBackColor, 0) << "HasBackColor is off";
  windowHasBackColorSetter(window, 88, 1);
  EXPECT_EQ(view->hasBackColor, 1);
  EXPECT_EQ(view->backColor, 0xFF0000u);
  windowBackColorSetter(window, 68, 0x00FF00);
  EXPECT_EQ(view->backColor, 0x00FF00u);
  windowHasBackColorSetter(window, 88, 0);
  EXPECT_EQ(view->hasBackColor, 0);
  EXPECT_EQ(AsWindow(window)->backColor, 0x00FF00);
}

TEST_F(WindowPropertiesTest, FullScreenComesAndGoesOnlyOnChange) {
  ObjectHeader* window = Plain();
  WindowObject* w = AsWindow(window);
  Rect16 normal = w->bounds;
  windowFullScreenSetter(window, 90, 1);
  EXPECT_EQ(w->bounds, (Rect16{0, 0, 768, 1024}));
  windowPosSetter(window, 2, 10);
  EXPECT_EQ(w->bounds, (Rect16{0, 0, 768, 1024})) << "positions are ignored in full screen";
  windowFullScreenSetter(window, 90, 1);
  EXPECT_EQ(w->restoreBounds, normal) << "setting it again changes nothing";
  windowFullScreenSetter(window, 90, 0);
  EXPECT_EQ(w->bounds, normal);
}

// Showing a full-screen window covers the screen again but keeps the bounds it came from:
// leaving full screen afterwards brings the window back to them.
struct ShownAgainCase {
  const char* name;
  bool describedFullScreen;  // FullScreen True in the description, else set on the live window
  int shows;
};

TEST_F(WindowPropertiesTest, ShowingAFullScreenWindowKeepsTheBoundsToGoBackTo) {
  const ShownAgainCase cases[] = {
      {"set live, shown once", false, 1},
      {"set live, shown twice", false, 2},
      {"described, shown once", true, 1},
  };
  const Rect16 screen{0, 0, 768, 1024};
  for (const auto& c : cases) {
    ObjectHeader* window = Plain({{"FullScreen", c.describedFullScreen ? "True" : "False"}});
    ASSERT_NE(window, nullptr) << c.name;
    WindowObject* w = AsWindow(window);
    const Rect16 normal{50, 10, 250, 310};  // Frame 0 without a Placement: default 4
    if (!c.describedFullScreen) {
      EXPECT_EQ(w->bounds, normal) << c.name;
      windowFullScreenSetter(window, 90, 1);
    }
    for (int i = 0; i < c.shows; ++i) RuntimeShowWindow(window);
    EXPECT_EQ(w->bounds, screen) << c.name << ": still covering the screen";
    EXPECT_EQ(w->restoreBounds, normal) << c.name;
    windowFullScreenSetter(window, 90, 0);
    EXPECT_EQ(w->bounds, normal) << c.name;
    EXPECT_EQ(windows::NativeClientBounds(Hwnd(window)), normal) << c.name;
    RuntimeCloseWindow(window);
  }
}

TEST_F(WindowPropertiesTest, ReadOnlyPropertiesAnswerFromTheWindow) {
  imagekit::WindowDesc desc = Desc(kPlainWindowClass, WindowPairs(300, 200));
  desc.controls.push_back(Control("a", kNotInArray, Rect16{0, 0, 10, 10}));
  desc.controls.push_back(Control("b", kNotInArray, Rect16{0, 0, 10, 10}, {},
                                  kPlainControlClass));
  ObjectHeader* window = Create(desc);
  ASSERT_NE(window, nullptr);
  Pump();
  EXPECT_EQ(windowControlCountGetter(window, 0), 2);
  EXPECT_EQ(windowMacWindowPtrGetter(window, 0), 0);
  EXPECT_EQ(windowWinHWNDGetter(window, 0),
            static_cast<int32_t>(reinterpret_cast<intptr_t>(Hwnd(window))));
  POINT point = {25, 35};
  ClientToScreen(Hwnd(window), &point);
  SetCursorPos(point.x, point.y);
  EXPECT_EQ(windowMouseXGetter(window, 0), 25);
  EXPECT_EQ(windowMouseYGetter(window, 0), 35);
  ObjectHeader* notWindow = MakeObject(AMX_BUILTIN_CLASS(Object));
  EXPECT_EQ(windowControlCountGetter(notWindow, 0), 0) << "other objects are refused";
  windowPosSetter(notWindow, 0, 5);
  RuntimeShowWindow(notWindow);
  RuntimeCloseWindow(nullptr);
  UnlockObject(notWindow);
}

TEST_F(WindowPropertiesTest, TheFirstDocumentWindowIsTheMainWindow) {
  ObjectHeader* floating = Plain({{"Frame", "3"}});
  ObjectHeader* document = Plain();
  ObjectHeader* second = Plain({{"Frame", "6"}});
  ASSERT_NE(floating, nullptr);
  EXPECT_EQ(AsWindow(floating)->native->kind, 1);
  EXPECT_EQ(windows::MainViewWindow(), AsWindow(document)->native);
  EXPECT_NE(windows::MainViewWindow(), AsWindow(second)->native);
  RuntimeCloseWindow(document);
  EXPECT_EQ(windows::MainViewWindow(), nullptr) << "forgotten when it closes";
}

TEST_F(WindowPropertiesTest, ModalWindowsAreOwnedAndRefuseClicksElsewhere) {
  ObjectHeader* document = Plain();
  ObjectHeader* modal = Plain({{"Frame", "1"}});  // movable modal
  ASSERT_NE(modal, nullptr);
  EXPECT_EQ(GetWindow(Hwnd(modal), GW_OWNER), Hwnd(document));
  EXPECT_EQ(windows::FirstVisibleModal(), Hwnd(modal));
  EXPECT_EQ(SendMessageA(Hwnd(document), WM_MOUSEACTIVATE, 0, 0), MA_NOACTIVATEANDEAT);
  EXPECT_NE(SendMessageA(Hwnd(modal), WM_MOUSEACTIVATE, 0, 0), MA_NOACTIVATEANDEAT);
  RuntimeCloseWindow(modal);
  EXPECT_EQ(windows::FirstVisibleModal(), nullptr);
  EXPECT_NE(SendMessageA(Hwnd(document), WM_MOUSEACTIVATE, 0, 0), MA_NOACTIVATEANDEAT);
}

// A pane that records the child notifications it is given.
class NotifiedPane : public Pane {
 public:
  LRESULT Command(int32_t code) override {
    codes.push_back(code);
    return 7;
  }
  std::vector<int32_t> codes;
};

TEST_F(WindowPropertiesTest, ChildCommandsGoToTheChildsPane) {
  ObjectHeader* window = Plain();
  HWND button = CreateWindowExA(0, "BUTTON", "ok", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, 5, 5,
                                40, 20, Hwnd(window), nullptr, nullptr, nullptr);
  ASSERT_NE(button, nullptr);
  NotifiedPane pane;
  SetPropA(button, "KTInstance", &pane);
  EXPECT_EQ(PaneFromNativeWindow(button), &pane);
  EXPECT_EQ(PaneFromNativeWindow(Hwnd(window)), AsWindow(window)->native);
  LRESULT result = SendMessageA(Hwnd(window), WM_COMMAND, MAKEWPARAM(0, BN_CLICKED),
                                reinterpret_cast<LPARAM>(button));
  EXPECT_EQ(result, 7);
  EXPECT_EQ(pane.codes, (std::vector<int32_t>{BN_CLICKED}));
  RemovePropA(button, "KTInstance");
  EXPECT_EQ(PaneFromNativeWindow(button), nullptr);
}

}  // namespace
}  // namespace windows_test
