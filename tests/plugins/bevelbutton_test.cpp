// The bevel button as the real appearance library registers it: the descriptor's shape,
// the caption through the member links the image uses, and clicks through the plug-in
// control pane (disabled buttons, button types, releasing outside).
#include <cstring>

#include "runtime/entries/accessors.h"
#include "runtime/entries/entries.h"
#include "runtime/objects/heap.h"
#include "runtime/objects/objects.h"
#include "runtime/objects/strings.h"
#include "runtime/plugins/controlregistration.h"
#include "runtime/plugins/installation.h"
#include "runtime/plugins/plugincontrolpane.h"
#include "runtime/plugins/pluginlookup.h"
#include "runtime/plugins/pluginregistry.h"
#include "runtime/ui/controlobject.h"
#include "tests/plugins/pluginfixture.h"

namespace {

int gActions = 0;
ObjectHeader* gActionReceiver = nullptr;

extern "C" uint32_t CountAction(ObjectHeader* button) {
  ++gActions;
  gActionReceiver = button;
  return 0;
}

using StringGetter = StringRecord* (*)(ObjectHeader*, int32_t);
using StringSetter = void (*)(ObjectHeader*, int32_t, StringRecord*);
using IntSetter = void (*)(ObjectHeader*, int32_t, int32_t);
using BoolGetter = uint8_t (*)(ObjectHeader*, int32_t);

class BevelButtonTest : public PluginTest {
 protected:
  void SetUp() override {
    PluginTest::SetUp();
    ASSERT_TRUE(LoadPlugin(AMX_APPEARANCE_PLUGIN));
    bevel_ = FindPluginControl("BevelButton");
    ASSERT_NE(bevel_, nullptr);
    MakeApplicationSubclass();
    gActions = 0;
    gActionReceiver = nullptr;
  }

  void TearDown() override {
    for (ObjectHeader* button : buttons_) {
      delete AsControl(button)->pane;
      UnlockObject(button);
    }
    PluginTest::TearDown();
  }

  // The image's anonymous subclass of the button that handles "Action".
  void MakeApplicationSubclass() {
    subclass_ = static_cast<ClassRecord*>(TaggedAlloc(sizeof(ClassRecord)));
    std::memset(subclass_, 0, sizeof(ClassRecord));
    subclass_->kind = kClassRecordKind;
    subclass_->superclass = bevel_;
    subclass_->instanceSize = bevel_->instanceSize + 8;
    auto* handler = static_cast<EventHandlerEntry*>(TaggedAlloc(sizeof(EventHandlerEntry)));
    *handler = EventHandlerEntry{MakeStringFromC("Action"), 0, reinterpret_cast<CodeAddress>(&CountAction), nullptr};
    subclass_->eventHandlers = handler;
  }

  // A button at left 20, top 10, 60 x 22, with its pane (no native window in these tests).
  ObjectHeader* NewButton(bool enabled = true) {
    ObjectHeader* button = MakeObject(subclass_);
    ControlObject* control = AsControl(button);
    control->bounds = Rect16{10, 20, 32, 80};
    control->visible = 1;
    control->enabled = enabled ? 1 : 0;
    control->arrayIndex = 3;
    PluginControlCreatePane(button);
    buttons_.push_back(button);
    return button;
  }

  static void Click(ObjectHeader* button, int32_t x = 30, int32_t y = 20) {
    Pane* pane = AsControl(button)->pane;
    ASSERT_NE(pane, nullptr);
    pane->MouseDown(x, y, 0);
    pane->MouseUp(x, y);
  }

  static void SetButtonType(ObjectHeader* button, int32_t type) {
    auto set = reinterpret_cast<IntSetter>(ResolveAccessorLink("SBevelButton!ButtonType", nullptr));
    set(button, 0, type);
  }

  static bool Value(ObjectHeader* button) {
    auto get = reinterpret_cast<BoolGetter>(ResolveAccessorLink("GBevelButton!Value", nullptr));
    return get(button, 0) != 0;
  }

