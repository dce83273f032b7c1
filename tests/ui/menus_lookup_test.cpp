// Reaching items by name and index, cloning new elements of a menu item array, removing
// items, and the command identifiers they hold.
#include <gtest/gtest.h>

#include "runtime/entries/entries.h"
#include "runtime/objects/objects.h"
#include "runtime/objects/strings.h"
#include "runtime/ui/shortcuts.h"
#include "runtime/ui/uitypes.h"
#include "tests/ui/menus_fixture.h"

namespace menus_test {
namespace {

using Lines = std::vector<std::string>;
using imagekit::MenuEntry;

StringRef Text(const char* text) { return StringRef::Adopt(MakeStringFromC(text)); }

MenuEntry Element(const std::string& text, const std::string& name, int32_t index, int32_t cls) {
  MenuEntry e = Item(text, name, cls);
  e.index = index;
  return e;
}

class LookupTest : public MenusTest {
 protected:
  void LoadArrays() {
    int32_t mi = static_cast<int32_t>(image_.menuItem);
    Load(image_, {TopMenu("Primo", {Item("Uno", "uno", mi), Element("Voce 0", "voce", 0, mi),
                                    Element("Voce 2", "voce", 2, mi), Item("Dopo", "dopo", mi)}),
                  TopMenu("Secondo", {Element("Solo 0", "solo", 0, mi), Item("Uno bis", "UNO", mi)})});
  }
  MenuImage image_;
};

TEST_F(LookupTest, MenuReferenceFindsTheFirstItemWithoutIndexIgnoringCase) {
  LoadArrays();
  ObjectHeader* uno = RuntimeMenuReference(Text("UnO").get());
  ASSERT_NE(uno, nullptr);
  EXPECT_EQ(StringView(AsMenuItem(uno)->text), "Uno");  // the first in menu order
  EXPECT_EQ(uno->refCount, 2);                          // the menu's and ours
  RuntimeUnlockObject(uno);
  // Names that exist only as array elements, or not at all, give nil.
  EXPECT_EQ(RuntimeMenuReference(Text("voce").get()), nullptr);
  EXPECT_EQ(RuntimeMenuReference(Text("nessuno").get()), nullptr);
}

// The application menu (kind 1) makes no items: an item named there and repeated in an
// ordinary menu is found, and dispatched, as the one the ordinary menu holds.
TEST_F(LookupTest, AnItemOfTheApplicationMenuRepeatedElsewhereIsTheOneMade) {
  int32_t mi = static_cast<int32_t>(image_.menuItem);
  image_.AddAppMenuHandler("appleInMt", 1);
  Load(image_, {TopMenu("", {Item("Info Armonix", "appleInMt", mi), Separator(mi)}, 1),
                TopMenu("Accordi", {Item("Stato fondamentale", "asf", mi), Item("Info Armonix", "appleInMt", mi)})});
  ObjectHeader* info = RuntimeMenuReference(Text("appleinmt").get());
  ASSERT_NE(info, nullptr);
  EXPECT_EQ(AsMenuItem(info)->menu, MenuNamed("Accordi"));
  EXPECT_EQ(AsMenuItem(info)->position, 1);
  EXPECT_EQ(info->refCount, 2);  // the menu's and ours
  EXPECT_FALSE(DispatchMenuCommand(AsMenuItem(info)->commandId));
  ASSERT_EQ(gCalls.size(), 1u);
  EXPECT_EQ(gCalls[0].index, kNotInArray);
  RuntimeUnlockObject(info);
}

TEST_F(LookupTest, ArrayReferenceMatchesNameAndIndex) {
  LoadArrays();
  ObjectHeader* two = RuntimeMenuArrayReference(Text("VOCE").get(), 2);
  ASSERT_NE(two, nullptr);
  EXPECT_EQ(StringView(AsMenuItem(two)->text), "Voce 2");
  RuntimeUnlockObject(two);
  EXPECT_EQ(RuntimeMenuArrayReference(Text("voce").get(), 1), nullptr);
  ObjectHeader* plain = RuntimeMenuArrayReference(Text("uno").get(), kNotInArray);
  EXPECT_EQ(StringView(AsMenuItem(plain)->text), "Uno");
  RuntimeUnlockObject(plain);
}

TEST_F(LookupTest, CloneTakesTheSmallestFreeIndexAndFollowsTheLastElement) {
  LoadArrays();
  ObjectHeader* clone = RuntimeCloneMenu(Text("Voce").get());
  ASSERT_NE(clone, nullptr);
  MenuItemObject* item = AsMenuItem(clone);
  EXPECT_EQ(item->index, 1);
  EXPECT_EQ(StringView(item->name), "voce");
  EXPECT_EQ(StringView(item->text), "Voce 2");  // copied from the last element
  EXPECT_EQ(item->menu, MenuNamed("Primo"));
  EXPECT_EQ(item->position, 3);
  EXPECT_EQ(item->inserted, 1);
  EXPECT_EQ(item->enabled, 1);
  EXPECT_EQ(item->tag, nullptr);
  EXPECT_EQ(item->commandId, 1006);  // the next free identifier after the six built
  EXPECT_EQ(clone->refCount, 2);
  EXPECT_EQ(NativeEntries(MenuNamed("Primo")->popup),
            Lines({"Uno", "Voce 0", "Voce 2", "Voce 2", "Dopo"}));
  EXPECT_EQ(ItemNamed("dopo")->position, 4);
  // Indices 0, 1, 2 are taken now: the next clone gets 3.
  ObjectHeader* next = RuntimeCloneMenu(Text("voce").get());
  EXPECT_EQ(AsMenuItem(next)->index, 3);
  EXPECT_EQ(AsMenuItem(next)->position, 4);
  RuntimeUnlockObject(next);
  RuntimeUnlockObject(clone);
}

TEST_F(LookupTest, CloningAPlainItemStartsTheArrayAtZero) {
  LoadArrays();
  ObjectHeader* clone = RuntimeCloneMenu(Text("dopo").get());
  EXPECT_EQ(AsMenuItem(clone)->index, 0);
  EXPECT_EQ(RuntimeCloneMenu(Text("nessuno").get()), nullptr);
  EXPECT_EQ(RuntimeCloneMenu(nullptr), nullptr);
  RuntimeUnlockObject(clone);
}

TEST_F(LookupTest, ClonesAreDispatchedWithTheirIndex) {
  image_.AddAppMenuHandler("solo", 1);
  LoadArrays();
  ObjectHeader* clone = RuntimeCloneMenu(Text("solo").get());
  EXPECT_FALSE(DispatchMenuCommand(AsMenuItem(clone)->commandId));
  ASSERT_EQ(gCalls.size(), 1u);
  EXPECT_EQ(gCalls[0].index, 1);
  RuntimeUnlockObject(clone);
}

TEST_F(LookupTest, ClosingAnItemRemovesItEverywhere) {
  LoadArrays();
  ObjectHeader* two = RuntimeMenuArrayReference(Text("voce").get(), 2);
  int32_t id = AsMenuItem(two)->commandId;
  RuntimeCloseMenuItem(two);
  EXPECT_EQ(NativeEntries(MenuNamed("Primo")->popup), Lines({"Uno", "Voce 0", "Dopo"}));
  EXPECT_EQ(ItemNamed("dopo")->position, 2);
  EXPECT_EQ(RuntimeMenuArrayReference(Text("voce").get(), 2), nullptr);
  EXPECT_EQ(two->refCount, 1);  // only ours is left
  EXPECT_EQ(AsMenuItem(two)->menu, nullptr);
  EXPECT_EQ(AsMenuItem(two)->commandId, 0);
  EXPECT_EQ(AllocateCommandId(), id);  // its identifier is free again
  RuntimeCloseMenuItem(two);  // no longer in a menu: nothing
  RuntimeCloseMenuItem(nullptr);
  RuntimeUnlockObject(two);
}

TEST_F(LookupTest, ClosingAnItemDropsItsShortcut) {
  int32_t mi = static_cast<int32_t>(image_.menuItem);
  image_.AddAppMenuHandler("nuovo", 1);
  Load(image_, {TopMenu("M", {Item("Apri", "apri", mi, "O")})});
  ObjectHeader* apri = RuntimeMenuReference(Text("apri").get());
  RuntimeCloseMenuItem(apri);
  RuntimeUnlockObject(apri);
  EXPECT_EQ(MenuShortcutCommand("Ctrl+O"), -1);
  // A new item takes the freed identifier; the old key must not run it.
  ObjectHeader* clone = RuntimeCloneMenu(Text("apri").get());
  EXPECT_EQ(clone, nullptr);
  Build({TopMenu("M", {Item("Nuovo", "nuovo", mi)})});
  EXPECT_EQ(ItemNamed("nuovo")->commandId, 1000);
  EXPECT_FALSE(RunShortcut("Ctrl+O"));
  EXPECT_TRUE(gCalls.empty());
}

TEST(CommandIdTest, SlotsRunOutAtTwentyTwentyThreeAndFreedOnesComeBackFirst) {
  FreeAllCommandIds();
  for (int32_t i = 0; i < kCommandIdSlots; ++i) ASSERT_EQ(AllocateCommandId(), 1000 + i);
  EXPECT_EQ(AllocateCommandId(), 0);
  FreeCommandId(1500);
  FreeCommandId(1200);
  FreeCommandId(0);      // ignored
  FreeCommandId(999);    // outside the range: ignored
  FreeCommandId(2024);
  EXPECT_EQ(AllocateCommandId(), 1200);
  EXPECT_EQ(AllocateCommandId(), 1500);
  EXPECT_EQ(AllocateCommandId(), 0);
  FreeAllCommandIds();
}

TEST_F(LookupTest, ItemsBeyondTheLastIdentifierCannotBeChosen) {
  for (int32_t i = 0; i < kCommandIdSlots - 1; ++i) AllocateCommandId();
  int32_t mi = static_cast<int32_t>(image_.menuItem);
  image_.AddAppMenuHandler("b", 1);
  Load(image_, {TopMenu("M", {Item("A", "a", mi), Item("B", "b", mi, "B")})});
  EXPECT_EQ(ItemNamed("a")->commandId, 2023);
  EXPECT_EQ(ItemNamed("b")->commandId, 0);
  EXPECT_FALSE(DispatchMenuCommand(0));
  EXPECT_FALSE(RunShortcut("Ctrl+B"));  // no identifier, no shortcut
  EXPECT_TRUE(gCalls.empty());
  EXPECT_EQ(NativeEntries(MenuNamed("M")->popup), Lines({"A", "B\tCtrl+B"}));
}

}  // namespace
}  // namespace menus_test
