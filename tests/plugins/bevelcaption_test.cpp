// A bevel button's caption in the headless screen dump: the pane's "KT_Pane" window carries
// the caption as its text from the start, after each change through the setter the image
// uses, and with the button's state; a plug-in control without a caption keeps no text.
#include <cstring>
#include <string>
#include <vector>

#include "native/headless/headless.h"
#include "runtime/entries/accessors.h"
#include "runtime/entries/entries.h"
#include "runtime/exceptions/imagecall.h"
#include "runtime/objects/builtinclasses.h"
#include "runtime/objects/heap.h"
#include "runtime/objects/objects.h"
#include "runtime/objects/strings.h"
#include "runtime/plugins/controlregistration.h"
#include "runtime/plugins/installation.h"
#include "runtime/plugins/plugincontrolpane.h"
#include "runtime/plugins/pluginlookup.h"
#include "runtime/plugins/pluginregistry.h"
#include "runtime/ui/controlobject.h"
#include "runtime/ui/viewwindow.h"
#include "runtime/ui/windowlayer.h"
#include "tests/plugins/panewindowfixture.h"

namespace {

using StringSetter = void (*)(ObjectHeader*, int32_t, StringRecord*);

void* gNoSlots[19] = {};

class BevelCaptionTest : public PaneWindowTest {
 protected:
  void SetUp() override {
    PluginTest::SetUp();
    InstallScreen("bevel caption");
    ASSERT_TRUE(LoadPlugin(AMX_APPEARANCE_PLUGIN));
    bevel_ = FindPluginControl("BevelButton");
    ASSERT_NE(bevel_, nullptr);
    setCaption_ = reinterpret_cast<StringSetter>(ResolveAccessorLink("SBevelButton!Caption", nullptr));
    ASSERT_NE(setCaption_, nullptr);
    OpenWindow();
  }

  // A control of the window at these bounds; its pane made by its "CreatePane" handler.
  ObjectHeader* NewControl(ClassRecord* cls, Rect16 bounds, bool withPane = true) {
    ObjectHeader* object = PlaceControl(cls, bounds);
    if (withPane) MakePane(object);
    return object;
  }

  void SetCaption(ObjectHeader* button, const char* caption) {
    StringRecord* text = MakeStringFromC(caption);
    setCaption_(button, 0, text);
    UnlockString(text);
  }

  // The lines of the screen dump after the window's own line.
  static std::string DumpedControls() {
    std::string screen = native::DumpScreen();
    return screen.substr(screen.find('\n') + 1);
  }

  static std::string WindowText(ObjectHeader* control) {
    char text[64] = {};
    GetWindowTextA(AsControl(control)->pane->hwnd, text, sizeof text);
    return text;
  }

  ClassRecord* bevel_ = nullptr;
  StringSetter setCaption_ = nullptr;
};

TEST_F(BevelCaptionTest, TheDumpShowsTheCaptionFromTheStartAndAfterEachChange) {
  ObjectHeader* button = NewControl(bevel_, Rect16{15, 20, 37, 225});
  EXPECT_EQ(DumpedControls(), "  KT_Pane \"Untitled\" 20 15 205 22\n");
  for (const char* caption : {"Nota guida C3", "G#3", "&Play", "", "Perch\xE9"}) {
    SCOPED_TRACE(caption);
    SetCaption(button, caption);
    EXPECT_EQ(WindowText(button), caption);
  }
  EXPECT_EQ(DumpedControls(), "  KT_Pane \"Perch\xC3\xA9\" 20 15 205 22\n");
  SetCaption(button, "C3");
  SetControlVisible(button, 0);
  EXPECT_EQ(DumpedControls(), "  KT_Pane \"C3\" 20 15 205 22 hidden\n");
}

// The image sets the captions of its array members before the panes exist: the pane takes
// the caption when it is made.
TEST_F(BevelCaptionTest, ACaptionSetBeforeThePaneIsTheWindowsFirstText) {
  ObjectHeader* first = NewControl(bevel_, Rect16{60, 20, 80, 60}, false);
  ObjectHeader* second = NewControl(bevel_, Rect16{60, 75, 80, 115}, false);
  SetCaption(first, "C3");
  SetCaption(second, "D3");
  EXPECT_EQ(DumpedControls(), "");
  MakePane(first);
  MakePane(second);
  EXPECT_EQ(DumpedControls(),
            "  KT_Pane \"C3\" 20 60 40 20\n"
            "  KT_Pane \"D3\" 75 60 40 20\n");
}

// A plug-in control without a "Caption" property: its window keeps no text, and nothing of
// the plug-in is called for one.
TEST_F(BevelCaptionTest, AControlWithoutACaptionKeepsAnEmptyText) {
  SetCurrentPlugin(AddPluginRecord(nullptr, "caption test"));
  auto* d = static_cast<PluginControlDescriptor*>(TaggedAlloc(sizeof(PluginControlDescriptor)));
  std::memset(d, 0, sizeof *d);
  d->version = 4;
  d->name = "Plain";
  d->dataSize = 8;
  d->behaviour = gNoSlots;
  PluginRegisterControl(reinterpret_cast<uint32_t*>(d));
  SetCurrentPlugin(nullptr);
  ClassRecord* plain = FindPluginControl("Plain");
  ASSERT_NE(plain, nullptr);
  ObjectHeader* control = NewControl(plain, Rect16{10, 10, 30, 70});
  AsControl(control)->pane->Invalidate();
  EXPECT_EQ(DumpedControls(), "  KT_Pane \"\" 10 10 60 20\n");
}

}  // namespace
