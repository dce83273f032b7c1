// Shared set-up of the control tests: a headless native layer, real Window objects with
// their native window and ControlDictionary, controls of test classes made the way window
// creation makes them (template, saved pairs, dictionary key), and panes that record what
// the runtime asks of them.
#pragma once

#include <gtest/gtest.h>

#include "tests/support/headlessscreen.h"

#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "runtime/objects/class.h"
#include "runtime/objects/object.h"
#include "runtime/objects/string.h"
#include "runtime/ui/controlobject.h"
#include "runtime/ui/pane.h"
#include "runtime/ui/windowobject.h"

namespace controls_test {

// What the test classes' handlers saw, in order ("CreatePane pb 1", "Open pb 0", ...).
extern std::vector<std::string> gEvents;

// A pane that counts the operations the runtime asks of it.
class SpyPane : public Pane {
 public:
  void SetBounds(const Rect16& newBounds, bool redraw) override;
  void ChangeState(int32_t code) override;
  void Invalidate() override { ++invalidates; }
  void UpdateNow() override { ++updates; }
  bool AcceptFocus() override { return acceptsFocus; }
  void GotFocus() override { ++gotFocus; }
  void LostFocus() override { ++lostFocus; }
  void SetCursor(HCURSOR newCursor) override;

  int setBoundsCalls = 0;
  bool lastRedraw = false;
  std::vector<int32_t> states;
  int invalidates = 0;
  int updates = 0;
  int gotFocus = 0;
  int lostFocus = 0;
  int cursorCalls = 0;
  bool acceptsFocus = true;
};

// The kind of pane a test class's CreatePane handler makes.
enum class PaneKind { kSpy, kNativeButton, kDrawnWindowed, kDrawnWindowless, kNone };

using Pairs = std::vector<std::pair<std::string, std::string>>;

class ControlsTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // A RectControl subclass named `name` whose CreatePane makes a pane of that kind and
  // whose Open and Close handlers log.
  static ClassRecord* TestClass(PaneKind kind);
  // A Window with its dictionary and (unless `native` is false) its native window, shown.
  ObjectHeader* NewWindow(bool native = true);
  // A control of the class as a window description gives it: template (first of its
  // name), saved pairs Name, Index, Left, Top, Width, Height, Visible True, Enabled True and
  // the extras (which may override them), properties applied, stored under its key. Lent.
  ObjectHeader* AddControl(ObjectHeader* window, const char* name, int32_t index,
                           Rect16 bounds, const Pairs& extra = {},
                           PaneKind kind = PaneKind::kSpy);
  // Raises CreatePane on every control of the window in dictionary order and attaches
  // the panes, as window creation does.
  void CreatePanes(ObjectHeader* window);
  // The control's pane as a SpyPane (nil for none or another kind).
  static SpyPane* Spy(ObjectHeader* control);
  // Closes the window (controls released, native window destroyed).
  void Close(ObjectHeader* window);

  std::vector<ObjectHeader*> windows_;

 private:
  HeadlessScreen screen_;
};

StringRecord* Text(const char* text);  // a new string
std::string Str(const StringRecord* s);
ControlObject* C(ObjectHeader* object);

}  // namespace controls_test
