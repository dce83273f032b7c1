// Building the menu bar from the image's stream, the native update that follows Visible,
// Enabled and Checked, the Text and CommandKey properties, and tearing the bar down.
#include <gtest/gtest.h>

#include "runtime/entries/entries.h"
#include "runtime/objects/builtinclasses.h"
#include "runtime/objects/classtable.h"
#include "runtime/objects/objects.h"
#include "runtime/objects/strings.h"
#include "runtime/startup/hooks.h"
#include "runtime/ui/shortcuts.h"
#include "runtime/ui/uitypes.h"
#include "tests/exceptions/testimage.h"
#include "tests/ui/menus_fixture.h"

namespace menus_test {
namespace {

using Lines = std::vector<std::string>;
using imagekit::MenuEntry;

MenuEntry Submenu(const std::string& text, std::vector<MenuEntry> children, int32_t cls) {
  MenuEntry e = Item(text, "", cls);
  e.children = std::move(children);
  return e;
}

class MenuBarTest : public MenusTest {
 protected:
  void LoadStandard() {
    int32_t mi = static_cast<int32_t>(image_.menuItem);
    int32_t qmi = static_cast<int32_t>(image_.quitMenuItem);
    MenuEntry namedSeparator = Item("-", "sepname", mi);
    Load(image_, {TopMenu("Mela", {Item("Info Armonix", "appleInMt", mi), Separator(mi)}, 1),
                  TopMenu("Archivio", {Item("Esci", "FileQuit", qmi, "Q"), Separator(mi)}),
                  TopMenu("Ear training",
                          {Submenu("Note", {Item("Soprano", "mnNS", mi), Item("Alto", "mnNa", mi)}, mi),
                           Item("Accordi", "sf", mi), Separator(mi)}),
                  TopMenu("Accordi", {Item("Stato", "asf", mi), namedSeparator,
                                      Item("Info Armonix", "appleInMt", mi)}),
                  TopMenu("", {}, 2)});
  }
  MenuImage image_;
};

TEST_F(MenuBarTest, BuildsMenusItemsAndNativeEntriesInStreamOrder) {
  LoadStandard();
  ASSERT_TRUE(MenuBarBuilt());
  ASSERT_EQ(MenuBarMenus().size(), 4u);
  EXPECT_EQ(StringView(MenuBarMenus()[0]->name), "Archivio");
  EXPECT_EQ(StringView(MenuBarMenus()[1]->name), "Ear training");
  EXPECT_EQ(MenuBarMenus()[2]->name, nullptr);  // the submenu "Note"
  EXPECT_EQ(StringView(MenuBarMenus()[3]->name), "Accordi");
  // The submenu's untitled entry comes before the title of the menu being read.
  EXPECT_EQ(BarTitles(), "Archivio||Ear training|Accordi");
  EXPECT_EQ(NativeEntries(MenuNamed("Archivio")->popup), Lines({"Esci\tCtrl+Q"}));
  EXPECT_EQ(NativeEntries(MenuNamed("Ear training")->popup), Lines({">Note", "Accordi"}));
  EXPECT_EQ(NativeEntries(MenuBarMenus()[2]->popup), Lines({"Soprano", "Alto"}));
  EXPECT_EQ(NativeEntries(MenuNamed("Accordi")->popup), Lines({"Stato", "-", "Info Armonix"}));
  EXPECT_EQ(GetSubMenu(MenuNamed("Ear training")->popup, 0), MenuBarMenus()[2]->popup);
}

TEST_F(MenuBarTest, ItemFieldsAfterBuilding) {
  LoadStandard();
  MenuItemObject* quit = ItemNamed("filequit");
  ASSERT_NE(quit, nullptr);
  EXPECT_EQ(quit->header.cls, AMX_BUILTIN_CLASS(QuitMenuItem));
  EXPECT_EQ(StringView(quit->name), "FileQuit");
  EXPECT_EQ(StringView(quit->text), "Esci");
  EXPECT_EQ(StringView(quit->commandKey), "Q");
  EXPECT_EQ(quit->index, kNotInArray);
  EXPECT_EQ(quit->menu, MenuNamed("Archivio"));
  EXPECT_EQ(quit->position, 0);
  EXPECT_EQ(quit->enabled, 1);
  EXPECT_EQ(quit->shownEnabled, 1);
  EXPECT_EQ(quit->visible, 1);
  EXPECT_EQ(quit->inserted, 1);
  EXPECT_EQ(quit->checkMark, 0);
  EXPECT_EQ(quit->tag, nullptr);
  EXPECT_EQ(quit->commandId, 1000);
  // Children before their submenu's own item: Soprano 1001, Alto 1002, then Note 1003.
  EXPECT_EQ(ItemNamed("mnNS")->commandId, 1001);
  EXPECT_EQ(ItemNamed("mnNa")->commandId, 1002);
  EXPECT_EQ(ItemNamed("sf")->position, 1);
  EXPECT_EQ(MenuShortcutCommand("Ctrl+Q"), 1000);
}

TEST_F(MenuBarTest, ApplicationMenuAndSeparatorEntriesMakeNoItems) {
  LoadStandard();
  // "appleInMt" exists only once: the copy in the ordinary menu "Accordi".
  MenuItemObject* info = ItemNamed("appleinmt");
  ASSERT_NE(info, nullptr);
  EXPECT_EQ(info->menu, MenuNamed("Accordi"));
  size_t items = 0;
  for (Menu* menu : MenuBarMenus()) items += menu->slots.size();
  EXPECT_EQ(items, 8u);  // Esci; Note, Accordi; Soprano, Alto; Stato, "-", Info Armonix
}

TEST_F(MenuBarTest, ASubmenuInsideTheApplicationMenuStillGetsItsOwnMenu) {
  int32_t mi = static_cast<int32_t>(image_.menuItem);
  Load(image_, {TopMenu("Mela", {Submenu("Altro", {Item("Dentro", "dentro", mi)}, mi),
                                 Item("Info", "info", mi)}, 1),
                TopMenu("File", {Item("Apri", "apri", mi)})});
  // The list of the application menu is dropped, the submenu's own list is not.
  EXPECT_EQ(ItemNamed("info"), nullptr);
  ASSERT_NE(ItemNamed("dentro"), nullptr);
  ASSERT_EQ(MenuBarMenus().size(), 1u + 1u);
  EXPECT_EQ(BarTitles(), "|File");
  EXPECT_EQ(FindMenuItem("", kNotInArray), nullptr);  // no item for "Altro" itself
}

TEST_F(MenuBarTest, KindZeroSeparatorIsANativeSeparatorWithAFindableItem) {
  LoadStandard();
  MenuItemObject* separator = ItemNamed("SEPNAME");
  ASSERT_NE(separator, nullptr);
  EXPECT_EQ(separator->position, 1);
  EXPECT_EQ(GetMenuState(MenuNamed("Accordi")->popup, 1, MF_BYPOSITION) & MF_SEPARATOR,
            static_cast<UINT>(MF_SEPARATOR));
}

TEST_F(MenuBarTest, OldNoIndexValuesReadAsNoIndex) {
  int32_t mi = static_cast<int32_t>(image_.menuItem);
  MenuEntry a = Item("A", "a", mi);
  a.index = static_cast<int32_t>(0x80000010u);
  MenuEntry b = Item("B", "b", mi);
  b.index = static_cast<int32_t>(0x80100000u);
  MenuEntry c = Item("C", "c", mi);
  c.index = 3;
  Load(image_, {TopMenu("M", {a, b, c})});
  EXPECT_EQ(ItemNamed("a")->index, kNotInArray);
  EXPECT_EQ(ItemNamed("b")->index, kNotInArray);
  EXPECT_EQ(ItemNamed("c", 3)->index, 3);
}

TEST_F(MenuBarTest, ItemOfAClassThatIsNoMenuItemWarnsAndRepairsIt) {
  uint32_t plain = image_.AddItemClass({"Plain", -1, 72, {}});
  uint32_t tiny = image_.AddItemClass({"Tiny", -1, 24, {}});
  int32_t window = static_cast<int32_t>(image_.application);  // a built-in, not a MenuItem
  Load(image_, {TopMenu("M", {Item("Uno", "uno", static_cast<int32_t>(plain)),
                              Item("Due", "due", static_cast<int32_t>(tiny)),
                              Item("Tre", "tre", window)})});
  EXPECT_EQ(gDebugMessages, Lines({"WARNING: menu item Uno was not a MenuItem",
                                   "WARNING: menu item Due was not a MenuItem",
                                   "WARNING: menu item Tre was not a MenuItem"}));
  // The image class now descends from MenuItem; the others could not take the item fields
  // (too small, or built in) and their items are plain MenuItems.
  ClassRecord* plainClass = ImageClass(static_cast<int32_t>(plain));
  EXPECT_EQ(plainClass->superclass, AMX_BUILTIN_CLASS(MenuItem));
  EXPECT_EQ(ItemNamed("uno")->header.cls, plainClass);
  EXPECT_EQ(ImageClass(static_cast<int32_t>(tiny))->superclass, nullptr);
  EXPECT_EQ(ItemNamed("due")->header.cls, AMX_BUILTIN_CLASS(MenuItem));
  EXPECT_EQ(ItemNamed("tre")->header.cls, AMX_BUILTIN_CLASS(MenuItem));
  EXPECT_EQ(AMX_BUILTIN_CLASS(Application)->superclass, AMX_BUILTIN_CLASS(Object));
}

TEST_F(MenuBarTest, DamagedStreamKeepsWhatWasReadAndTellsTheUser) {
  int32_t mi = static_cast<int32_t>(image_.menuItem);
  std::vector<MenuEntry> bar = {TopMenu("Primo", {Item("A", "a", mi)}),
                                TopMenu("Secondo", {Item("B", "b", mi)})};
  imagekit::Bytes stream = imagekit::EncodeMenuBarStream(bar);
  stream.resize(stream.size() - 3);  // the last entry is cut short
  testimage::LoadedImage loaded;
  ASSERT_TRUE(testimage::LoadImage(image_.Finish(), {}, false, &loaded));
  ASSERT_TRUE(testimage::LoadClasses(loaded));
  BuildMenuBar(stream.data(), static_cast<uint32_t>(stream.size()));
  EXPECT_TRUE(MenuBarBuilt());
  EXPECT_NE(ItemNamed("a"), nullptr);
  EXPECT_EQ(ItemNamed("b"), nullptr);
  EXPECT_NE(Out().find("The menu bar of the application is damaged"), std::string::npos) << Out();
}

TEST_F(MenuBarTest, EmptyOrMissingStreamGivesAnEmptyBar) {
  BuildMenuBar(nullptr, 0);
  EXPECT_TRUE(MenuBarBuilt());
  EXPECT_TRUE(MenuBarMenus().empty());
  const uint8_t zero[] = {0x00};
  BuildMenuBar(zero, 1);
  EXPECT_EQ(GetMenuItemCount(ApplicationMenuBar()), 0);
}

TEST_F(MenuBarTest, HiddenItemsLeaveTheNativeMenuAndLaterOnesKeepTheirPlace) {
  int32_t mi = static_cast<int32_t>(image_.menuItem);
  Load(image_, {TopMenu("M", {Item("A", "a", mi), Item("B", "b", mi), Item("C", "c", mi),
                              Item("D", "d", mi)})});
  HMENU popup = MenuNamed("M")->popup;
  ItemNamed("b")->visible = 0;
  ItemNamed("c")->checkMark = 1;
  ItemNamed("d")->enabled = 0;
  UpdateNativeMenus();
  EXPECT_EQ(NativeEntries(popup), Lines({"A", "C checked", "D grayed"}));
  EXPECT_EQ(ItemNamed("b")->position, -1);
  EXPECT_EQ(ItemNamed("b")->inserted, 0);
  EXPECT_EQ(ItemNamed("c")->position, 1);
  EXPECT_EQ(ItemNamed("d")->position, 2);
  // Shown again: back in its place, enabled and unchecked as a fresh entry.
  ItemNamed("b")->visible = 1;
  ItemNamed("c")->checkMark = 0;
  UpdateNativeMenus();
  EXPECT_EQ(NativeEntries(popup), Lines({"A", "B", "C", "D grayed"}));
  EXPECT_EQ(ItemNamed("d")->position, 3);
}

TEST_F(MenuBarTest, HidingASubmenuEntryKeepsItsPopupAlive) {
  int32_t mi = static_cast<int32_t>(image_.menuItem);
  Load(image_, {TopMenu("M", {Submenu("Sub", {Item("X", "x", mi)}, mi), Item("A", "a", mi)})});
  MenuItemObject* sub = FindMenuItem("", kNotInArray);
  ASSERT_NE(sub, nullptr);
  sub->visible = 0;
  UpdateNativeMenus();
  EXPECT_TRUE(IsMenu(MenuBarMenus()[1]->popup));
  sub->visible = 1;
  UpdateNativeMenus();
  EXPECT_EQ(NativeEntries(MenuNamed("M")->popup), Lines({">Sub", "A"}));
  EXPECT_EQ(GetSubMenu(MenuNamed("M")->popup, 0), MenuBarMenus()[1]->popup);
}

TEST_F(MenuBarTest, TextSetterReplacesTheWholeCaptionAndKeepsTheShortcut) {
  LoadStandard();
  ObjectHeader* quit = RuntimeMenuReference(StringRef::Adopt(MakeStringFromC("filequit")).get());
  StringRef text = StringRef::Adopt(MakeStringFromC("Fine"));
  menuItemTextSetter(quit, 0, text.get());
  EXPECT_EQ(NativeEntries(MenuNamed("Archivio")->popup), Lines({"Fine"}));
  EXPECT_EQ(MenuShortcutCommand("Ctrl+Q"), 1000);
  EXPECT_EQ(gDebugMessages, Lines({"changing text of Quit menu item"}));
  StringRecord* got = menuItemTextGetter(quit, 0);
  EXPECT_EQ(StringView(got), "Fine");
  UnlockString(got);
  RuntimeUnlockObject(quit);
}

TEST_F(MenuBarTest, TextSetterOnAHiddenItemShowsTheTextWhenItComesBack) {
  LoadStandard();
  MenuItemObject* sf = ItemNamed("sf");
  sf->visible = 0;
  UpdateNativeMenus();
  menuItemTextSetter(&sf->header, 0, StringRef::Adopt(MakeStringFromC("Accordi!")).get());
  EXPECT_EQ(NativeEntries(MenuNamed("Ear training")->popup), Lines({">Note"}));
  sf->visible = 1;
  UpdateNativeMenus();
  EXPECT_EQ(NativeEntries(MenuNamed("Ear training")->popup), Lines({">Note", "Accordi!"}));
}

TEST_F(MenuBarTest, TextSetterOnObjectsThatAreNoItemsDoesNoHarm) {
  ObjectHeader* notItem = MakeObject(AMX_BUILTIN_CLASS(Object));
  StringRef text = StringRef::Adopt(MakeStringFromC("Testo"));
  menuItemTextSetter(notItem, 0, text.get());
  menuItemTextSetter(nullptr, 0, text.get());
  EXPECT_EQ(menuItemTextGetter(notItem, 0), nullptr);
  EXPECT_EQ(gDebugMessages, Lines({"WARNING: menu item Testo was not a MenuItem"}));
  EXPECT_EQ(notItem->cls->superclass, nullptr);  // a built-in class keeps its chain
  UnlockObject(notItem);
}

TEST_F(MenuBarTest, CommandKeySetterStoresOnly) {
  LoadStandard();
  MenuItemObject* sf = ItemNamed("sf");
  menuItemCommandKeySetter(&sf->header, 0, StringRef::Adopt(MakeStringFromC("K")).get());
  EXPECT_EQ(StringView(sf->commandKey), "K");
  EXPECT_EQ(MenuShortcutCommand("Ctrl+K"), -1);
  EXPECT_EQ(NativeEntries(MenuNamed("Ear training")->popup), Lines({">Note", "Accordi"}));
}

TEST_F(MenuBarTest, DestroyingTheBarReleasesItemsAndIdentifiers) {
  int32_t before = LiveObjectCount();
  LoadStandard();
  int32_t withBar = LiveObjectCount();
  EXPECT_EQ(withBar - before, 9);  // eight items and the application object
  ObjectHeader* kept = RuntimeMenuReference(StringRef::Adopt(MakeStringFromC("sf")).get());
  DestroyMenuBar();
  EXPECT_FALSE(MenuBarBuilt());
  EXPECT_EQ(ApplicationMenuBar(), nullptr);
  EXPECT_EQ(LiveObjectCount(), before + 2);  // the application and the item still held
  EXPECT_EQ(AsMenuItem(kept)->menu, nullptr);
  EXPECT_EQ(AsMenuItem(kept)->commandId, 0);
  EXPECT_EQ(AllocateCommandId(), 1000);
  EXPECT_EQ(ShortcutCount(), 0);
  RuntimeUnlockObject(kept);
}

TEST_F(MenuBarTest, ShutdownTearsTheBarDownThroughItsHook) {
  LoadStandard();
  ASSERT_TRUE(MenuBarBuilt());
  StartupHooks().destroyMenuBar();
  EXPECT_FALSE(MenuBarBuilt());
  EXPECT_EQ(ApplicationMenuBar(), nullptr);
}

TEST_F(MenuBarTest, RebuildingReplacesTheOldBar) {
  LoadStandard();
  int32_t mi = static_cast<int32_t>(image_.menuItem);
  Build({TopMenu("Solo", {Item("Uno", "uno", mi)})});
  ASSERT_EQ(MenuBarMenus().size(), 1u);
  EXPECT_EQ(ItemNamed("uno")->commandId, 1000);
  EXPECT_EQ(ItemNamed("filequit"), nullptr);
  EXPECT_EQ(BarTitles(), "Solo");
}

}  // namespace
}  // namespace menus_test
