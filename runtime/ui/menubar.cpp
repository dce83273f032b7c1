// The application menu bar: its menus in bar order and the native bar, built once from the
// image's menu-bar stream (top-level menus, their items, submenus, separators) and destroyed
// at shutdown. Installs the start-up hooks that hand the stream over and give the MDI frame
// the bar. Entry points: BuildMenuBar, DestroyMenuBar, InstallMenuHooks.
#include <cstring>
#include <string>
#include <vector>

#include "runtime/objects/classtable.h"
#include "runtime/objects/objects.h"
#include "runtime/objects/strings.h"
#include "runtime/records/datablock.h"
#include "runtime/records/menubar.h"
#include "runtime/startup/hooks.h"
#include "runtime/startup/message.h"
#include "runtime/ui/menus.h"
#include "runtime/ui/shortcuts.h"

namespace {

// Invariant: `built` is set once BuildMenuBar ran and cleared by DestroyMenuBar; every menu
// of `menus` has its popup on `bar`.
struct MenuBarState {
  HMENU bar = nullptr;
  std::vector<Menu*> menus;
  bool built = false;
};

MenuBarState& Bar() {
  static MenuBarState* state = new MenuBarState;  // lives for the process
  return *state;
}

StringRecord* TextOrNil(std::string_view text) {
  return MakeString(text.data(), static_cast<int32_t>(text.size()));
}

Menu* NewMenu(std::string_view name) {
  Menu* menu = new Menu;
  menu->name = TextOrNil(name);
  menu->popup = CreatePopupMenu();
  Bar().menus.push_back(menu);
  return menu;
}

void FillItem(MenuItemObject* item, Menu* menu, const MenuBarEntry& entry, StringRecord* text) {
  item->name = TextOrNil(entry.name);
  item->text = LockString(text);
  item->commandKey = TextOrNil(entry.key);
  item->balloonHelp = TextOrNil(entry.balloonHelp);
  item->disabledBalloonHelp = TextOrNil(entry.disabledBalloonHelp);
  item->index = entry.index;
  item->tag = nullptr;
  item->menu = menu;
  item->position = static_cast<int32_t>(menu->slots.size());
  item->enabled = 1;
  item->shownEnabled = 1;
  item->visible = 1;
  item->inserted = 1;
  item->commandId = AllocateCommandId();
}

// The shortcut shown after the caption; a plain command's shortcut is registered as well
// (an item without an identifier cannot be chosen, so it registers none).
std::string ShortcutFor(Menu* menu, const MenuItemObject* item, const MenuBarEntry& entry,
                        bool hasSubmenu) {
  if (entry.text == "-") return "";
  std::string shortcut = ShortcutTextFromKeySpec(std::string(entry.key));
  if (!hasSubmenu && !shortcut.empty() && item->commandId != 0) {
    RegisterMenuShortcut(menu->popup, item->commandId, shortcut);
  }
  return shortcut;
}

void CreateItem(Menu* menu, const MenuBarEntry& entry, HMENU submenu) {
  StringRef text = StringRef::Adopt(TextOrNil(entry.text));
  ClassRecord* cls = MenuItemClassFor(ImageClass(entry.classIndex), text.get());
  ObjectHeader* object = MakeObject(cls);
  if (object == nullptr) return;  // its constructor gave it up
  MenuItemObject* item = AsMenuItem(object);
  FillItem(item, menu, entry, text.get());
  MenuSlot slot{item, submenu, ShortcutFor(menu, item, entry, submenu != nullptr)};
  InsertNativeEntry(menu, slot, -1);
  AppendMenuSlot(menu, slot);
}

// A child list: a child with a submenu gets an unnamed menu holding its own children, whose
// popup also goes on the bar, untitled; target nil drops the items of the list.
void ReadChildren(MenuBarReader& reader, int32_t count, Menu* target) {
  for (int32_t i = 0; i < count; ++i) {
    MenuBarEntry entry;
    if (!reader.Next(entry)) return;
    HMENU submenu = nullptr;
    if (entry.hasSubmenu) {
      Menu* sub = NewMenu("");
      ReadChildren(reader, entry.childCount, sub);
      AppendMenuA(Bar().bar, MF_POPUP, reinterpret_cast<UINT_PTR>(sub->popup), "");
      submenu = sub->popup;
    }
    if (reader.Failed()) return;
    if (target != nullptr && entry.kind != kMenuEntrySeparator) CreateItem(target, entry, submenu);
  }
}

void ReadTopLevel(MenuBarReader& reader) {
  for (int32_t i = 0; i < reader.TopLevelCount(); ++i) {
    MenuBarEntry entry;
    if (!reader.Next(entry)) return;
    bool ownMenu = entry.kind != kMenuEntryApplication && entry.kind != kMenuEntrySeparator;
    Menu* menu = ownMenu ? NewMenu(entry.text) : nullptr;
    std::string title(entry.text);
    ReadChildren(reader, entry.childCount, menu);
    if (menu != nullptr) {
      AppendMenuA(Bar().bar, MF_POPUP, reinterpret_cast<UINT_PTR>(menu->popup), title.c_str());
    }
    if (reader.Failed()) return;
  }
}

void ReportDamage(const MenuBarReader& reader) {
  ShowRuntimeMessage("The menu bar of the application is damaged; the menus read before the "
                     "damage are kept. " + reader.Error());
}

// True when the stream at offset is preceded by its project item's kind and length words.
bool IsMenuBarItemAt(const DataBlock& block, uint32_t offset, uint32_t length) {
  uint32_t kind = 0, stored = 0;
  return offset >= 8 && block.ReadWord(offset - 8, kind) && kind == 2 &&
         block.ReadWord(offset - 4, stored) && stored == length;
}

void ReadItem(const DataBlock& block, uint32_t itemOffset) {
  MenuBarReader reader(block, itemOffset, ImageClassCount() > 0 ? ImageClassCount() : -1);
  ReadTopLevel(reader);
  if (reader.Failed()) ReportDamage(reader);
}

void ReleaseMenu(Menu* menu) {
  for (MenuSlot& slot : menu->slots) DetachMenuItem(menu, slot.item);
  std::vector<MenuSlot> slots;
  slots.swap(menu->slots);
  for (MenuSlot& slot : slots) UnlockObject(&slot.item->header);
  UnlockString(menu->name);
  if (IsMenu(menu->popup)) DestroyMenu(menu->popup);
  delete menu;
}

}  // namespace

