// The rules of the standard controls that need no window: font-name mapping and native
// fonts, caption accelerators, text placement, the default-button choice, edit-field styles
// and key texts, the unsupported-style warnings, the class layouts, and the accessors of
// controls that have no pane yet (they only store), including bad receivers.
#include <gtest/gtest.h>

#include <cstring>

#include "runtime/entries/entries.h"
#include "runtime/objects/builtinclasses.h"
#include "runtime/objects/objects.h"
#include "runtime/objects/strings.h"
#include "runtime/ui/editfield.h"
#include "runtime/ui/fontmapping.h"
#include "runtime/ui/pushbutton.h"
#include "runtime/ui/statictext.h"
#include "runtime/ui/stdcontrols.h"

namespace {

TEST(FontMapping, DesignTimeNamesBecomeSystemNamesIgnoringCase) {
  struct Case {
    const char* from;
    const char* to;
  } cases[] = {
      {"System", "MS Sans Serif"},     {"Application", "MS Sans Serif"},
      {"Geneva", "MS Sans Serif"},     {"geneva", "MS Sans Serif"},
      {"Courier", "Courier New"},      {"Times", "Times New Roman"},
      {"Helvetica", "Arial"},          {"HELVETICA", "Arial"},
      {"Osaka", "MS UI Gothic"},       {"Verdana", "Verdana"},
      {"Times New Roman", "Times New Roman"},  // no prefix matching
      {"Helvetica ", "Helvetica "},    {"", ""},
  };
  for (const Case& c : cases) EXPECT_EQ(MapFontName(c.from), c.to) << c.from;
}

TEST(FontMapping, NativeFontCarriesTheMappedFaceAndStyle) {
  ControlFont wanted;
  wanted.name = "Helvetica";
  wanted.size = 12;
  wanted.bold = true;
  wanted.italic = true;
  HFONT font = CreateControlFont(wanted);
  ASSERT_NE(font, nullptr);
  LOGFONTA described{};
  ASSERT_GT(GetObjectA(font, sizeof described, &described), 0);
  EXPECT_STREQ(described.lfFaceName, "Arial");
  EXPECT_EQ(described.lfWeight, FW_BOLD);
  EXPECT_EQ(described.lfItalic, 1);
  EXPECT_EQ(described.lfUnderline, 0);
  EXPECT_EQ(described.lfHeight, -16) << "12 points at 96 dots per inch";
  DeleteObject(font);
}

TEST(FontMapping, RichEditFormatAppliesTheFontToAllText) {
  ControlFont wanted;
  wanted.name = std::string(40, 'x');  // longer than a face name may be
  wanted.size = 10;
  wanted.underline = true;
  CHARFORMATA format = RichEditCharFormat(wanted, RGB(1, 2, 3));
  EXPECT_EQ(format.cbSize, sizeof(CHARFORMATA));
  EXPECT_EQ(std::strlen(format.szFaceName), 31u);
  EXPECT_EQ(format.yHeight, 150);
  EXPECT_EQ(format.dwEffects, CFE_UNDERLINE);
  EXPECT_EQ(format.crTextColor, RGB(1, 2, 3));
  EXPECT_TRUE(format.dwMask & CFM_FACE);
  EXPECT_TRUE(format.dwMask & CFM_CHARSET);
  wanted.name = "Osaka";
  EXPECT_STREQ(RichEditCharFormat(wanted, 0).szFaceName, "MS UI Gothic");
}

TEST(Accelerators, TheCharacterAfterASingleAmpersandInUpperCase) {
  struct Case {
    const char* text;
    const char* shortcut;
  } cases[] = {
      {"&Play", "Alt+P"},       {"&play", "Alt+P"},      {"Sto&p", "Alt+P"},
      {"Rock && Roll", ""},     {"&&P", ""},             {"&&&P", "Alt+P"},
      {"&Ab &Cd", "Alt+C"},     {"End&", ""},            {"", ""},
      {"no marks", ""},         {"& space", ""},         {"&1st", "Alt+1"},
  };
  for (const Case& c : cases) EXPECT_EQ(AcceleratorShortcut(c.text), c.shortcut) << c.text;
}

TEST(Accelerators, CaptionIsShownWithoutItsMarks) {
  EXPECT_EQ(CaptionWithoutMarks("&Play"), "Play");
  EXPECT_EQ(CaptionWithoutMarks("Rock && Roll"), "Rock & Roll");
  EXPECT_EQ(CaptionWithoutMarks("End&"), "End&");
  EXPECT_EQ(CaptionWithoutMarks(""), "");
}

TEST(StaticTextPlacement, AlignmentChoosesTheStartOfTheLine) {
  Rect16 bounds{0, 10, 20, 110};  // 100 wide
  EXPECT_EQ(AlignedTextLeft(bounds, 40, 0), 10);
  EXPECT_EQ(AlignedTextLeft(bounds, 40, 1), 40);
  EXPECT_EQ(AlignedTextLeft(bounds, 41, 1), 39) << "the half is truncated";
  EXPECT_EQ(AlignedTextLeft(bounds, 40, 2), 70);
  EXPECT_EQ(AlignedTextLeft(bounds, 140, 2), -30) << "wider than the control: no clipping";
  EXPECT_EQ(AlignedTextLeft(bounds, 40, 7), 10) << "unknown alignments are left";
}

TEST(DefaultButton, FocusFirstThenThePreferredThenTheFirstQualifying) {
  struct Case {
    std::vector<DefaultCandidate> buttons;
    int32_t preferred;
    int32_t chosen;
  } cases[] = {
      {{}, -1, -1},
      {{{false, false}, {false, false}}, -1, -1},
      {{{false, false}, {false, true}}, -1, 1},
      {{{false, true}, {false, true}}, -1, 0},
      {{{false, true}, {false, true}}, 1, 1},
      {{{false, true}, {false, false}}, 1, 0},   // the preferred one does not qualify
      {{{false, true}, {true, false}}, 0, 1},    // the focused button wins
      {{{false, true}, {false, true}}, 5, 0},    // out of range
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ChooseDefaultButton(c.buttons, c.preferred), c.chosen);
  }
}

