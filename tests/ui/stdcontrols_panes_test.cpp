// The standard controls on real headless windows: panes made from the stored fields, setters
// that update live panes, the text the user typed, the click sequence of push buttons, the
// one native default button, radio-button notifications, label accelerators and drawing,
// focus events and the unsupported-style warnings.
#include <algorithm>

#include "native/core/backend.h"
#include "native/core/input.h"
#include "native/core/state.h"
#include "native/headless/headless.h"
#include "runtime/entries/entries.h"
#include "runtime/objects/builtinclasses.h"
#include "runtime/objects/objects.h"
#include "runtime/objects/strings.h"
#include "runtime/ui/editfield.h"
#include "runtime/ui/pushbutton.h"
#include "runtime/ui/radiobutton.h"
#include "runtime/ui/shortcuts.h"
#include "runtime/ui/statictext.h"
#include "runtime/ui/stdcontrols.h"
#include "runtime/ui/viewwindow.h"
#include "tests/ui/stdcontrols_fixture.h"

namespace stdcontrols_test {
namespace {

using Log = std::vector<std::string>;

class StdPanesTest : public StdControlsTest {
 protected:
  void SetText(void (*setter)(ObjectHeader*, int32_t, StringRecord*), ObjectHeader* control,
               const char* text) {
    StringRecord* s = Text(text);
    setter(control, 0, s);
    UnlockString(s);
  }
  static std::string Read(StringRecord* s) {
    std::string text = Str(s);
    UnlockString(s);
    return text;
  }
  static bool ShowsDefault(ObjectHeader* button) {
    HWND child = Child(button);
    return child != nullptr &&
           (static_cast<DWORD>(GetWindowLongA(child, GWL_STYLE)) & BS_TYPEMASK) == BS_DEFPUSHBUTTON;
  }
};

// ---- EditField ----

TEST_F(StdPanesTest, EditTextGetterReturnsWhatTheUserTyped) {
  ObjectHeader* window = NewWindow();
  ObjectHeader* field = AddControl(window, FindBuiltinClass("EditField"), "answer",
                                   Rect16{10, 10, 30, 110});
  CreatePanes(window);
  ASSERT_NE(Child(field), nullptr);
  SetText(editTextSetter, field, "");
  SetFocus(Child(field));
  Type("5");
  EXPECT_EQ(NativeText(Child(field)), "5");
  EXPECT_EQ(Read(editTextGetter(field, 0)), "5") << "the live pane's text, not the stored one";
  EXPECT_EQ(Str(reinterpret_cast<EditFieldObject*>(field)->text), "");
}

TEST_F(StdPanesTest, EditTextSetBeforeThePaneIsCopiedIntoItAndSurvivesClosing) {
  ObjectHeader* window = NewWindow();
  ObjectHeader* field = AddControl(window, FindBuiltinClass("EditField"), "hidden",
                                   Rect16{10, 10, 30, 110}, {{"Text", "60"}, {"LimitText", "3"},
                                                             {"ReadOnly", "True"}});
  LockObject(field);  // the application keeps the control after the window has gone
  CreatePanes(window);
  HWND child = Child(field);
  ASSERT_NE(child, nullptr);
  EXPECT_EQ(NativeText(child), "60");
  EXPECT_EQ(SendMessageA(child, EM_GETLIMITTEXT, 0, 0), 3);
  EXPECT_TRUE(GetWindowLongA(child, GWL_STYLE) & ES_READONLY);
  SetText(editTextSetter, field, "72");
  EXPECT_EQ(NativeText(child), "72");
  RuntimeCloseWindow(window);
  EXPECT_EQ(AsControl(field)->pane, nullptr);
  EXPECT_EQ(Read(editTextGetter(field, 0)), "72") << "the stored text once the pane is gone";
  SetText(editTextSetter, field, "61");  // no pane: only stores
  EXPECT_EQ(Read(editTextGetter(field, 0)), "61");
  UnlockObject(field);
}

TEST_F(StdPanesTest, EditFieldSettersUpdateTheLivePane) {
  ObjectHeader* window = NewWindow();
  ObjectHeader* field = AddControl(window, LoggingClass("EditField"), "f",
                                   Rect16{10, 10, 30, 110});
  CreatePanes(window);
  HWND child = Child(field);
  ASSERT_NE(child, nullptr);
  editPasswordSetter(field, 0, 1);
  EXPECT_EQ(SendMessageA(child, EM_GETPASSWORDCHAR, 0, 0), '*');
  editPasswordSetter(field, 0, 0);
  EXPECT_EQ(SendMessageA(child, EM_GETPASSWORDCHAR, 0, 0), 0);
  editReadOnlySetter(field, 0, 1);
  EXPECT_TRUE(GetWindowLongA(child, GWL_STYLE) & ES_READONLY);
  editLimitTextSetter(field, 0, 4);
  EXPECT_EQ(SendMessageA(child, EM_GETLIMITTEXT, 0, 0), 4);
  EXPECT_EQ(intGetter(field, 120), 4);
  StringRecord* osaka = Text("Osaka");
  textFontSetter(field, 96, osaka);
  UnlockString(osaka);
  CHARFORMATA format{};
  format.cbSize = sizeof format;
  SendMessageA(child, EM_GETCHARFORMAT, SCF_ALL, reinterpret_cast<LPARAM>(&format));
  EXPECT_STREQ(format.szFaceName, "MS UI Gothic");
  editTextColorSetter(field, 0, 0xFF0000);
  SendMessageA(child, EM_GETCHARFORMAT, SCF_ALL, reinterpret_cast<LPARAM>(&format));
  EXPECT_EQ(format.crTextColor, RGB(0xFF, 0, 0)) << "the native order";
}

TEST_F(StdPanesTest, EditTextChangeIsRaisedForChangesButNotForTheInitialText) {
  ObjectHeader* window = NewWindow();
  ObjectHeader* field = AddControl(window, LoggingClass("EditField"), "f",
                                   Rect16{10, 10, 30, 110}, {{"Text", "initial"}});
  CreatePanes(window);
  EXPECT_EQ(std::count(gLog.begin(), gLog.end(), "TextChange f"), 0);
  SetText(editTextSetter, field, "new");
  EXPECT_EQ(std::count(gLog.begin(), gLog.end(), "TextChange f"), 1);
  SetFocus(Child(field));
  Type("x");
  EXPECT_EQ(std::count(gLog.begin(), gLog.end(), "TextChange f"), 2);
}

TEST_F(StdPanesTest, EditSelectionReadsAndReplaces) {
  ObjectHeader* window = NewWindow();
  ObjectHeader* field = AddControl(window, FindBuiltinClass("EditField"), "f",
                                   Rect16{10, 10, 30, 110}, {{"Text", "hello world"}});
  CreatePanes(window);
  editSelSetter(field, 0, 6);
  editSelSetter(field, 1, 5);
  EXPECT_EQ(editSelGetter(field, 0), 6);
  EXPECT_EQ(editSelGetter(field, 1), 5);
  EXPECT_EQ(Read(editSelTextGetter(field, 0)), "world");
  SetText(editSelTextSetter, field, "there");
  EXPECT_EQ(Read(editTextGetter(field, 0)), "hello there");
  editSelSetter(field, 0, 500);  // past the end: clamped
  EXPECT_EQ(editSelGetter(field, 0), 11);
  editSelSetter(field, 1, -3);
  EXPECT_EQ(editSelGetter(field, 1), 0);
  editSelStyleSetter(field, kSelBold, 1);
  EXPECT_EQ(editSelStyleGetter(field, kSelBold), 1);
  EXPECT_EQ(editSelStyleGetter(field, kSelPlain), 0);
  editSelStyleSetter(field, kSelPlain, 1);
  EXPECT_EQ(editSelStyleGetter(field, kSelBold), 0);
  editSelTextSizeSetter(field, 0, 18);
  EXPECT_EQ(editSelTextSizeGetter(field, 0), 18);
  editSelTextColorSetter(field, 0, 0x00FF00);
  EXPECT_EQ(editSelTextColorGetter(field, 0), 0x00FF00);
  SetText(editSelTextFontSetter, field, "Courier");
  EXPECT_EQ(Read(editSelTextFontGetter(field, 0)), "Courier New");
}

TEST_F(StdPanesTest, UnsupportedSelectionStylesWarnAndChangeNothing) {
  ObjectHeader* window = NewWindow();
  ObjectHeader* field = AddControl(window, FindBuiltinClass("EditField"), "f",
                                   Rect16{10, 10, 30, 110}, {{"Text", "abc"}});
  CreatePanes(window);
  const char* const expected[] = {
      "msgbox \"\" \"Windows does not support the 'Outline' text font style.\" -> OK\n",
      "msgbox \"\" \"Windows does not support the 'Shadow' text font style.\" -> OK\n",
      "msgbox \"\" \"Windows does not support the 'Condensed' text font style.\" -> OK\n",
      "msgbox \"\" \"Windows does not support the 'Extended' text font style.\" -> OK\n",
  };
  CHARFORMATA before{};
  before.cbSize = sizeof before;
  SendMessageA(Child(field), EM_GETCHARFORMAT, SCF_ALL, reinterpret_cast<LPARAM>(&before));
  std::string all;
  for (int32_t style : {kSelOutline, kSelShadow, kSelCondense, kSelExtend}) {
    editSelStyleSetter(field, style, 0);  // False: nothing shown
    editSelStyleSetter(field, style, 1);
    EXPECT_EQ(editSelStyleGetter(field, style), 0);
  }
  for (const char* line : expected) all += line;
  EXPECT_EQ(Out(), all);
  CHARFORMATA after{};
  after.cbSize = sizeof after;
  SendMessageA(Child(field), EM_GETCHARFORMAT, SCF_ALL, reinterpret_cast<LPARAM>(&after));
  EXPECT_EQ(after.dwEffects, before.dwEffects);
  EXPECT_EQ(Read(editTextGetter(field, 0)), "abc");
}

TEST_F(StdPanesTest, EditFieldKeyDownAnswerDecidesWhetherTheKeyIsUsedUp) {
  ObjectHeader* window = NewWindow();
  ObjectHeader* field = AddControl(window, LoggingClass("EditField"), "f",
                                   Rect16{10, 10, 30, 110});
  CreatePanes(window);
  Pane* pane = AsControl(field)->pane;
  MSG key{};
  key.message = WM_KEYDOWN;
  key.wParam = '7';
  key.lParam = LPARAM{'7'} << 16;
  gKeyDownAnswer = false;
  EXPECT_FALSE(pane->KeyDown(key));
  gKeyDownAnswer = true;
  EXPECT_TRUE(pane->KeyDown(key));
  EXPECT_EQ(gLog, (Log{"KeyDown f 7", "KeyDown f 7"}));
  key.wParam = VK_SHIFT;
  key.lParam = 0;
  EXPECT_FALSE(pane->KeyDown(key)) << "keys without text raise nothing";
  EXPECT_EQ(gLog.size(), 2u);
}

TEST_F(StdPanesTest, FocusChangesRaiseGotFocusAndLostFocus) {
  ObjectHeader* window = NewWindow();
  ObjectHeader* field = AddControl(window, LoggingClass("EditField"), "f",
                                   Rect16{10, 10, 30, 110});
  ObjectHeader* button = AddControl(window, LoggingClass("PushButton"), "b",
                                    Rect16{40, 10, 60, 110});
  CreatePanes(window);
  gLog.clear();
  SetFocus(Child(field));
  SetFocus(Child(button));
  EXPECT_EQ(gLog, (Log{"GotFocus f", "LostFocus f", "GotFocus b"}));
  EXPECT_EQ(AsWindow(window)->native->focusPane, AsControl(button)->pane);
}

TEST_F(StdPanesTest, HandlersThatCloseTheWindowLeaveNothingDangling) {
  struct Case {
    const char* closingEvent;
    const char* className;
  } cases[] = {{"GotFocus", "EditField"}, {"GotFocus", "PushButton"},
               {"MouseDown", "PushButton"}, {"MouseDown", "RadioButton"},
               {"Action", "PushButton"}, {"Action", "RadioButton"}};
  for (const Case& c : cases) {
    ObjectHeader* window = NewWindow();
    ObjectHeader* control = AddControl(window, LoggingClass(c.className), "c",
                                       Rect16{10, 10, 30, 110});
    LockObject(control);
    CreatePanes(window);
    gCloseWindowOn = c.closingEvent;
    ClickAt(window, 20, 20);
    EXPECT_EQ(AsWindow(window)->native, nullptr) << c.closingEvent << " of " << c.className;
    EXPECT_EQ(AsControl(control)->pane, nullptr);
    UnlockObject(control);
  }
}

// ---- PushButton ----

// The empty text reaches the setter as nil (what a string operation with an empty result
// gives) or as a record of length 0 (how the image's literals may carry it). Either way the
// button that showed a caption shows nothing, and the getter answers the empty text.
TEST_F(StdPanesTest, EmptyTitleGivesAnEmptyButton) {
  uint8_t literalBytes[2] = {0, 0};  // length byte, terminating zero
  StringRecord literal{1, literalBytes, 0, 0};  // a literal: the image owns its buffer
  for (StringRecord* empty : {static_cast<StringRecord*>(nullptr), &literal}) {
    SCOPED_TRACE(empty == nullptr ? "nil" : "record of length 0");
    ObjectHeader* window = NewWindow();
    ObjectHeader* button = AddControl(window, FindBuiltinClass("PushButton"), "b",
                                      Rect16{10, 10, 30, 110}, {{"Caption", "Avanti"}});
    CreatePanes(window);
    ASSERT_NE(Child(button), nullptr);
    ASSERT_EQ(NativeText(Child(button)), "Avanti");
    pushButtonTitleSetter(button, 0, empty);
    EXPECT_EQ(NativeText(Child(button)), "");
    StringRecord* title = pushButtonTitleGetter(button);
    EXPECT_EQ(StringLength(title), 0);
    EXPECT_STREQ(StringText(title), "");
    UnlockString(title);
    SetText(pushButtonTitleSetter, button, "Avanti");  // lets go of the literal
    EXPECT_EQ(literal.refCount, 1) << "the button held the literal while it showed it";
  }
}

TEST_F(StdPanesTest, ClickWithoutClaimRaisesMouseDownThenAction) {
  ObjectHeader* window = NewWindow();
  AddControl(window, LoggingClass("PushButton"), "ok", Rect16{10, 20, 30, 120});
  CreatePanes(window);
  gLog.clear();
  ClickAt(window, 25, 15);
  EXPECT_EQ(gLog, (Log{"MouseDown ok 5 5", "GotFocus ok", "Action ok"}))
      << "the press gives the button the focus";
}

TEST_F(StdPanesTest, ClaimedPressTurnsTheClickIntoMouseDownAndMouseUp) {
  struct Case {
    bool mouseUpAnswer;
    Log expected;
  } cases[] = {
      {true, {"MouseDown ok 5 5", "GotFocus ok", "MouseUp ok 6 7"}},
      {false, {"MouseDown ok 5 5", "GotFocus ok", "MouseUp ok 6 7", "Action ok"}},
  };
  for (const Case& c : cases) {
    ObjectHeader* window = NewWindow();
    AddControl(window, LoggingClass("PushButton"), "ok", Rect16{10, 20, 30, 120});
    CreatePanes(window);
    gLog.clear();
    gMouseDownAnswer = true;
    gMouseUpAnswer = c.mouseUpAnswer;
    PressAt(window, 25, 15);
    ReleaseAt(window, 26, 17);
    EXPECT_EQ(gLog, c.expected) << "MouseUp answers " << c.mouseUpAnswer;
    RuntimeCloseWindow(window);
  }
}

TEST_F(StdPanesTest, ClaimedPressReleasedOutsideRaisesMouseUpButNoAction) {
  ObjectHeader* window = NewWindow();
  AddControl(window, LoggingClass("PushButton"), "ok", Rect16{10, 20, 30, 120});
  CreatePanes(window);
  gLog.clear();
  gMouseDownAnswer = true;
  gMouseUpAnswer = false;
  PressAt(window, 25, 15);
  ReleaseAt(window, 200, 200);
  EXPECT_EQ(gLog, (Log{"MouseDown ok 5 5", "GotFocus ok", "MouseUp ok 180 190"}));
  gLog.clear();
  ClickAt(window, 25, 15);  // the next press starts afresh
  EXPECT_EQ(gLog, (Log{"MouseDown ok 5 5", "MouseUp ok 5 5", "Action ok"}));
}

TEST_F(StdPanesTest, TwoDefaultButtonsLeaveExactlyOneNativeDefault) {
  ObjectHeader* window = NewWindow();
  ObjectHeader* a = AddControl(window, FindBuiltinClass("PushButton"), "a",
                               Rect16{10, 10, 30, 110}, {{"Default", "True"}});
  ObjectHeader* b = AddControl(window, FindBuiltinClass("PushButton"), "b",
                               Rect16{40, 10, 60, 110}, {{"Default", "True"}});
  ObjectHeader* c = AddControl(window, FindBuiltinClass("PushButton"), "c",
                               Rect16{70, 10, 90, 110});
  CreatePanes(window);
  auto defaults = [&] { return ShowsDefault(a) + ShowsDefault(b) + ShowsDefault(c); };
  EXPECT_EQ(defaults(), 1);
  pushButtonDefaultSetter(c, 0, 1);
  EXPECT_EQ(defaults(), 1);
  EXPECT_TRUE(ShowsDefault(c)) << "the button just made default";
  pushButtonDefaultSetter(c, 0, 0);
  EXPECT_EQ(defaults(), 1);
  EXPECT_FALSE(ShowsDefault(c));
  pushButtonDefaultSetter(a, 0, 0);
  pushButtonDefaultSetter(b, 0, 0);
  EXPECT_EQ(defaults(), 0);
  EXPECT_EQ(DefaultButtonOf(AsWindow(window)->native), nullptr);
}

TEST_F(StdPanesTest, FocusedButtonIsTheDefaultUntilItLosesTheFocus) {
  ObjectHeader* window = NewWindow();
  ObjectHeader* a = AddControl(window, FindBuiltinClass("PushButton"), "a",
                               Rect16{10, 10, 30, 110}, {{"Default", "True"}});
  ObjectHeader* b = AddControl(window, FindBuiltinClass("PushButton"), "b",
                               Rect16{40, 10, 60, 110});
  ObjectHeader* field = AddControl(window, FindBuiltinClass("EditField"), "f",
                                   Rect16{70, 10, 90, 110});
  CreatePanes(window);
  EXPECT_TRUE(ShowsDefault(a));
  SetFocus(Child(b));
  EXPECT_TRUE(ShowsDefault(b));
  EXPECT_FALSE(ShowsDefault(a));
  SetFocus(Child(field));
  EXPECT_TRUE(ShowsDefault(a));
  EXPECT_FALSE(ShowsDefault(b));
}

TEST_F(StdPanesTest, PressingDefaultAndCancelButtonsClicksThem) {
  ObjectHeader* window = NewWindow();
  AddControl(window, LoggingClass("PushButton"), "go", Rect16{10, 10, 30, 110},
             {{"Default", "True"}});
  ObjectHeader* stop = AddControl(window, LoggingClass("PushButton"), "stop",
                                  Rect16{40, 10, 60, 110}, {{"Cancel", "True"}});
  CreatePanes(window);
  RuntimeViewWindow* view = AsWindow(window)->native;
  gLog.clear();
  PressButton(DefaultButtonOf(view));
  PressButton(CancelButtonOf(view));
  EXPECT_EQ(gLog, (Log{"Action go", "Action stop"}));
  pushButtonCancelSetter(stop, 0, 0);
  EXPECT_EQ(CancelButtonOf(view), nullptr);
  PressButton(nullptr);  // nothing to press: nothing happens
}

TEST_F(StdPanesTest, ButtonPaneStartsFromTheStoredFields) {
  ObjectHeader* window = NewWindow();
  ObjectHeader* button = AddControl(window, FindBuiltinClass("PushButton"), "b",
                                    Rect16{10, 10, 30, 110},
                                    {{"Caption", "Esci"}, {"Enabled", "False"},
                                     {"TextFont", "Times"}, {"TextSize", "9"}});
  CreatePanes(window);
  HWND child = Child(button);
  ASSERT_NE(child, nullptr);
  EXPECT_EQ(NativeText(child), "Esci");
  EXPECT_FALSE(IsWindowEnabled(child));
  LOGFONTA font{};
  GetObjectA(reinterpret_cast<HFONT>(SendMessageA(child, WM_GETFONT, 0, 0)), sizeof font, &font);
  EXPECT_STREQ(font.lfFaceName, "Times New Roman");
  StringRecord* helvetica = Text("Helvetica");
  textFontSetter(button, 100, helvetica);
  UnlockString(helvetica);
  GetObjectA(reinterpret_cast<HFONT>(SendMessageA(child, WM_GETFONT, 0, 0)), sizeof font, &font);
  EXPECT_STREQ(font.lfFaceName, "Arial");
}

// ---- RadioButton ----

TEST_F(StdPanesTest, CheckingClickRaisesOneActionAndUncheckingNone) {
  ObjectHeader* window = NewWindow();
  ObjectHeader* piano = AddControl(window, LoggingClass("RadioButton"), "piano",
                                   Rect16{10, 10, 30, 110}, {{"Caption", "Pianoforte"},
                                                             {"Value", "True"}});
  ObjectHeader* organ = AddControl(window, LoggingClass("RadioButton"), "organ",
                                   Rect16{40, 10, 60, 110}, {{"Caption", "Organo"}});
  CreatePanes(window);
  EXPECT_EQ(SendMessageA(Child(piano), BM_GETCHECK, 0, 0), BST_CHECKED);
  gLog.clear();
  ClickAt(window, 20, 50);
  EXPECT_EQ(std::count(gLog.begin(), gLog.end(), "Action organ"), 1);
  EXPECT_EQ(std::count(gLog.begin(), gLog.end(), "Action piano"), 0);
  EXPECT_EQ(radioValueGetter(organ), 1);
  EXPECT_EQ(radioValueGetter(piano), 0) << "kept in step with the native state";
}

TEST_F(StdPanesTest, RadioReportedUncheckedNotifiesClearListenersOnly) {
  ObjectHeader* window = NewWindow();
  ObjectHeader* radio = AddControl(window, LoggingClass("RadioButton"), "r",
                                   Rect16{10, 10, 30, 110}, {{"Value", "True"}});
  CreatePanes(window);
  int cleared = 0;
  auto count = [](void* context, ObjectHeader*) { ++*static_cast<int*>(context); };
  auto* fields = reinterpret_cast<RadioButtonObject*>(radio);
  stdcontrols::AddActionListener(&fields->clearListeners, count, &cleared);
  gLog.clear();
  SendMessageA(Child(radio), BM_SETCHECK, BST_UNCHECKED, 0);
  EXPECT_EQ(cleared, 1);
  EXPECT_TRUE(gLog.empty()) << "no Action on becoming clear";
  EXPECT_EQ(radioValueGetter(radio), 0);
}

TEST_F(StdPanesTest, RadioValueSetterChecksThePaneWithoutAction) {
  ObjectHeader* window = NewWindow();
  ObjectHeader* a = AddControl(window, LoggingClass("RadioButton"), "a",
                               Rect16{10, 10, 30, 110}, {{"Value", "True"}});
  ObjectHeader* b = AddControl(window, LoggingClass("RadioButton"), "b",
                               Rect16{40, 10, 60, 110});
  CreatePanes(window);
  gLog.clear();
  radioValueSetter(b, 0, 1);
  EXPECT_EQ(SendMessageA(Child(b), BM_GETCHECK, 0, 0), BST_CHECKED);
  EXPECT_EQ(radioValueGetter(b), 1);
  EXPECT_EQ(radioValueGetter(a), 0) << "the other button of the window is cleared";
  EXPECT_EQ(SendMessageA(Child(a), BM_GETCHECK, 0, 0), BST_UNCHECKED);
  EXPECT_TRUE(gLog.empty());
  SetText(radioCaptionSetter, a, "Violino");
  EXPECT_EQ(NativeText(Child(a)), "Violino");
  EXPECT_EQ(Read(radioCaptionGetter(a, 0)), "Violino");
}

TEST_F(StdPanesTest, ClaimedRadioPressNeitherChecksNorActs) {
  ObjectHeader* window = NewWindow();
  ObjectHeader* radio = AddControl(window, LoggingClass("RadioButton"), "r",
                                   Rect16{10, 10, 30, 110});
  CreatePanes(window);
  gLog.clear();
  gMouseDownAnswer = true;
  ClickAt(window, 20, 20);
  EXPECT_EQ(gLog, (Log{"MouseDown r 10 10", "MouseUp r 10 10"}));
  EXPECT_EQ(radioValueGetter(radio), 0);
}

// ---- StaticText ----

TEST_F(StdPanesTest, AmpersandBeforeAPRegistersAltP) {
  ObjectHeader* window = NewWindow();
  AddControl(window, LoggingClass("StaticText"), "label", Rect16{10, 10, 30, 110},
             {{"Text", "&Play"}});
  CreatePanes(window);
  gLog.clear();
  EXPECT_TRUE(RunShortcut("Alt+P"));
  EXPECT_EQ(gLog, (Log{"AcceleratorKey label"}));
}

TEST_F(StdPanesTest, DoubledAmpersandRegistersNothing) {
  ObjectHeader* window = NewWindow();
  AddControl(window, LoggingClass("StaticText"), "label", Rect16{10, 10, 30, 110},
             {{"Text", "Rock &&Pop"}});
  CreatePanes(window);
  int before = ShortcutCount();
  EXPECT_FALSE(RunShortcut("Alt+P"));
  EXPECT_EQ(ShortcutCount(), before);
}

TEST_F(StdPanesTest, NewCaptionReplacesTheAccelerator) {
  ObjectHeader* window = NewWindow();
  ObjectHeader* label = AddControl(window, LoggingClass("StaticText"), "label",
                                   Rect16{10, 10, 30, 110}, {{"Text", "&Play"}});
  CreatePanes(window);
  SetText(staticCaptionSetter, label, "&Stop");
  gLog.clear();
  EXPECT_FALSE(RunShortcut("Alt+P")) << "the old key no longer reaches the label";
  EXPECT_TRUE(RunShortcut("Alt+S"));
  EXPECT_EQ(gLog, (Log{"AcceleratorKey label"}));
  RuntimeCloseWindow(window);
  EXPECT_FALSE(RunShortcut("Alt+S")) << "a closed window's label keeps no shortcut";
}

TEST_F(StdPanesTest, LabelPaneTakesTheStoredFieldsAndLaterChanges) {
  ObjectHeader* window = NewWindow();
  ObjectHeader* label = AddControl(window, FindBuiltinClass("StaticText"), "stT",
                                   Rect16{13, 37, 168, 518},
                                   {{"TextFont", "Helvetica"}, {"TextSize", "48"},
                                    {"Text", "Armonix"}, {"TextAlign", "1"},
                                    {"TextColor", "2686767"}});
  CreatePanes(window);
  auto* pane = dynamic_cast<StaticTextPane*>(AsControl(label)->pane);
  ASSERT_NE(pane, nullptr);
  EXPECT_EQ(pane->Text(), "Armonix");
  EXPECT_EQ(pane->Align(), 1);
  EXPECT_EQ(pane->TextColor(), 2686767);
  LOGFONTA font{};
  GetObjectA(pane->NativeFont(), sizeof font, &font);
  EXPECT_STREQ(font.lfFaceName, "Arial");
  EXPECT_EQ(font.lfHeight, -64);
  staticTextColorSetter(label, 0, 0xFFFFFF);
  EXPECT_EQ(pane->TextColor(), 0xFFFFFF);
  staticTextAlignSetter(label, 0, 2);
  EXPECT_EQ(pane->Align(), 2);
  SetText(staticCaptionSetter, label, "");
  EXPECT_EQ(pane->Text(), "");
  EXPECT_EQ(Read(staticCaptionGetter(label, 0)), "");
}

// A headless screen that also records each text drawn, with the top-left of its cell.
class TextRecorder : public native::HeadlessBackend {
 public:
  TextRecorder() : native::HeadlessBackend("labels", {}, 1024, 768, stdout, stderr) {}
  void Text(int x, int top, const std::string& text, const native::FontRequest&, COLORREF,
            const RECT&) override {
    texts.push_back(text + " at " + std::to_string(x) + "," + std::to_string(top));
  }
  std::vector<std::string> texts;
};

struct LabelCase {
  Rect16 bounds;
  const char* align;  // the TextAlign property as text
};

// A single line is drawn once, vertically centred in the label and placed by the alignment,
// and the window's own text alignment is left as it was.
TEST_F(StdPanesTest, LabelPaintsItsTextCentredVertically) {
  const LabelCase cases[] = {
      {Rect16{10, 10, 50, 210}, "0"},
      {Rect16{20, 30, 41, 130}, "0"},  // an odd height: the half is truncated
      {Rect16{10, 10, 50, 210}, "1"},
      {Rect16{10, 10, 50, 210}, "2"},
  };
  auto* recorder = new TextRecorder;
  native::InstallBackend(recorder);  // before the window: the screen is the recorder's
  for (const LabelCase& c : cases) {
    ObjectHeader* window = NewWindow();
    ObjectHeader* label = AddControl(window, FindBuiltinClass("StaticText"), "l", c.bounds,
                                     {{"Text", "&Do"}, {"TextAlign", c.align}});
    CreatePanes(window);
    auto* pane = static_cast<StaticTextPane*>(AsControl(label)->pane);
    ASSERT_NE(pane, nullptr);
    HWND hwnd = AsWindow(window)->native->Handle();
    HDC dc = GetDC(hwnd);
    HGDIOBJ old = SelectObject(dc, pane->NativeFont());
    SIZE extent{0, 0};
    GetTextExtentPoint32A(dc, "Do", 2, &extent);
    SelectObject(dc, old);
    ASSERT_GT(extent.cy, 0);
    int x = c.align[0] == '0'   ? c.bounds.left
            : c.align[0] == '1' ? c.bounds.left + (c.bounds.Width() - extent.cx) / 2
                                : c.bounds.right - extent.cx;
    int top = c.bounds.top + (c.bounds.Height() - extent.cy) / 2;
    SetTextAlign(dc, TA_BASELINE);
    recorder->texts.clear();
    pane->Paint(dc);
    EXPECT_EQ(recorder->texts, std::vector<std::string>{"Do at " + std::to_string(x) + "," +
                                                        std::to_string(top)})
        << "align " << c.align << ", height " << c.bounds.Height();
    EXPECT_EQ(SetTextAlign(dc, TA_BASELINE), static_cast<UINT>(TA_BASELINE))
        << "the window's own text alignment is restored";
    ReleaseDC(hwnd, dc);
  }
}

TEST_F(StdPanesTest, LabelMouseEventsComeRelativeToTheLabel) {
  ObjectHeader* window = NewWindow();
  ObjectHeader* label = AddControl(window, LoggingClass("StaticText"), "l",
                                   Rect16{10, 10, 50, 210}, {{"Text", "x"}});
  CreatePanes(window);
  Pane* pane = AsControl(label)->pane;
  gLog.clear();
  gMouseDownAnswer = false;
  EXPECT_FALSE(pane->MouseDown(15, 12, 0));
  pane->MouseUp(15, 12);  // not claimed: nothing
  gMouseDownAnswer = true;
  EXPECT_TRUE(pane->MouseDown(20, 30, 0));
  pane->MouseDrag(21, 31);
  pane->MouseUp(22, 32);
  EXPECT_EQ(gLog, (Log{"MouseDown l 5 2", "MouseDown l 10 20", "MouseDrag l 11 21",
                       "MouseUp l 12 22"}));
}

}  // namespace
}  // namespace stdcontrols_test
