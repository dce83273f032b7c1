// Shared set-up of the standard-control tests: a headless native layer, real windows with
// their native window and dictionary, controls of the built-in classes (or of subclasses
// whose handlers log what they receive) made the way window creation makes them, and a
// message pump that delivers the user's input.
#pragma once

#include <gtest/gtest.h>

#include "tests/support/headlessscreen.h"

#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "native/win32.h"
#include "runtime/objects/class.h"
#include "runtime/objects/object.h"
#include "runtime/objects/string.h"
#include "runtime/ui/controlobject.h"
#include "runtime/ui/stdcontrolobjects.h"
#include "runtime/ui/windowobject.h"

namespace stdcontrols_test {

// What the logging handlers saw, in order: "Action ok", "MouseDown ok 5 6", ...
extern std::vector<std::string> gLog;
// What the logging MouseDown and MouseUp handlers answer.
extern bool gMouseDownAnswer;
extern bool gMouseUpAnswer;
// What the logging KeyDown handler answers.
extern bool gKeyDownAnswer;
// The logging handler of this event ("GotFocus", "MouseDown", ...) also closes the control's
// window, as a handler of the application may; empty for none.
extern std::string gCloseWindowOn;

using Pairs = std::vector<std::pair<std::string, std::string>>;

class StdControlsTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // A subclass of the built-in class whose handlers of every event log (as the image's
  // anonymous subclasses carry the application's handlers).
  static ClassRecord* LoggingClass(const char* builtinName);
  // A visible Window with its dictionary and native window (client area at 100, 100).
  ObjectHeader* NewWindow();
  // A control of the class as a window description gives it: properties applied from text
  // (Name, Left, Top, Width, Height, then the extras), stored under its name. Lent.
  ObjectHeader* AddControl(ObjectHeader* window, ClassRecord* cls, const char* name,
                           Rect16 bounds, const Pairs& extra = {});
  // Raises CreatePane on every control of the window and attaches the panes.
  void CreatePanes(ObjectHeader* window);
  // Dispatches every queued message.
  void Pump();
  // A left click (press, release) at a point of the window's client area.
  void ClickAt(ObjectHeader* window, int32_t x, int32_t y);
  void PressAt(ObjectHeader* window, int32_t x, int32_t y);
  void ReleaseAt(ObjectHeader* window, int32_t x, int32_t y);
  // Characters typed to the focus.
  void Type(const std::string& text);
  // Everything the headless backend printed (message boxes).
  std::string Out();
  // The child window of a control's pane.
  static HWND Child(ObjectHeader* control);
  // The native text of a window.
  static std::string NativeText(HWND hwnd);

  std::vector<ObjectHeader*> windows_;

 private:
  HeadlessScreen screen_;
};

StringRecord* Text(const char* text);  // a new string
std::string Str(const StringRecord* s);

}  // namespace stdcontrols_test
