// Shared set-up of the window tests: a headless native layer, an image whose class table
// holds a Window subclass and a RectControl subclass (their handlers are test routines that
// log what they receive), window descriptions written with the image kit, and a message
// pump that runs the real window procedure, pre-translation and mouse tracker.
#pragma once

#include <gtest/gtest.h>

#include "tests/support/headlessscreen.h"

#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "native/win32.h"
#include "runtime/objects/object.h"
#include "runtime/ui/controlobject.h"
#include "runtime/ui/pane.h"
#include "runtime/ui/viewwindow.h"
#include "runtime/ui/windowobject.h"
#include "tools/imagekit/imagekit.h"

namespace windows_test {

using Pairs = std::vector<std::pair<std::string, std::string>>;

// Class indexes of the test image.
constexpr int32_t kWindowClass = 1;       // "TestWin": every window event logged
constexpr int32_t kControlClass = 3;      // "TestCtl": CreatePane makes a TestPane
constexpr int32_t kPlainWindowClass = 4;  // "PlainWin": no handlers
constexpr int32_t kPlainControlClass = 5; // "PlainCtl": no pane
constexpr int32_t kButtonClass = 7;       // "TestBtn": a PushButton whose Action logs
constexpr int32_t kPictureClass = 8;      // "TestPic": what project item 1 makes
constexpr int32_t kClassCount = 9;
// Project item 1 of the test image is a picture (kind 1); LoadProjectPictures makes it.
constexpr int32_t kPictureItem = 1;

// What the handlers saw, in order: "Open", "MouseMove 5 7", "ctl:MouseEnter b", ...
extern std::vector<std::string> gLog;

// How the handlers answer and what they do besides logging.
struct Behaviour {
  bool cancelClose = false;     // CancelClose's answer
  bool mouseDown = false;       // the window's MouseDown answer
  bool keyDown = false;         // the window's KeyDown answer
  bool logPaint = false;        // Paint is logged only when a test looks at it
  bool logPanePaint = false;    // so are the TestPanes' paints ("pane:Paint NAME")
  ObjectHeader** watch = nullptr;  // Open logs whether this variable holds the window
  std::string closeOn;          // an event ("Open", "ctl:Close a", ...) that closes its window
  // After closing, the handler goes on making this many texts of 26 characters (kept until
  // the test ends), as handlers do: they take the blocks the closing freed.
  int textsAfterClose = 0;
  void (*afterClose)() = nullptr;  // called last, once the handler's work is done
};
extern Behaviour gBehave;

// A windowless pane made by TestCtl's CreatePane.
class TestPane : public Pane {
 public:
  void ChangeState(int32_t code) override;
  bool AcceptFocus() override { return focusable; }
  bool MouseDown(int32_t x, int32_t y, int32_t modifiers) override;
  void MouseEntered() override { ++entered; }
  void MouseLeft() override { ++left; }
  // Logged as "pane:Paint NAME" with logPanePaint (the Behaviour may close the window).
  void Paint(HDC dc) override;
  std::string name;  // the control's key
  bool focusable = false;
  bool takesPress = false;
  int entered = 0;
  int left = 0;
  std::vector<int32_t> states;
};

class WindowsTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite();
  void SetUp() override;
  void TearDown() override;

  // A description record: its length word and stream.
  static std::vector<uint8_t> Record(const imagekit::WindowDesc& desc);
  static imagekit::WindowDesc Desc(int32_t cls, const Pairs& pairs) {
    imagekit::WindowDesc desc;
    desc.classIndex = cls;
    desc.properties = pairs;
    return desc;
  }
  // Window properties as the application image gives them, with overrides and extras.
  static Pairs WindowPairs(int width, int height, const Pairs& overrides = {});
  static imagekit::ControlDesc Control(const std::string& name, int32_t index, Rect16 bounds,
                                       const Pairs& extra = {}, int32_t cls = kControlClass);
  // RuntimeCreateWindow on a copy of the record kept alive by the fixture; the result is
  // released by TearDown.
  ObjectHeader* Create(const imagekit::WindowDesc& desc, ObjectHeader** variable = nullptr);
  // Shows the windows marked visible, dispatches every queued message as the main loop
  // does (pre-translation first), then runs the mouse tracker.
  void Pump();
  // Moves the pointer to a client point of the window and lets the loop see it.
  void MoveTo(ObjectHeader* window, int x, int y);
  // The pane of a control as a TestPane (nil otherwise).
  static TestPane* PaneOf(ObjectHeader* control);
  static ObjectHeader* ControlNamed(ObjectHeader* window, const char* key);
  static HWND Hwnd(ObjectHeader* window);
  // Everything the headless backend printed (message boxes, dumps).
  std::string Out();
  // Makes the project items of the test image (item 1 a TestPic object), as start-up does.
  static void LoadProjectPictures();

  std::vector<ObjectHeader*> created_;
  std::vector<std::vector<uint8_t>> records_;

 private:
  HeadlessScreen screen_;
};

}  // namespace windows_test