void BuildMenuBar(const uint8_t* stream, uint32_t length) {
  DestroyMenuBar();
  MenuBarState& state = Bar();
  state.bar = CreateMenu();
  state.built = true;
  if (stream == nullptr) length = 0;
  // The reader takes a whole project item (kind, length, stream); the stream normally lies
  // inside the image's data1 right after that header, so its messages name real offsets.
  const DataBlock& image = ImageData();
  uint32_t offset = 0;
  if (image.bytes != nullptr && stream != nullptr && image.OffsetOfAddress(stream, offset) &&
      IsMenuBarItemAt(image, offset, length)) {
    ReadItem(image, offset - 8);
    return;
  }
  std::vector<uint8_t> item(8 + static_cast<size_t>(length));
  const uint32_t header[2] = {2, length};  // the project item's kind and length words
  std::memcpy(item.data(), header, 8);
  if (length > 0) std::memcpy(item.data() + 8, stream, length);
  ReadItem(DataBlock::Unrelocated(item.data(), static_cast<uint32_t>(item.size())), 0);
}

void DestroyMenuBar() {
  MenuBarState& state = Bar();
  std::vector<Menu*> menus;
  menus.swap(state.menus);
  state.built = false;
  HMENU bar = state.bar;
  state.bar = nullptr;
  // Popups first (each only once, although a submenu's popup also sits on the bar).
  if (bar != nullptr && IsMenu(bar)) {
    for (int i = GetMenuItemCount(bar) - 1; i >= 0; --i) RemoveMenu(bar, static_cast<UINT>(i), MF_BYPOSITION);
    DestroyMenu(bar);
  }
  for (Menu* menu : menus) ReleaseMenu(menu);
}

HMENU ApplicationMenuBar() { return Bar().bar; }
bool MenuBarBuilt() { return Bar().built; }
const std::vector<Menu*>& MenuBarMenus() { return Bar().menus; }

void InstallMenuHooks() {
  RuntimeHooks& hooks = StartupHooks();
  hooks.buildMenuBar = BuildMenuBar;
  hooks.menuBar = ApplicationMenuBar;
  hooks.frameMenuCommand = FrameMenuCommand;
  hooks.destroyMenuBar = DestroyMenuBar;
}

namespace {
// The menu layer plugs itself in as soon as it is part of the program.
[[maybe_unused]] const bool gHooksInstalled = (InstallMenuHooks(), true);
}  // namespace