TEST(EditFieldRules, NativeVariantFollowsTheSettings) {
  EditFieldObject field{};
  EditFieldStyle single = EditFieldStyleOf(field);
  EXPECT_TRUE(single.style & ES_AUTOHSCROLL);
  EXPECT_FALSE(single.style & ES_MULTILINE);
  EXPECT_EQ(single.exStyle, 0u);
  field.multiLine = 1;
  field.border = 1;
  EditFieldStyle multi = EditFieldStyleOf(field);
  EXPECT_TRUE(multi.style & ES_MULTILINE);
  EXPECT_TRUE(multi.style & ES_AUTOVSCROLL);
  EXPECT_TRUE(multi.style & ES_NOHIDESEL);
  EXPECT_FALSE(multi.style & WS_VSCROLL);
  EXPECT_TRUE(multi.exStyle & WS_EX_CLIENTEDGE);
  field.scrollBar = 1;
  EXPECT_TRUE(EditFieldStyleOf(field).style & WS_VSCROLL);
}

TEST(EditFieldRules, UnsupportedStylesHaveTheirExactWarnings) {
  EXPECT_STREQ(UnsupportedStyleMessage(kSelOutline),
               "Windows does not support the 'Outline' text font style.");
  EXPECT_STREQ(UnsupportedStyleMessage(kSelShadow),
               "Windows does not support the 'Shadow' text font style.");
  EXPECT_STREQ(UnsupportedStyleMessage(kSelCondense),
               "Windows does not support the 'Condensed' text font style.");
  EXPECT_STREQ(UnsupportedStyleMessage(kSelExtend),
               "Windows does not support the 'Extended' text font style.");
  for (int32_t supported : {int32_t{kSelBold}, int32_t{kSelUnderline}, int32_t{kSelItalic},
                            int32_t{kSelPlain}, -1, 99}) {
    EXPECT_EQ(UnsupportedStyleMessage(supported), nullptr) << supported;
  }
}

TEST(EditFieldRules, KeyTextIsTheCharacterOrTheEditingKeyCode) {
  struct Case {
    WPARAM key;
    char typed;
    std::string text;
  } cases[] = {
      {'5', '5', "5"},         {'A', 'a', "a"},         {VK_LEFT, 0, "\x1C"},
      {VK_RIGHT, 0, "\x1D"},   {VK_UP, 0, "\x1E"},      {VK_DOWN, 0, "\x1F"},
      {VK_DELETE, 0, "\x7F"},  {VK_RETURN, '\r', "\r"}, {VK_F1 + 4, 0, ""},
  };
  for (const Case& c : cases) {
    MSG message{};
    message.message = WM_KEYDOWN;
    message.wParam = c.key;
    message.lParam = static_cast<LPARAM>(static_cast<uint8_t>(c.typed)) << 16;
    EXPECT_EQ(KeyTextOf(message), c.text) << c.key;
  }
}

