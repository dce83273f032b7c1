// Labels in the headless screen dump: a StaticText has no native window, yet the dump lists
// it beneath the window's child windows with its caption, rectangle and state, as they change.
#include <string>

#include "native/headless/headless.h"
#include "runtime/entries/entries.h"
#include "runtime/objects/builtinclasses.h"
#include "runtime/objects/strings.h"
#include "runtime/ui/controlobject.h"
#include "runtime/ui/statictext.h"
#include "tests/ui/stdcontrols_fixture.h"

namespace stdcontrols_test {
namespace {

class StdDumpTest : public StdControlsTest {
 protected:
  static void SetCaption(ObjectHeader* label, const char* text) {
    StringRecord* s = Text(text);
    staticCaptionSetter(label, 0, s);
    UnlockString(s);
  }
  // The lines of the screen dump after the first window's own line.
  static std::string DumpedControls() {
    std::string screen = native::DumpScreen();
    return screen.substr(screen.find('\n') + 1);
  }
};

TEST_F(StdDumpTest, LabelsFollowTheChildWindowsTopmostFirstWithTheirCaptionAsItChanges) {
  ObjectHeader* window = NewWindow();
  ObjectHeader* title = AddControl(window, FindBuiltinClass("StaticText"), "stT",
                                   Rect16{13, 37, 168, 518}, {{"Text", "Armonix"}});
  ObjectHeader* key = AddControl(window, FindBuiltinClass("StaticText"), "key",
                                 Rect16{180, 10, 200, 60}, {{"Text", "&Nota"}});
  AddControl(window, FindBuiltinClass("PushButton"), "ok", Rect16{220, 10, 240, 90},
             {{"Caption", "OK"}});
  CreatePanes(window);
  EXPECT_EQ(DumpedControls(),
            "  BUTTON \"OK\" 10 220 80 20\n"
            "  StaticText \"&Nota\" 10 180 50 20\n"
            "  StaticText \"Armonix\" 37 13 481 155\n");
  SetCaption(title, "Intervalli\r\nsecondo \xE8");
  SetCaption(key, "");
  controlVisibleSetter(key, 0, 0);
  EXPECT_EQ(DumpedControls(),
            "  BUTTON \"OK\" 10 220 80 20\n"
            "  StaticText \"\" 10 180 50 20 hidden\n"
            "  StaticText \"Intervalli\\nsecondo \xC3\xA8\" 37 13 481 155\n");
  controlVisibleSetter(key, 0, 1);
  EXPECT_NE(DumpedControls().find("  StaticText \"\" 10 180 50 20\n"), std::string::npos);
  RuntimeCloseWindow(window);
  EXPECT_EQ(native::DumpScreen().find("StaticText"), std::string::npos)
      << "a closed window's labels are gone with it";
}

// A label made before the window's panes exist only stores its caption; the dump shows the
// pane once there is one. A label looks the same enabled or not (window descriptions leave
// its state unset), so it is never listed as disabled.
TEST_F(StdDumpTest, OnlyLiveLabelPanesAppearAndNoneAsDisabled) {
  ObjectHeader* window = NewWindow();
  ObjectHeader* label = AddControl(window, FindBuiltinClass("StaticText"), "l",
                                   Rect16{10, 10, 30, 110}, {{"Text", "prima"}});
  EXPECT_EQ(DumpedControls(), "");
  SetCaption(label, "dopo");
  AsControl(label)->enabled = 0;
  CreatePanes(window);
  EXPECT_EQ(DumpedControls(), "  StaticText \"dopo\" 10 10 100 20\n");
}

}  // namespace
}  // namespace stdcontrols_test
