// Reaching controls by name and by array index: the ControlDictionary keys, case, negative
// indices, references handed out, and every way a lookup finds nothing.
#include "tests/ui/controls_fixture.h"

#include "runtime/entries/entries.h"
#include "runtime/objects/objects.h"
#include "runtime/objects/strings.h"
#include "runtime/ui/control.h"

namespace controls_test {
namespace {

class ControlLookupTest : public ControlsTest {
 protected:
  // pb members 1..22 stored in a scrambled description order.
  ObjectHeader* WindowWithButtons() {
    ObjectHeader* window = NewWindow();
    for (int32_t i : {5, 8, 1, 22, 2, 3, 4, 6, 7, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19,
                      20, 21}) {
      AddControl(window, "pb", i, Rect16{10, int16_t(i * 10), 30, int16_t(i * 10 + 8)});
    }
    return window;
  }
  ObjectHeader* Item(ObjectHeader* window, const char* name, int32_t index) {
    StringRef n = StringRef::Adopt(Text(name));
    return RuntimeControlArrayItemReference(window, n.get(), index);
  }
};

TEST_F(ControlLookupTest, ArrayMembersAreFoundByTheirIndexWhereverTheyStand) {
  ObjectHeader* window = WindowWithButtons();
  struct Case {
    const char* name;
    int32_t index;
    bool found;
  } cases[] = {{"pb", 8, true},  {"pb", 1, true},  {"pb", 22, true}, {"pb", 23, false},
               {"pb", 0, false}, {"PB", 8, true},  {"Pb", 22, true}, {"pb", -1, false},
               {"px", 8, false}, {"", 8, false}};
  for (const Case& c : cases) {
    ObjectHeader* control = Item(window, c.name, c.index);
    EXPECT_EQ(control != nullptr, c.found) << c.name << " " << c.index;
    if (control == nullptr) continue;
    EXPECT_EQ(C(control)->index, c.index);
    EXPECT_EQ(C(control)->arrayIndex, c.index);
    UnlockObject(control);
  }
}

TEST_F(ControlLookupTest, NegativeIndicesUseAMinusSignInTheKey) {
  ObjectHeader* window = NewWindow();
  ObjectHeader* minus = AddControl(window, "neg", -3, Rect16{0, 0, 10, 10});
  ObjectHeader* lowest = AddControl(window, "low", INT32_MIN + 1, Rect16{0, 0, 10, 10});
  StringRef key = StringRef::Adopt(controls::ControlArrayKey(C(minus)->name, -3));
  EXPECT_EQ(key.view(), "neg$-3");
  ObjectHeader* found = Item(window, "neg", -3);
  EXPECT_EQ(found, minus);
  UnlockObject(found);
  EXPECT_EQ(Item(window, "neg", 3), nullptr);
  found = Item(window, "low", INT32_MIN + 1);
  EXPECT_EQ(found, lowest);
  UnlockObject(found);
}

TEST_F(ControlLookupTest, NamesOutsideArraysAreFetchedByBareName) {
  ObjectHeader* window = NewWindow();
  ObjectHeader* field = AddControl(window, "Risposta", kNotInArray, Rect16{0, 0, 20, 80});
  StringRef lower = StringRef::Adopt(Text("risposta"));
  StringRef missing = StringRef::Adopt(Text("Risposta$0"));
  int32_t before = field->refCount;
  EXPECT_EQ(RuntimeControlFetch(window, lower.get()), field);
  EXPECT_EQ(field->refCount, before) << "Fetch lends the control";
  EXPECT_EQ(RuntimeControlReference(window, lower.get()), field);
  EXPECT_EQ(field->refCount, before + 1) << "Reference retains it for the caller";
  UnlockObject(field);
  EXPECT_EQ(RuntimeControlFetch(window, missing.get()), nullptr);
  EXPECT_EQ(Item(window, "Risposta", kNotInArray), nullptr)
      << "an index lookup always builds a name$index key";
}

TEST_F(ControlLookupTest, MissingWindowsAndDictionariesGiveNil) {
  StringRef name = StringRef::Adopt(Text("pb"));
  EXPECT_EQ(RuntimeControlFetch(nullptr, name.get()), nullptr);
  EXPECT_EQ(RuntimeControlReference(nullptr, name.get()), nullptr);
  EXPECT_EQ(RuntimeControlArrayItemReference(nullptr, name.get(), 1), nullptr);

  ObjectHeader* bare = NewWindow(false);
  DeleteStringMap(AsWindow(bare)->controls);
  AsWindow(bare)->controls = nullptr;
  EXPECT_EQ(RuntimeControlFetch(bare, name.get()), nullptr);
  EXPECT_EQ(RuntimeControlArrayItemReference(bare, name.get(), 1), nullptr);

  // An object that is no window (a control) is refused rather than read as one.
  ObjectHeader* window = NewWindow();
  ObjectHeader* control = AddControl(window, "pb", 1, Rect16{0, 0, 10, 10});
  EXPECT_EQ(RuntimeControlFetch(control, name.get()), nullptr);
  EXPECT_EQ(RuntimeControlArrayItemReference(control, name.get(), 1), nullptr);
}

TEST_F(ControlLookupTest, AClosedWindowFindsNothingButHeldControlsKeepTheirFields) {
  ObjectHeader* window = WindowWithButtons();
  CreatePanes(window);
  ObjectHeader* held = Item(window, "pb", 8);
  ASSERT_NE(held, nullptr);
  ASSERT_NE(C(held)->pane, nullptr);
  Close(window);
  EXPECT_EQ(Item(window, "pb", 8), nullptr);
  EXPECT_EQ(C(held)->pane, nullptr) << "no pane after the window closed";
  EXPECT_EQ(Str(C(held)->name), "pb");
  EXPECT_EQ(C(held)->index, 8);
  ctlPosSetter(held, 2, 55);  // setters only store now
  EXPECT_EQ(ctlPosGetter(held, 2), 55);
  UnlockObject(held);
}

}  // namespace
}  // namespace controls_test