// ---- Classes and accessors without a pane ----

class NoPaneTest : public ::testing::Test {
 protected:
  void SetUp() override { SetUpBuiltinClasses(); }
  void TearDown() override {
    for (ObjectHeader* object : made_) UnlockObject(object);
  }
  ObjectHeader* Make(const char* className) {
    ObjectHeader* object = MakeObject(FindBuiltinClass(className));
    made_.push_back(object);
    return object;
  }
  std::vector<ObjectHeader*> made_;
};

TEST_F(NoPaneTest, ClassesHaveTheirSizesAndDescendFromRectControl) {
  struct Case {
    const char* name;
    int32_t size;
  } cases[] = {{"StaticText", 128}, {"PushButton", 120}, {"EditField", 148}, {"RadioButton", 124}};
  for (const Case& c : cases) {
    ClassRecord* cls = FindBuiltinClass(c.name);
    ASSERT_NE(cls, nullptr) << c.name;
    EXPECT_EQ(cls->instanceSize, c.size) << c.name;
    EXPECT_TRUE(ClassIsa(cls, FindBuiltinClass("RectControl"))) << c.name;
    EXPECT_NE(FindEventHandler(Make(c.name), AMX_BUILTIN_EVENT(Control, CreatePane)), nullptr)
        << c.name << " registers its own CreatePane";
  }
}

TEST_F(NoPaneTest, SettersOnlyStoreAndGettersReadTheStore) {
  ObjectHeader* button = Make("PushButton");
  StringRecord* ok = MakeStringFromC("OK");
  pushButtonTitleSetter(button, 0, ok);
  UnlockString(ok);
  StringRecord* title = pushButtonTitleGetter(button);
  EXPECT_EQ(std::string(StringView(title)), "OK");
  UnlockString(title);
  pushButtonDefaultSetter(button, 0, 0x40);  // any non-zero byte is True
  EXPECT_EQ(reinterpret_cast<PushButtonObject*>(button)->isDefault, 1);

  ObjectHeader* field = Make("EditField");
  StringRecord* five = MakeStringFromC("5");
  editTextSetter(field, 0, five);
  StringRecord* read = editTextGetter(field, 0);
  EXPECT_EQ(read, five) << "without pane the stored text itself comes back, retained";
  EXPECT_EQ(five->refCount, 3);
  UnlockString(read);
  UnlockString(five);
  EXPECT_EQ(editSelGetter(field, 0), 0);
  EXPECT_EQ(editSelTextGetter(field, 0), nullptr);

  ObjectHeader* radio = Make("RadioButton");
  radioValueSetter(radio, 0, 1);
  EXPECT_EQ(radioValueGetter(radio), 1);
  radioValueSetter(radio, 0, 0);
  EXPECT_EQ(radioValueGetter(radio), 0);

  ObjectHeader* label = Make("StaticText");
  staticTextColorSetter(label, 0, 0x123456);
  EXPECT_EQ(staticTextColorGetter(label, 0), 0x123456);
  staticTextAlignSetter(label, 0, 2);
  EXPECT_EQ(reinterpret_cast<StaticTextObject*>(label)->textAlign, 2);
}

TEST_F(NoPaneTest, EmptyCaptionReadsBackAsTheSameEmptyText) {
  ObjectHeader* button = Make("PushButton");
  // An image literal "" is a record of length 0; nil is the runtime's own empty string.
  uint8_t bytes[2] = {0, 0};
  StringRecord literal{1000, bytes, 2, 0};
  pushButtonTitleSetter(button, 0, &literal);
  StringRecord* title = pushButtonTitleGetter(button);
  EXPECT_EQ(title, &literal) << "the empty text itself, not nil";
  EXPECT_EQ(StringLength(title), 0);
  UnlockString(title);
  pushButtonTitleSetter(button, 0, nullptr);
  EXPECT_EQ(literal.refCount, 1000);
  title = pushButtonTitleGetter(button);
  EXPECT_EQ(StringLength(title), 0);
  EXPECT_STREQ(StringText(title), "");
}

