// New members of control arrays made while the program runs: the smallest free index, the
// "*" keys of names that are no arrays, the template's saved pairs applied again with the
// index overriding them, CreatePane (flagged as run-time creation) then Open, and the ways
// cloning gives nil.
#include "tests/ui/controls_fixture.h"

#include "runtime/entries/entries.h"
#include "runtime/objects/objects.h"
#include "runtime/objects/stringmap.h"
#include "runtime/objects/strings.h"
#include "runtime/ui/controlclone.h"
#include "runtime/ui/viewwindow.h"

namespace controls_test {
namespace {

class ControlCloneTest : public ControlsTest {
 protected:
  ObjectHeader* Clone(ObjectHeader* window, const char* name) {
    StringRef n = StringRef::Adopt(Text(name));
    return RuntimeCloneControlReference(window, n.get());
  }
  bool Stored(ObjectHeader* window, const char* key, ObjectHeader* control) {
    return AsWindow(window)->controls->Get(key) == control;
  }
};

TEST_F(ControlCloneTest, ClonesTakeTheSmallestFreeIndex) {
  ObjectHeader* window = NewWindow();
  for (int32_t i = 1; i <= 22; ++i) {
    AddControl(window, "pb", i, Rect16{10, int16_t(i * 20), 30, int16_t(i * 20 + 15)});
  }
  CreatePanes(window);
  gEvents.clear();
  ObjectHeader* first = Clone(window, "pb");
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(C(first)->arrayIndex, 0);
  EXPECT_EQ(C(first)->index, 0) << "the chosen index overrides the saved Index pair";
  EXPECT_TRUE(Stored(window, "pb$0", first));
  ObjectHeader* second = Clone(window, "PB");  // the template is found ignoring case
  ASSERT_NE(second, nullptr);
  EXPECT_EQ(C(second)->arrayIndex, 23);
  EXPECT_EQ(C(second)->index, 23);
  EXPECT_TRUE(Stored(window, "pb$23", second));
  EXPECT_EQ(gEvents, (std::vector<std::string>{"CreatePane pb 0 runtime", "Open pb 0",
                                               "CreatePane pb 23 runtime", "Open pb 23"}));
  EXPECT_FALSE(controls::CreatingAtRunTime()) << "the flag is down again after CreatePane";
  // The clone is retained for the caller on top of the dictionary's reference.
  EXPECT_EQ(first->refCount, 2);
  ObjectHeader* found = RuntimeControlArrayItemReference(window, C(first)->name, 0);
  EXPECT_EQ(found, first);
  UnlockObject(found);
  UnlockObject(first);
  UnlockObject(second);
}

TEST_F(ControlCloneTest, ACloneCopiesTheTemplateAndTheFirstControl) {
  ObjectHeader* window = NewWindow();
  ObjectHeader* original =
      AddControl(window, "rb", 1, Rect16{40, 10, 60, 110},
                 {{"HelpTag", "scegli"}, {"Enabled", "False"}, {"TabPanelIndex", "3"}});
  ObjectHeader* canvas = MakeObject(FindBuiltinClass("Object"));
  C(original)->containingCanvas = canvas;
  CreatePanes(window);
  // Changes made to the original after creation are not what the template saved.
  controlEnabledSetter(original, 45, 1);
  ctlPosSetter(original, 0, 300);
  ObjectHeader* clone = Clone(window, "rb");
  ASSERT_NE(clone, nullptr);
  ControlObject* c = C(clone);
  EXPECT_EQ(c->created, 1);
  EXPECT_EQ(c->cloned, 1);
  EXPECT_EQ(C(original)->cloned, 0);
  EXPECT_EQ(c->mouseInside, 0);
  EXPECT_EQ(c->window, window);
  EXPECT_EQ(c->windowObject, window);
  EXPECT_EQ(c->viewWindow, AsWindow(window)->native);
  EXPECT_EQ(c->containingCanvas, canvas);
  EXPECT_EQ(Str(c->name), "rb");
  EXPECT_EQ(Str(c->helpTag), "scegli");
  EXPECT_EQ(c->enabled, 0);
  EXPECT_EQ(c->tabPanelIndex, 3);
  EXPECT_EQ(c->bounds, (Rect16{40, 10, 60, 110})) << "the described position, not the moved one";
  SpyPane* pane = Spy(clone);
  ASSERT_NE(pane, nullptr);
  EXPECT_EQ(pane->enabled, 0) << "pane state applied as at window creation";
  EXPECT_EQ(pane->tabPanelIndex, 3);
  EXPECT_EQ(Str(pane->helpTag), "scegli");
  EXPECT_EQ(pane->control, clone);
  C(original)->containingCanvas = nullptr;
  c->containingCanvas = nullptr;
  UnlockObject(canvas);
  UnlockObject(clone);
}

TEST_F(ControlCloneTest, NamesOutsideArraysGetUniqueStarKeys) {
  ObjectHeader* window = NewWindow();
  ObjectHeader* single = AddControl(window, "Nota", kNotInArray, Rect16{0, 0, 20, 20});
  CreatePanes(window);
  ObjectHeader* a = Clone(window, "nota");
  ObjectHeader* b = Clone(window, "Nota");
  ASSERT_NE(a, nullptr);
  ASSERT_NE(b, nullptr);
  EXPECT_EQ(C(a)->arrayIndex, kNotInArray);
  EXPECT_EQ(C(b)->arrayIndex, kNotInArray);
  int stars = 0;
  for (StringMapEntry* e = AsWindow(window)->controls->First(); e; e = e->orderNext) {
    std::string key = Str(e->key);
    if (key.rfind("Nota*", 0) == 0) {
      ++stars;
      EXPECT_GT(key.size(), 5u);
      EXPECT_EQ(key.find_first_not_of("0123456789", 5), std::string::npos) << key;
    }
  }
  EXPECT_EQ(stars, 2);
  EXPECT_EQ(AsWindow(window)->controls->Get("Nota"), single) << "the original keeps its key";
  UnlockObject(a);
  UnlockObject(b);
}

TEST_F(ControlCloneTest, ClonesOfAClosedOrIncompleteWindowGiveNil) {
  ObjectHeader* window = NewWindow();
  AddControl(window, "pb", 1, Rect16{0, 0, 20, 20});
  EXPECT_EQ(Clone(window, "px"), nullptr) << "no template of that name";
  EXPECT_EQ(Clone(nullptr, "pb"), nullptr);
  StringRef key = StringRef::Adopt(Text("pb$1"));
  ObjectHeader* original = static_cast<ObjectHeader*>(AsWindow(window)->controls->Get(key.get()));
  // The control the template was made from has gone: nothing to copy from.
  AsWindow(window)->controls->Remove(key.get());
  EXPECT_EQ(Clone(window, "pb"), nullptr);
  AsWindow(window)->controls->Put(key.get(), original);
  Close(window);
  EXPECT_EQ(Clone(window, "pb"), nullptr) << "a closed window has no controls left";
}

TEST_F(ControlCloneTest, AWindowWithoutNativeWindowClonesWithoutPane) {
  ObjectHeader* window = NewWindow(false);
  AddControl(window, "pb", 2, Rect16{0, 0, 20, 20});
  gEvents.clear();
  ObjectHeader* clone = Clone(window, "pb");
  ASSERT_NE(clone, nullptr);
  EXPECT_EQ(C(clone)->arrayIndex, 0);
  EXPECT_EQ(C(clone)->pane, nullptr);
  EXPECT_TRUE(gEvents.empty()) << "no CreatePane or Open without a native window";
  UnlockObject(clone);
  StringRef key = StringRef::Adopt(Text("pb$0"));
  auto* stored = static_cast<ObjectHeader*>(AsWindow(window)->controls->Get(key.get()));
  ASSERT_EQ(stored, clone);
  AsWindow(window)->controls->Remove(key.get());
  UnlockObject(stored);
  StringRef key2 = StringRef::Adopt(Text("pb$2"));
  auto* first = static_cast<ObjectHeader*>(AsWindow(window)->controls->Get(key2.get()));
  AsWindow(window)->controls->Remove(key2.get());
  UnlockObject(first);
}

}  // namespace
}  // namespace controls_test
