// Window creation from descriptions: placement, kinds and styles, controls and their keys,
// templates, the order of the creation events, and damaged or unusual descriptions.
#include <cstring>
#include <string>
#include <vector>

#include "runtime/entries/entries.h"
#include "runtime/objects/builtinclasses.h"
#include "runtime/objects/classtable.h"
#include "runtime/objects/objects.h"
#include "runtime/objects/stringmap.h"
#include "runtime/objects/strings.h"
#include "runtime/startup/assertion.h"
#include "runtime/ui/controlcreation.h"
#include "runtime/ui/windowlayer.h"
#include "tests/ui/windows_fixture.h"

namespace windows_test {
namespace {


std::vector<std::string> gAssertions;
void RecordAssertion(int32_t number, const char* unit, int32_t line) {
  gAssertions.push_back(std::to_string(number) + " " + (unit ? unit : "") + " " +
                        std::to_string(line));
}

struct PlacementCase {
  const char* name;
  int32_t placement;
  int32_t left, top;
};

TEST(WindowPlacement, OffsetsTheDescribedSizeOnTheScreen) {
  const PlacementCase cases[] = {
      {"zero: 4 right, 100 down", 0, 4, 100},
      {"one: centred, a quarter down", 1, (1024 - 391) / 2, (768 - 206) / 4},
      {"two: same as one", 2, 316, 140},
      {"three: same as one", 3, 316, 140},
      {"four: 10 right, 50 down", 4, 10, 50},
      {"other values: no offset", 9, 0, 0},
      {"negative values: no offset", -1, 0, 0},
  };
  for (const auto& c : cases) {
    Rect16 placed = windows::PlaceBounds(Rect16{0, 0, 206, 391}, c.placement, 1024, 768);
    EXPECT_EQ(placed.left, c.left) << c.name;
    EXPECT_EQ(placed.top, c.top) << c.name;
    EXPECT_EQ(placed.Width(), 391) << c.name;
    EXPECT_EQ(placed.Height(), 206) << c.name;
  }
}

TEST(WindowPlacement, CentringTruncatesTowardZeroForWindowsLargerThanTheScreen) {
  Rect16 placed = windows::PlaceBounds(Rect16{0, 0, 900, 1101}, 2, 1024, 768);
  EXPECT_EQ(placed.left, (1024 - 1101) / 2);  // -38, not -39
  EXPECT_EQ(placed.top, (768 - 900) / 4);     // -33
}

TEST(WindowKinds, FrameGivesKindAndDefaultPlacement) {
  const int32_t kinds[8] = {8, 3, 2, 1, 4, 5, 6, 9};
  const int32_t placements[8] = {4, 2, 2, 0, 2, 2, 4, 0};
  for (int32_t frame = 0; frame < 8; ++frame) {
    EXPECT_EQ(windows::KindForFrame(frame), kinds[frame]) << frame;
    EXPECT_EQ(windows::DefaultPlacementForFrame(frame), placements[frame]) << frame;
  }
  EXPECT_EQ(windows::KindForFrame(42), 8) << "an unknown frame makes a document window";
}

struct StyleCase {
  int32_t kind;
  DWORD style;    // bits that must be set
  DWORD absent;   // bits that must be clear
  DWORD exStyle;
  bool owned;
  bool modal;
};

TEST(WindowKinds, StylesByKindWithGrowCloseAndZoom) {
  const DWORD all = WS_THICKFRAME | WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX;
  const StyleCase cases[] = {
      {0, WS_CAPTION | all, WS_POPUP, 0, false, false},
      {8, WS_CAPTION | WS_THICKFRAME, WS_POPUP, 0, false, false},
      {1, WS_POPUP | WS_CAPTION | WS_THICKFRAME,
       0, WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_WINDOWEDGE, false, false},
      {2, WS_POPUP | WS_DLGFRAME, WS_THICKFRAME, 0, true, true},
      {3, WS_POPUP | WS_CAPTION, WS_THICKFRAME, WS_EX_DLGMODALFRAME, true, true},
      {4, WS_POPUP | WS_BORDER, WS_THICKFRAME, 0, false, true},
      {5, WS_POPUP | WS_BORDER, WS_THICKFRAME, WS_EX_CLIENTEDGE, false, true},
      {6, WS_CAPTION, WS_THICKFRAME, 0, false, false},
      {7, WS_POPUP | WS_BORDER, WS_THICKFRAME,
       WS_EX_TOOLWINDOW | WS_EX_WINDOWEDGE | WS_EX_CLIENTEDGE, false, true},
      {10, WS_POPUP | WS_DLGFRAME, WS_THICKFRAME, 0, true, true},
  };
  for (const auto& c : cases) {
    windows::WindowStyle style{};
    ASSERT_TRUE(windows::StyleForKind(c.kind, true, true, c.kind == 0, &style)) << c.kind;
    EXPECT_EQ(style.style & c.style, c.style) << "kind " << c.kind;
    EXPECT_EQ(style.style & c.absent, 0u) << "kind " << c.kind;
    EXPECT_EQ(style.exStyle, c.exStyle) << "kind " << c.kind;
    EXPECT_EQ(style.owned, c.owned) << "kind " << c.kind;
    EXPECT_EQ(style.modalStack, c.modal) << "kind " << c.kind;
  }
}

TEST(WindowKinds, KindElevenIsAnInternalFailure) {
  gAssertions.clear();
  AssertionHook old = SetAssertionHook(RecordAssertion);
  windows::WindowStyle style{};
  EXPECT_FALSE(windows::StyleForKind(11, true, true, true, &style));
  EXPECT_FALSE(windows::StyleForKind(-1, true, true, true, &style));
  SetAssertionHook(old);
  EXPECT_EQ(gAssertions, (std::vector<std::string>{"4 window 494", "4 window 494"}));
}

class WindowCreationTest : public WindowsTest {};

TEST_F(WindowCreationTest, PlacementThreeCentresOnTheScreen) {
  imagekit::WindowDesc desc = Desc(kWindowClass, WindowPairs(391, 206, {{"Frame", "1"}, {"Placement", "3"}}));
  ObjectHeader* window = Create(desc);
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(windowPosGetter(window, 0), 316);
  EXPECT_EQ(windowPosGetter(window, 1), 140);
  EXPECT_EQ(windowPosGetter(window, 2), 391);
  EXPECT_EQ(windowPosGetter(window, 3), 206);
  WindowObject* w = AsWindow(window);
  EXPECT_EQ(w->lastBounds, w->bounds);
  EXPECT_EQ(w->restoreBounds, w->bounds);
  RECT client = {};
  GetClientRect(Hwnd(window), &client);
  EXPECT_EQ(client.right, 391);
  EXPECT_EQ(client.bottom, 206);
  POINT origin = {0, 0};
  ClientToScreen(Hwnd(window), &origin);
  EXPECT_EQ(origin.x, 316);
  EXPECT_EQ(origin.y, 140);
}

TEST_F(WindowCreationTest, FrameZeroWithoutPlacementGoesToTenFifty) {
  ObjectHeader* window = Create(Desc(kWindowClass, WindowPairs(300, 200)));
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(windowPosGetter(window, 0), 10);
  EXPECT_EQ(windowPosGetter(window, 1), 50);
  EXPECT_EQ(AsWindow(window)->native->kind, 8);
}

TEST_F(WindowCreationTest, NamesMatchIgnoringCaseAndUnknownNamesAreSkipped) {
  imagekit::WindowDesc desc = Desc(kWindowClass, WindowPairs(300, 200, {{"MacProcID", "1987"},
                                                       {"Name", "Ignored"},
                                                       {"NoSuchProperty", "1"},
                                                       {"ControlCount", "12"},
                                                       {"title", "Esercizio"}}));
  ObjectHeader* window = Create(desc);
  ASSERT_NE(window, nullptr);
  WindowObject* w = AsWindow(window);
  EXPECT_EQ(w->macProcId, 1987);
  EXPECT_EQ(std::string(StringView(w->title)), "Esercizio");
  EXPECT_EQ(windowControlCountGetter(window, 0), 0) << "a read-only property is skipped";
  char caption[64] = {};
  GetWindowTextA(Hwnd(window), caption, sizeof(caption));
  EXPECT_STREQ(caption, "Esercizio");
}

TEST_F(WindowCreationTest, ControlArrayMembersGetKeysAndShareOneTemplate) {
  imagekit::WindowDesc desc = Desc(kWindowClass, WindowPairs(400, 300));
  desc.controls.push_back(Control("pb", 1, Rect16{10, 10, 30, 60}, {{"Caption", "uno"}}));
  desc.controls.push_back(Control("pb", 2, Rect16{40, 10, 60, 60}, {{"Caption", "due"}}));
  desc.controls.push_back(Control("single", kNotInArray, Rect16{70, 10, 90, 60}));
  ObjectHeader* window = Create(desc);
  ASSERT_NE(window, nullptr);
  WindowObject* w = AsWindow(window);
  std::vector<std::string> keys;
  for (StringMapEntry* e = w->controls->First(); e != nullptr; e = e->orderNext) {
    keys.emplace_back(StringView(e->key));
  }
  EXPECT_EQ(keys, (std::vector<std::string>{"pb$1", "pb$2", "single"}));
  ObjectHeader* second = ControlNamed(window, "PB$2");
  ASSERT_NE(second, nullptr);
  EXPECT_EQ(AsControl(second)->arrayIndex, 2);
  EXPECT_EQ(AsControl(second)->index, 2);
  EXPECT_EQ(AsControl(second)->window, window);
  EXPECT_EQ(AsControl(second)->windowObject, window);
  EXPECT_EQ(AsControl(second)->viewWindow, w->native);
  EXPECT_EQ(AsControl(second)->created, 1);
  EXPECT_EQ(AsControl(ControlNamed(window, "single"))->arrayIndex, kNotInArray);

  int templates = 0;
  for (ControlTemplate* t = w->controlTemplates; t != nullptr; t = t->next) ++templates;
  EXPECT_EQ(templates, 2);
  StringRecord* pb = MakeStringFromC("PB");
  ControlTemplate* t = FindControlTemplate(w, pb);
  UnlockString(pb);
  ASSERT_NE(t, nullptr);
  EXPECT_EQ(t->arrayIndex, 1) << "the template is made from the first member";
  EXPECT_EQ(t->cls, ImageClass(kControlClass));
  std::vector<std::string> saved;
  for (TemplatePair* p = t->pairs; p != nullptr; p = p->next) {
    saved.push_back(std::string(StringView(p->name)) + "=" + std::string(StringView(p->value)));
  }
  ASSERT_EQ(saved.size(), 13u) << "every pair is saved, known to the class or not";
  EXPECT_EQ(saved.front(), "Name=pb");
  EXPECT_EQ(saved[1], "Index=1");
  EXPECT_EQ(saved.back(), "Caption=uno");
  EXPECT_EQ(windowControlCountGetter(window, 0), 3);
}

TEST_F(WindowCreationTest, ControlPropertiesAreAppliedBeforeAnyPaneExists) {
  imagekit::WindowDesc desc = Desc(kWindowClass, WindowPairs(400, 300));
  desc.controls.push_back(Control("a", kNotInArray, Rect16{5, 6, 25, 46},
                                  {{"Visible", "False"}, {"Enabled", "False"}}));
  ObjectHeader* window = Create(desc);
  ASSERT_NE(window, nullptr);
  ObjectHeader* a = ControlNamed(window, "a");
  ASSERT_NE(a, nullptr);
  EXPECT_EQ(AsControl(a)->bounds, (Rect16{5, 6, 25, 46}));
  TestPane* pane = PaneOf(a);
  ASSERT_NE(pane, nullptr);
  EXPECT_EQ(pane->control, a) << "the pane is linked back to its control";
  EXPECT_EQ(pane->states, (std::vector<int32_t>{kPaneHide, kPaneDisable}));
}

TEST_F(WindowCreationTest, EventsAtCreationComeInTheFixedOrder) {
  imagekit::WindowDesc desc = Desc(kWindowClass, WindowPairs(400, 300));
  desc.controls.push_back(Control("a", kNotInArray, Rect16{0, 0, 10, 10}));
  desc.controls.push_back(Control("b", 1, Rect16{20, 0, 30, 10}));
  desc.controls.push_back(Control("quiet", kNotInArray, Rect16{40, 0, 50, 10}, {},
                                  kPlainControlClass));
  ASSERT_NE(Create(desc), nullptr);
  EXPECT_EQ(gLog, (std::vector<std::string>{"ctl:CreatePane a", "ctl:CreatePane b$1",
                                            "ctl:Open a", "ctl:Open b$1", "Open"}));
}

TEST_F(WindowCreationTest, TheInstanceVariableHoldsTheWindowDuringCreation) {
  static ObjectHeader* variable = nullptr;
  variable = nullptr;
  gBehave.watch = &variable;
  imagekit::WindowDesc desc = Desc(kWindowClass, WindowPairs(200, 100));
  ObjectHeader* window = Create(desc, &variable);
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(gLog, (std::vector<std::string>{"variable holds the window", "Open"}));
  EXPECT_EQ(variable, window);
  EXPECT_EQ(window->refCount, 3) << "the caller's, the variable's and the native window's";
  RuntimeCloseWindow(window);
  EXPECT_EQ(variable, nullptr) << "closing empties the variable";
  EXPECT_EQ(window->refCount, 1) << "only the caller's reference is left";
}

TEST_F(WindowCreationTest, InvisibleWindowsAreNotShownUntilAsked) {
  ObjectHeader* hidden = Create(Desc(kPlainWindowClass,
                                           WindowPairs(200, 100, {{"Visible", "False"}})));
  ObjectHeader* shown = Create(Desc(kPlainWindowClass, WindowPairs(200, 100)));
  ASSERT_NE(hidden, nullptr);
  ASSERT_NE(shown, nullptr);
  EXPECT_FALSE(IsWindowVisible(Hwnd(hidden)));
  EXPECT_FALSE(IsWindowVisible(Hwnd(shown))) << "made invisible, shown by the main loop";
  windows::ShowWindowsMarkedVisible();
  EXPECT_FALSE(IsWindowVisible(Hwnd(hidden)));
  EXPECT_TRUE(IsWindowVisible(Hwnd(shown)));
  RuntimeShowWindow(hidden);
  EXPECT_TRUE(IsWindowVisible(Hwnd(hidden)));
  EXPECT_EQ(AsWindow(hidden)->visible, 1);
}

TEST_F(WindowCreationTest, FullScreenFromTheDescriptionCoversTheScreen) {
  ObjectHeader* window = Create(Desc(kPlainWindowClass,
                                           WindowPairs(300, 200, {{"FullScreen", "True"}})));
  ASSERT_NE(window, nullptr);
  WindowObject* w = AsWindow(window);
  EXPECT_EQ(w->fullScreen, 1);
  EXPECT_EQ(w->bounds, (Rect16{0, 0, 768, 1024}));
  EXPECT_EQ(w->restoreBounds, (Rect16{50, 10, 250, 310}));
  windowFullScreenSetter(window, 0, 0);
  EXPECT_EQ(w->bounds, (Rect16{50, 10, 250, 310}));
  EXPECT_EQ(w->fullScreen, 0);
}

TEST_F(WindowCreationTest, BackColourIsAppliedInNativeOrder) {
  ObjectHeader* window = Create(Desc(
      kPlainWindowClass,
      WindowPairs(300, 200, {{"HasBackColor", "True"}, {"BackColor", "1193046"}})));  // 0x123456
  ASSERT_NE(window, nullptr);
  RuntimeViewWindow* view = AsWindow(window)->native;
  EXPECT_EQ(view->hasBackColor, 1);
  EXPECT_EQ(view->backColor, 0x563412u);
}

TEST_F(WindowCreationTest, ADescriptionWithoutControlsStillEndsWithTheBindingCount) {
  std::vector<uint8_t> record = Record(Desc(kWindowClass, WindowPairs(200, 100)));
  ASSERT_NE(RuntimeCreateWindow(record.data(), nullptr), nullptr) << "complete record";
  created_.push_back(&FirstViewWindow()->Window()->header);
  gLog.clear();
  // The same record without its last byte (the binding count) is damaged.
  record.pop_back();
  uint32_t length = static_cast<uint32_t>(record.size() - 4);
  std::memcpy(record.data(), &length, 4);
  EXPECT_EQ(RuntimeCreateWindow(record.data(), nullptr), nullptr);
  EXPECT_TRUE(gLog.empty()) << "a damaged description creates nothing";
  EXPECT_NE(Out().find("description is damaged"), std::string::npos) << Out();
}

TEST_F(WindowCreationTest, DamagedDescriptionsCreateNothing) {
  struct Case {
    const char* name;
    std::vector<uint8_t> stream;
  };
  const Case cases[] = {
      {"empty stream", {}},
      {"class index outside the table", {0x00, 0x3F, 0x00, 0x00}},
      {"control count without controls", {0x00, 0x01, 0x05}},
      {"text running past the end", {0x01, 0x01, 0x10, 'F'}},
      {"a control class as the window's class", {0x00, 0x03, 0x00, 0x00}},
  };
  int live = LiveObjectCount();
  for (const auto& c : cases) {
    uint32_t length = static_cast<uint32_t>(c.stream.size());
    std::vector<uint8_t> record(4 + c.stream.size());
    std::memcpy(record.data(), &length, 4);
    for (size_t i = 0; i < c.stream.size(); ++i) record[4 + i] = c.stream[i];
    ObjectHeader* variable = nullptr;
    EXPECT_EQ(RuntimeCreateWindow(record.data(), &variable), nullptr) << c.name;
    EXPECT_EQ(variable, nullptr) << c.name;
  }
  EXPECT_EQ(LiveObjectCount(), live);
  EXPECT_EQ(FirstViewWindow(), nullptr);
  EXPECT_EQ(RuntimeCreateWindow(nullptr, nullptr), nullptr);
}

TEST_F(WindowCreationTest, AWindowClosedByItsOpenHandlerIsNotReturned) {
  gBehave.closeOn = "Open";
  static ObjectHeader* variable = nullptr;
  variable = nullptr;
  int live = LiveObjectCount();
  imagekit::WindowDesc desc = Desc(kWindowClass, WindowPairs(200, 100));
  desc.controls.push_back(Control("a", kNotInArray, Rect16{0, 0, 10, 10}));
  EXPECT_EQ(Create(desc, &variable), nullptr);
  EXPECT_EQ(variable, nullptr);
  EXPECT_EQ(gLog, (std::vector<std::string>{"ctl:CreatePane a", "ctl:Open a", "Open",
                                            "CancelClose", "ctl:Close a", "Close"}));
  EXPECT_EQ(LiveObjectCount(), live) << "window and control are freed";
  EXPECT_EQ(FirstViewWindow(), nullptr);
}

TEST_F(WindowCreationTest, AKeyMetTwiceKeepsTheLastControl) {
  imagekit::WindowDesc desc = Desc(kWindowClass, WindowPairs(200, 100));
  desc.controls.push_back(Control("twin", kNotInArray, Rect16{0, 0, 10, 10}));
  desc.controls.push_back(Control("twin", kNotInArray, Rect16{20, 0, 30, 10}));
  int live = LiveObjectCount();
  ObjectHeader* window = Create(desc);
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(windowControlCountGetter(window, 0), 1);
  EXPECT_EQ(AsControl(ControlNamed(window, "twin"))->bounds.top, 20);
  EXPECT_EQ(LiveObjectCount(), live + 2) << "the replaced control is not leaked";
}

TEST_F(WindowCreationTest, DescriptionsInTheImageMustLieInsideItsData) {
  uint8_t outside[64] = {};
  std::vector<uint8_t> block(64, 0);
  SetImageData(DataBlock::Relocated(block.data(), static_cast<uint32_t>(block.size())));
  EXPECT_EQ(RuntimeCreateWindow(outside, nullptr), nullptr);
  SetImageData(DataBlock{});
  EXPECT_NE(Out().find("outside the application's data"), std::string::npos) << Out();
}

struct ObjectPropertyCase {
  const char* what;
  std::vector<const char*> values;  // the Backdrop pairs, in order
  bool takesThePicture;
};

TEST_F(WindowCreationTest, AnObjectPropertyTakesAProjectItem) {
  LoadProjectPictures();
  ObjectHeader* picture = ProjectItemObject(kPictureItem);
  ASSERT_NE(picture, nullptr);
  const ObjectPropertyCase cases[] = {
      {"item 1 is the picture", {"1"}, true},
      {"0 after it gives nil", {"1", "0"}, false},
      {"an item the project does not have gives nil", {"1", "9"}, false},
      {"text without digits reads as 0", {"1", "abc"}, false},
  };
  for (const auto& c : cases) {
    Pairs pairs = WindowPairs(200, 100);
    for (const char* value : c.values) pairs.emplace_back("Backdrop", value);
    int32_t references = picture->refCount;
    ObjectHeader* window = Create(Desc(kPlainWindowClass, pairs));
    ASSERT_NE(window, nullptr) << c.what;
    EXPECT_EQ(AsWindow(window)->backdrop, c.takesThePicture ? picture : nullptr) << c.what;
    EXPECT_EQ(picture->refCount, references + (c.takesThePicture ? 1 : 0))
        << c.what << ": the window holds the picture it shows, and no other";
    RuntimeCloseWindow(window);
  }
}

}  // namespace
}  // namespace windows_test