TEST_F(NoPaneTest, FontSettersStoreIntoEachClassesOwnFields) {
  struct Case {
    const char* cls;
    int32_t name;
    int32_t size;
    int32_t bold;
    int32_t italic;
    int32_t underline;
  } cases[] = {{"StaticText", 92, 100, 96, 97, 98},
               {"PushButton", 100, 104, 106, 107, 108},
               {"EditField", 96, 100, 102, 103, 104},
               {"RadioButton", 100, 104, 106, 107, 108}};
  StringRecord* helvetica = MakeStringFromC("Helvetica");
  for (const Case& c : cases) {
    ObjectHeader* control = Make(c.cls);
    textFontSetter(control, c.name, helvetica);
    textSizeSetter(control, c.size, 14);
    textStyleSetter(control, c.bold, 1);
    textStyleSetter(control, c.underline, 1);
    ControlFont wanted = stdcontrols::FontOfControl(control);
    EXPECT_EQ(wanted.name, "Helvetica") << c.cls;
    EXPECT_EQ(wanted.size, 14) << c.cls;
    EXPECT_TRUE(wanted.bold) << c.cls;
    EXPECT_FALSE(wanted.italic) << c.cls;
    EXPECT_TRUE(wanted.underline) << c.cls;
    EXPECT_EQ(stringGetter(control, c.name), helvetica);
    UnlockString(helvetica);
    EXPECT_EQ(shortGetter(control, c.size), 14);
    EXPECT_EQ(boolGetter(control, c.italic), 0);
  }
  UnlockString(helvetica);
}

TEST_F(NoPaneTest, FontSettersRefuseOffsetsOutsideTheFontFields) {
  ObjectHeader* button = Make("PushButton");
  auto* fields = reinterpret_cast<PushButtonObject*>(button);
  textStyleSetter(button, 112, 1);  // Default's byte, not a style
  EXPECT_EQ(fields->isDefault, 0);
  textSizeSetter(button, 4, 99);    // inside the header
  EXPECT_EQ(button->cls, FindBuiltinClass("PushButton"));
  textStyleSetter(button, 100000, 1);
  StringRecord* name = MakeStringFromC("Times");
  textFontSetter(button, 92, name);  // the caption's offset
  EXPECT_EQ(fields->caption, nullptr);
  UnlockString(name);
}

TEST_F(NoPaneTest, AccessorsIgnoreNilAndObjectsOfOtherClasses) {
  ObjectHeader* label = Make("StaticText");
  ObjectHeader* window = Make("Window");
  StringRecord* text = MakeStringFromC("x");
  for (ObjectHeader* wrong : {static_cast<ObjectHeader*>(nullptr), label, window}) {
    EXPECT_EQ(editTextGetter(wrong, 0), nullptr);
    editTextSetter(wrong, 0, text);
    EXPECT_EQ(pushButtonTitleGetter(wrong), nullptr);
    pushButtonTitleSetter(wrong, 0, text);
    EXPECT_EQ(radioValueGetter(wrong), 0);
    radioValueSetter(wrong, 0, 1);
    editSelStyleSetter(wrong, kSelBold, 1);
    textFontSetter(wrong, 100, text);
  }
  staticCaptionSetter(window, 0, text);
  EXPECT_EQ(staticCaptionGetter(window, 0), nullptr);
  EXPECT_EQ(text->refCount, 1) << "nothing kept a reference";
  UnlockString(text);
}

TEST(ActionListeners, NotifiedInRegistrationOrderAndRemovable) {
  ActionListener* list = nullptr;
  std::vector<int> order;
  auto record = [](void* context, ObjectHeader*) {
    auto* pair = static_cast<std::pair<std::vector<int>*, int>*>(context);
    pair->first->push_back(pair->second);
  };
  std::pair<std::vector<int>*, int> a{&order, 1}, b{&order, 2}, c{&order, 3};
  stdcontrols::AddActionListener(&list, record, &a);
  stdcontrols::AddActionListener(&list, record, &b);
  stdcontrols::AddActionListener(&list, record, &c);
  stdcontrols::AddActionListener(&list, nullptr, &c);  // ignored
  stdcontrols::NotifyActionListeners(list, nullptr);
  EXPECT_EQ(order, (std::vector<int>{1, 2, 3}));
  stdcontrols::RemoveActionListener(&list, record, &b);
  order.clear();
  stdcontrols::NotifyActionListeners(list, nullptr);
  EXPECT_EQ(order, (std::vector<int>{1, 3}));
  stdcontrols::FreeActionListeners(&list);
  EXPECT_EQ(list, nullptr);
}

}  // namespace