  ClassRecord* bevel_ = nullptr;
  ClassRecord* subclass_ = nullptr;
  std::vector<ObjectHeader*> buttons_;
};

TEST_F(BevelButtonTest, TheLibraryRegistersTheBevelButtonDescriptor) {
  const PluginControlDescriptor* d = ControlDescriptorOf(bevel_);
  ASSERT_NE(d, nullptr);
  EXPECT_EQ(d->version, 5);
  EXPECT_EQ(d->dataSize, 112);
  EXPECT_EQ(d->flags, 0x18u);
  EXPECT_EQ(d->value4, 60);
  EXPECT_EQ(d->value5, 22);
  EXPECT_EQ(d->propertyCount, 18);
  EXPECT_EQ(d->methodCount, 8);
  EXPECT_EQ(d->eventCount, 3);
  EXPECT_STREQ(d->interfaces, "ActionSource");
  EXPECT_EQ(d->dataOffset, 96);
  EXPECT_EQ(FirstPlugin()->version, 5);
  EXPECT_EQ(bevel_->instanceSize, 208);
  EXPECT_EQ(bevel_->superclass, FindBuiltinClass("RectControl"));
  // "Icon" names the Picture class, which this runtime does not have; the two receiver
  // methods name an interface it does not have either.
  EXPECT_EQ(CountProperties(bevel_), 17);
  EXPECT_EQ(CountMethods(bevel_), 6);
  EXPECT_NE(FindEventDeclaration(bevel_, "Action"), nullptr);
  EXPECT_NE(FindEventDeclaration(bevel_, "MouseDown"), nullptr);
  EXPECT_NE(FindEventDeclaration(bevel_, "MouseUp"), nullptr);
}

TEST_F(BevelButtonTest, CaptionSetThroughTheSetterLinkReadsBackThroughTheGetterLink) {
  auto set = reinterpret_cast<StringSetter>(ResolveAccessorLink("SBevelButton!Caption", nullptr));
  auto get = reinterpret_cast<StringGetter>(ResolveAccessorLink("GBevelButton!Caption", nullptr));
  ASSERT_NE(set, nullptr);
  ASSERT_NE(get, nullptr);
  ObjectHeader* button = NewButton();
  StringRecord* initial = get(button, 0);
  EXPECT_EQ(StringView(initial), "Untitled");
  UnlockString(initial);
  for (const char* caption : {"C3", "G#3", "", "Nota guida C3"}) {
    SCOPED_TRACE(caption);
    StringRecord* text = MakeStringFromC(caption);
    set(button, 0, text);
    StringRecord* back = get(button, 0);
    EXPECT_EQ(StringView(back), caption);
    UnlockString(back);
    UnlockString(text);
  }
  // The getter hands back a new reference; the button keeps its own.
  StringRecord* text = MakeStringFromC("A3");
  set(button, 0, text);
  EXPECT_EQ(text->refCount, 2);
  StringRecord* back = get(button, 0);
  EXPECT_EQ(text->refCount, 3);
  UnlockString(back);
  UnlockString(text);
  EXPECT_EQ(AsControl(button)->arrayIndex, 3);  // the control fields are untouched
}

TEST_F(BevelButtonTest, AClickRaisesActionOnTheButton) {
  ObjectHeader* button = NewButton();
  Click(button);
  EXPECT_EQ(gActions, 1);
  EXPECT_EQ(gActionReceiver, button);
  EXPECT_FALSE(Value(button));  // type 0 leaves Value alone
  Click(button);
  EXPECT_EQ(gActions, 2);
}

TEST_F(BevelButtonTest, ADisabledButtonTakesTheClickAndRaisesNothing) {
  ObjectHeader* button = NewButton(false);
  Pane* pane = AsControl(button)->pane;
  EXPECT_TRUE(pane->MouseDown(30, 20, 0));  // consumed
  pane->MouseUp(30, 20);
  EXPECT_EQ(gActions, 0);
  SetButtonType(button, 1);
  Click(button);
  EXPECT_FALSE(Value(button));
}

TEST_F(BevelButtonTest, ButtonTypesApplyToValue) {
  struct Case {
    int32_t type;
    bool afterOne;
    bool afterTwo;
  };
  const Case cases[] = {{0, false, false}, {1, true, false}, {2, true, true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.type);
    ObjectHeader* button = NewButton();
    SetButtonType(button, c.type);
    Click(button);
    EXPECT_EQ(Value(button), c.afterOne);
    Click(button);
    EXPECT_EQ(Value(button), c.afterTwo);
  }
  EXPECT_EQ(gActions, 6);
}

TEST_F(BevelButtonTest, PressingMovingOutAndReleasingRaisesNoAction) {
  ObjectHeader* button = NewButton();
  SetButtonType(button, 1);
  Pane* pane = AsControl(button)->pane;
  ASSERT_TRUE(pane->MouseDown(30, 20, 0));
  pane->MouseDrag(200, 20);  // outside on the right
  pane->MouseUp(200, 20);
  EXPECT_EQ(gActions, 0);
  EXPECT_FALSE(Value(button));
  // Moving back in before the release counts again; the right and bottom edges are outside.
  ASSERT_TRUE(pane->MouseDown(30, 20, 0));
  pane->MouseDrag(80, 20);
  pane->MouseDrag(79, 31);
  pane->MouseUp(79, 31);
  EXPECT_EQ(gActions, 1);
  EXPECT_TRUE(Value(button));
  ASSERT_TRUE(pane->MouseDown(30, 20, 0));
  pane->MouseDrag(30, 32);
  pane->MouseUp(30, 32);
  EXPECT_EQ(gActions, 1);
}

TEST_F(BevelButtonTest, AReleaseWithoutAPressDoesNothing) {
  ObjectHeader* button = NewButton();
  AsControl(button)->pane->MouseUp(30, 20);
  AsControl(button)->pane->MouseDrag(30, 20);
  EXPECT_EQ(gActions, 0);
}

TEST_F(BevelButtonTest, APopUpMenuButtonRaisesNoActionOnRelease) {
  ObjectHeader* button = NewButton();
  auto set = reinterpret_cast<IntSetter>(ResolveAccessorLink("SBevelButton!HasMenu", nullptr));
  set(button, 0, 1);
  Click(button);
  EXPECT_EQ(gActions, 0);
}

TEST_F(BevelButtonTest, MenuRowsThroughTheMethods) {
  ObjectHeader* button = NewButton();
  using AddRow = void (*)(ObjectHeader*, StringRecord*);
  using List = StringRecord* (*)(ObjectHeader*, int32_t);
  using ListSet = void (*)(ObjectHeader*, int32_t, StringRecord*);
  using RemoveRow = void (*)(ObjectHeader*, int32_t);
  auto add = reinterpret_cast<AddRow>(ResolveAccessorLink("MBevelButton!AddRow", nullptr));
  auto list = reinterpret_cast<List>(ResolveAccessorLink("MBevelButton!List", nullptr));
  auto listSet = reinterpret_cast<ListSet>(ResolveAccessorLink("WBevelButton!List", nullptr));
  auto remove = reinterpret_cast<RemoveRow>(ResolveAccessorLink("MBevelButton!RemoveRow", nullptr));
  ASSERT_TRUE(add && list && listSet && remove);
  StringRecord* one = MakeStringFromC("one");
  StringRecord* two = MakeStringFromC("two");
  add(button, one);
  add(button, two);
  listSet(button, 0, two);
  remove(button, 1);
  remove(button, 7);  // outside: nothing
  StringRecord* row = list(button, 0);
  EXPECT_EQ(StringView(row), "two");
  UnlockString(row);
  EXPECT_EQ(list(button, 1), nullptr);
  EXPECT_EQ(list(button, -1), nullptr);
  EXPECT_EQ(one->refCount, 1);  // the replaced row gave its reference back
  EXPECT_EQ(two->refCount, 2);  // ours and row 0's; the removed row gave its own back
  UnlockString(one);
  UnlockString(two);
}

TEST_F(BevelButtonTest, DestroyingTheButtonReleasesItsStrings) {
  StringRecord* caption = MakeStringFromC("E3");
  {
    ObjectHeader* button = MakeObject(subclass_);
    auto set = reinterpret_cast<StringSetter>(ResolveAccessorLink("SBevelButton!Caption", nullptr));
    set(button, 0, caption);
    EXPECT_EQ(caption->refCount, 2);
    UnlockObject(button);
  }
  EXPECT_EQ(caption->refCount, 1);
  UnlockString(caption);
}

TEST_F(BevelButtonTest, ClosingThePaneDuringTheActionIsHandled) {
  static ObjectHeader* closing = nullptr;
  struct Closer {
    static uint32_t Action(ObjectHeader* button) {
      ++gActions;
      delete AsControl(button)->pane;  // the window closed from inside the handler
      closing = button;
      return 0;
    }
  };
  reinterpret_cast<EventHandlerEntry*>(subclass_->eventHandlers)->entry =
      reinterpret_cast<CodeAddress>(&Closer::Action);
  ObjectHeader* button = NewButton();
  Click(button);
  EXPECT_EQ(gActions, 1);
  EXPECT_EQ(closing, button);
  EXPECT_EQ(AsControl(button)->pane, nullptr);
}

}  // namespace
