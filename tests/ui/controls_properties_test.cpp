// The Control and RectControl properties: the position selectors with their 16-bit wrap,
// setters that store first and tell a live pane, the help texts, cursor, handle and mouse
// position, and the generic pane accessors.
#include "tests/ui/controls_fixture.h"

#include "runtime/entries/entries.h"
#include "runtime/objects/objects.h"
#include "runtime/objects/strings.h"
#include "runtime/ui/controlpaneaccessors.h"
#include "runtime/ui/viewwindow.h"

namespace controls_test {
namespace {

class ControlPropertiesTest : public ControlsTest {
 protected:
  void SetUp() override {
    ControlsTest::SetUp();
    window = NewWindow();
    control = AddControl(window, "Campo", kNotInArray, Rect16{20, 10, 40, 90});
  }
  ObjectHeader* window = nullptr;
  ObjectHeader* control = nullptr;
};

TEST_F(ControlPropertiesTest, PositionSelectorsReadAndMoveTheBounds) {
  struct Case {
    int32_t selector;
    int32_t value;
    Rect16 expected;  // top, left, bottom, right
  } cases[] = {
      {0, 30, {20, 30, 40, 110}},   // Left keeps the width
      {1, 5, {5, 10, 25, 90}},      // Top keeps the height
      {2, 50, {20, 10, 40, 60}},    // Width moves the right edge
      {3, 7, {20, 10, 27, 90}},     // Height moves the bottom edge
      {0, -15, {20, -15, 40, 65}},  // negative positions are kept
      {2, 0, {20, 10, 40, 10}},
      {4, 99, {20, 10, 40, 90}},    // unknown selectors change nothing
      {-1, 99, {20, 10, 40, 90}},
      // Values wrap at 16 bits.
      {0, 65536 + 12, {20, 12, 40, 92}},
      {2, 70000, {20, 10, 40, int16_t(10 + 70000)}},
      {1, 32767, {32767, 10, int16_t(32767 + 20), 90}},
  };
  for (const Case& c : cases) {
    C(control)->bounds = Rect16{20, 10, 40, 90};
    ctlPosSetter(control, c.selector, c.value);
    EXPECT_EQ(C(control)->bounds, c.expected) << "selector " << c.selector << " value " << c.value;
  }
  C(control)->bounds = Rect16{20, 10, 40, 90};
  EXPECT_EQ(ctlPosGetter(control, 0), 10);
  EXPECT_EQ(ctlPosGetter(control, 1), 20);
  EXPECT_EQ(ctlPosGetter(control, 2), 80);
  EXPECT_EQ(ctlPosGetter(control, 3), 20);
  EXPECT_EQ(ctlPosGetter(control, 4), 0);
  EXPECT_EQ(ctlPosGetter(nullptr, 0), 0);
  ctlPosSetter(nullptr, 0, 5);  // nothing to move, no crash
  ctlPosSetter(window, 0, 5);   // a window is no control: untouched
  EXPECT_EQ(AsWindow(window)->bounds.left, 100);
}

TEST_F(ControlPropertiesTest, APaneMovesOnlyWhenTheBoundsChange) {
  CreatePanes(window);
  SpyPane* pane = Spy(control);
  ASSERT_NE(pane, nullptr);
  ctlPosSetter(control, 2, 80);  // the current width
  ctlPosSetter(control, 0, 10);  // the current left
  EXPECT_EQ(pane->setBoundsCalls, 0);
  ctlPosSetter(control, 0, 25);
  EXPECT_EQ(pane->setBoundsCalls, 1);
  EXPECT_TRUE(pane->lastRedraw);
  EXPECT_EQ(pane->bounds, (Rect16{20, 25, 40, 105}));
  EXPECT_EQ(ctlPosGetter(control, 2), 80) << "Left keeps the width";
}

TEST_F(ControlPropertiesTest, EnabledAndVisibleBeforeThePaneAreAppliedWhenItComes) {
  controlEnabledSetter(control, 45, 0);
  controlVisibleSetter(control, 44, 0);
  EXPECT_EQ(C(control)->enabled, 0);
  EXPECT_EQ(C(control)->visible, 0);
  CreatePanes(window);
  SpyPane* pane = Spy(control);
  ASSERT_NE(pane, nullptr);
  EXPECT_EQ(pane->enabled, 0) << "the pane starts disabled";
  EXPECT_EQ(pane->visible, 0);
  pane->states.clear();
  controlEnabledSetter(control, 45, 7);  // any non-zero byte is True
  controlVisibleSetter(control, 44, 1);
  EXPECT_EQ(C(control)->enabled, 1);
  EXPECT_EQ(C(control)->visible, 1);
  EXPECT_EQ(pane->states, (std::vector<int32_t>{kPaneEnable, kPaneShow}));
  controlEnabledSetter(control, 45, 0);
  controlVisibleSetter(control, 44, 0);
  EXPECT_EQ(pane->states,
            (std::vector<int32_t>{kPaneEnable, kPaneShow, kPaneDisable, kPaneHide}));
  controlAutoDeactivateSetter(control, 46, 1);
  EXPECT_EQ(C(control)->autoDeactivate, 1);
  EXPECT_EQ(pane->autoDeactivate, 1);
}

TEST_F(ControlPropertiesTest, HelpTextsAreStoredAndGivenToALivePane) {
  StringRef tag = StringRef::Adopt(Text("Suggerimento"));
  StringRef balloon = StringRef::Adopt(Text("Fumetto"));
  StringRef disabled = StringRef::Adopt(Text("Disattivato"));
  controlHelpTagSetter(control, 84, tag.get());
  EXPECT_EQ(Str(C(control)->helpTag), "Suggerimento");
  CreatePanes(window);
  Pane* pane = C(control)->pane;
  ASSERT_NE(pane, nullptr);
  EXPECT_EQ(Str(pane->helpTag), "Suggerimento") << "applied when the pane was attached";
  controlBalloonHelpSetter(control, 76, balloon.get());
  controlDisabledBalloonHelpSetter(control, 80, disabled.get());
  EXPECT_EQ(Str(pane->balloonHelp), "Fumetto");
  EXPECT_EQ(Str(pane->disabledBalloonHelp), "Disattivato");
  EXPECT_EQ(Str(C(control)->balloonHelp), "Fumetto");
  StringRecord* read = stringGetter(control, 76);
  EXPECT_EQ(Str(read), "Fumetto");
  UnlockString(read);
  controlHelpTagSetter(control, 84, nullptr);  // nil is the empty text
  EXPECT_EQ(C(control)->helpTag, nullptr);
  EXPECT_EQ(StringLength(pane->helpTag), 0);
  // Setting the text a field already holds keeps it alive.
  controlBalloonHelpSetter(control, 76, C(control)->balloonHelp);
  EXPECT_EQ(Str(C(control)->balloonHelp), "Fumetto");
}

TEST_F(ControlPropertiesTest, CursorIsRetainedAndPassedOnAsAHandle) {
  CreatePanes(window);
  SpyPane* pane = Spy(control);
  ASSERT_NE(pane, nullptr);
  ObjectHeader* notACursor = MakeObject(FindBuiltinClass("Object"));
  int32_t before = notACursor->refCount;
  controlMouseCursorSetter(control, 72, notACursor);
  EXPECT_EQ(C(control)->mouseCursor, notACursor);
  EXPECT_EQ(notACursor->refCount, before + 1);
  EXPECT_EQ(pane->cursorCalls, 1);
  EXPECT_EQ(pane->cursor, nullptr) << "an object that is no cursor carries no handle";
  ObjectHeader* read = objGetter(control, 72);
  EXPECT_EQ(read, notACursor);
  UnlockObject(read);
  controlMouseCursorSetter(control, 72, nullptr);
  EXPECT_EQ(notACursor->refCount, before);
  EXPECT_EQ(pane->cursorCalls, 2);
  UnlockObject(notACursor);
}

TEST_F(ControlPropertiesTest, HandleAndMousePositionNeedAPane) {
  EXPECT_EQ(controlHandleGetter(control, 0), 0);
  EXPECT_EQ(controlMouseXGetter(control, 0), 0);
  EXPECT_EQ(controlMouseYGetter(control, 0), 0);
  ObjectHeader* button =
      AddControl(window, "Ok", kNotInArray, Rect16{50, 60, 70, 140}, {}, PaneKind::kNativeButton);
  CreatePanes(window);
  HWND hwnd = C(button)->pane->hwnd;
  ASSERT_NE(hwnd, nullptr);
  EXPECT_EQ(controlHandleGetter(button, 0), static_cast<int32_t>(reinterpret_cast<intptr_t>(hwnd)));
  // The window's client area starts at screen (100, 100): put the pointer at client (65, 53).
  SetCursorPos(100 + 65, 100 + 53);
  EXPECT_EQ(controlMouseXGetter(button, 0), 5);
  EXPECT_EQ(controlMouseYGetter(button, 0), 3);
  // A pane without a window of its own measures from its rectangle in the window.
  EXPECT_EQ(controlMouseXGetter(control, 0), 65 - 10);
  EXPECT_EQ(controlMouseYGetter(control, 0), 53 - 20);
}

TEST_F(ControlPropertiesTest, GenericPaneAccessorsPreferThePaneCopy) {
  // Control copy at the tabPanelIndex offset (40); pane copy at Pane::tabPanelIndex.
  CreatePanes(window);
  SpyPane* pane = Spy(control);
  ASSERT_NE(pane, nullptr);
  auto offsetInPane = [&](void* field) {
    return static_cast<int32_t>(static_cast<uint8_t*>(field) - reinterpret_cast<uint8_t*>(pane));
  };
  int32_t intPacked = 40 | (offsetInPane(&pane->tabPanelIndex) << 10) | (1 << 20);
  pane->tabPanelIndex = 0;
  C(control)->tabPanelIndex = 0;
  int invalidates = pane->invalidates;
  paneIntSetter(control, intPacked, 6);
  EXPECT_EQ(pane->tabPanelIndex, 6);
  EXPECT_EQ(C(control)->tabPanelIndex, 6);
  EXPECT_EQ(pane->invalidates, invalidates + 1);
  pane->tabPanelIndex = 9;
  EXPECT_EQ(paneIntGetter(control, intPacked), 9) << "the pane's copy wins while it lives";

  int32_t boolPacked = 46 | (offsetInPane(&pane->autoDeactivate) << 10);
  paneBoolSetter(control, boolPacked, 1);
  EXPECT_EQ(pane->autoDeactivate, 1);
  EXPECT_EQ(C(control)->autoDeactivate, 1);
  EXPECT_EQ(paneBoolGetter(control, boolPacked), 1);

  int32_t stringPacked = 84 | (offsetInPane(&pane->helpTag) << 10);
  StringRef text = StringRef::Adopt(Text("aiuto"));
  paneStringSetter(control, stringPacked, text.get());
  EXPECT_EQ(Str(pane->helpTag), "aiuto");
  EXPECT_EQ(Str(C(control)->helpTag), "aiuto");
  StringRecord* read = paneStringGetter(control, stringPacked);
  EXPECT_EQ(Str(read), "aiuto");
  UnlockString(read);

  // The alternative layout reads the third offset.
  controls::SetAlternativeControlLayout(true);
  EXPECT_EQ(paneIntGetter(control, intPacked), 6)
      << "offset 1 in the pane is refused (it would read the dispatch word), so the "
         "control's copy is read";
  controls::SetAlternativeControlLayout(false);
}

TEST_F(ControlPropertiesTest, GenericPaneAccessorsRefuseOffsetsOutsideTheObjects) {
  C(control)->tabPanelIndex = 4;
  struct Case {
    int32_t packed;
    int32_t expected;
  } cases[] = {
      {40, 4},                  // no pane yet: the control's copy
      {8, 0},                   // inside the object header: refused
      {1023, 0},                // beyond the control: refused
      {92 - 2, 0},              // a 32-bit field that would cross the end
  };
  for (const Case& c : cases) {
    EXPECT_EQ(paneIntGetter(control, c.packed), c.expected) << c.packed;
    paneIntSetter(control, c.packed, 77);  // refused offsets write nothing
  }
  EXPECT_EQ(C(control)->tabPanelIndex, 77) << "only the valid offset was written";
  EXPECT_EQ(paneIntGetter(nullptr, 40), 0);
  EXPECT_EQ(paneIntGetter(window, 40), 0) << "a window is no control";
  paneShortSetter(control, 56, 70000);  // bounds.top, 16 bits
  EXPECT_EQ(C(control)->bounds.top, static_cast<int16_t>(70000));
  EXPECT_EQ(paneShortGetter(control, 56), static_cast<int16_t>(70000));
  ObjectHeader* object = MakeObject(FindBuiltinClass("Object"));
  paneObjSetter(control, 88, object);
  EXPECT_EQ(C(control)->containingCanvas, object);
  EXPECT_EQ(object->refCount, 2);
  ObjectHeader* read = paneObjGetter(control, 88);
  EXPECT_EQ(read, object);
  UnlockObject(read);
  paneObjSetter(control, 88, nullptr);
  EXPECT_EQ(object->refCount, 1);
  UnlockObject(object);
}

}  // namespace
}  // namespace controls_test
