// The menu layer as the rest of the runtime calls it: the application menu bar (built from
// the image's stream by the start-up hook), the enabling pass, command dispatch and item
// lookup. MenuItemObject is the layout of a "MenuItem" object (72 bytes); compiled code
// writes Enabled at offset 60 directly. Entry points: BuildMenuBar, RunMenuEnablingPass,
// DispatchMenuCommand, InstallMenuHooks.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "native/win32.h"
#include "runtime/objects/object.h"
#include "runtime/objects/string.h"

struct Menu;
struct ClassRecord;

// Invariants: an item is in at most one menu, and then `menu` names it and the menu holds
// one reference; `position` is its index among the shown entries of that native menu, or -1;
// `inserted` says whether the native menu has an entry for it. Outside a menu: menu nil,
// position -1, inserted 0, commandId 0.
struct MenuItemObject {
  ObjectHeader header;
  uint32_t unused[2];
  StringRecord* name;
  StringRecord* text;
  StringRecord* balloonHelp;
  StringRecord* disabledBalloonHelp;
  int32_t index;  // kNotInArray outside menu item arrays
  StringRecord* tag;
  Menu* menu;
  int32_t position;  // in the native menu; -1 while not shown
  StringRecord* commandKey;
  uint8_t enabled;
  uint8_t shownEnabled;
  uint8_t checkMark;
  uint8_t shownCheckMark;
  uint8_t unusedByte;
  uint8_t visible;
  uint8_t inserted;
  uint8_t pad;
  int32_t commandId;
};
static_assert(sizeof(MenuItemObject) == 72);
static_assert(offsetof(MenuItemObject, name) == 24);
static_assert(offsetof(MenuItemObject, text) == 28);
static_assert(offsetof(MenuItemObject, index) == 40);
static_assert(offsetof(MenuItemObject, tag) == 44);
static_assert(offsetof(MenuItemObject, menu) == 48);
static_assert(offsetof(MenuItemObject, position) == 52);
static_assert(offsetof(MenuItemObject, commandKey) == 56);
static_assert(offsetof(MenuItemObject, enabled) == 60);
static_assert(offsetof(MenuItemObject, checkMark) == 62);
static_assert(offsetof(MenuItemObject, visible) == 65);
static_assert(offsetof(MenuItemObject, inserted) == 66);
static_assert(offsetof(MenuItemObject, commandId) == 68);

static_assert(offsetof(MenuItemObject, shownEnabled) == 61);
static_assert(offsetof(MenuItemObject, shownCheckMark) == 63);

inline MenuItemObject* AsMenuItem(ObjectHeader* object) {
  return reinterpret_cast<MenuItemObject*>(object);
}

// What the native menu shows for one item besides its text.
struct MenuSlot {
  MenuItemObject* item;   // one reference held by the menu
  HMENU submenu;          // the popup the entry opens, or nil
  std::string shortcut;   // shown after a tab ("Ctrl+Q"), empty when none
};

// One menu of the bar (top-level, or the unnamed menu of a submenu entry), in bar order.
struct Menu {
  StringRecord* name = nullptr;  // the top-level title; nil for submenus (own reference)
  HMENU popup = nullptr;
  std::vector<MenuSlot> slots;   // the items in order
};

// ---- The menu bar (menubar.cpp) ----

// Builds the menu bar from the image's stream (the start-up hook for the menu-bar item). A
// bar built before is destroyed first. A damaged stream keeps what was read before the
// damage and tells the user once.
void BuildMenuBar(const uint8_t* stream, uint32_t length);
// Releases every item, frees their command identifiers and destroys the native menus.
void DestroyMenuBar();
// The native menu bar, or nil before it is built.
HMENU ApplicationMenuBar();
bool MenuBarBuilt();
// The menus in bar order (tests and the lookups walk them).
const std::vector<Menu*>& MenuBarMenus();
// Sets buildMenuBar, menuBar and frameMenuCommand of StartupHooks(). Runs once by itself
// when the menu layer is linked in; tests call it again after ResetStartupHooks().
void InstallMenuHooks();

// ---- Items (menuitem.cpp) ----

// True when the object is a menu item (its class descends from "MenuItem").
bool IsMenuItem(ObjectHeader* object);
// The class to make an item of: cls itself when it is a menu item class big enough for the
// item fields; otherwise the warning "WARNING: menu item <text> was not a MenuItem" goes to
// the debug hook and cls is repaired (MenuItem becomes its superclass) when that is safe,
// else the built-in MenuItem class is used.
ClassRecord* MenuItemClassFor(ClassRecord* cls, StringRecord* text);
// Adds the item to the end of the menu (taking over the caller's reference).
void AppendMenuSlot(Menu* menu, const MenuSlot& slot);
// The item's slot in its menu, or nil.
MenuSlot* SlotOf(MenuItemObject* item);
// Clears the item's tie to `menu`, the menu holding it: its shortcut and command identifier
// are given up (a stale shortcut would run whichever item gets the identifier next) and it
// records no menu or position. Leaves the menu's slots and reference to the caller.
void DetachMenuItem(Menu* menu, MenuItemObject* item);
// Takes the item out of its menu: native entry, array, command identifier, shortcut; then
// releases the menu's reference and updates the menu. Nothing for an item in no menu.
void RemoveMenuItem(MenuItemObject* item);

// ---- Lookup (menulookup.cpp) ----

// The first item (menus in order, items in order) with that name (ignoring case) and index;
// lent, or nil.
MenuItemObject* FindMenuItem(std::string_view name, int32_t index);
// The item with that command identifier, or nil (identifier 0 is never found).
MenuItemObject* FindMenuItemByCommand(int32_t commandId);

// ---- Native update (menuupdate.cpp) ----

// Brings one native menu, or all, in line with Visible, Enabled and Checked of the items.
void UpdateNativeMenu(Menu* menu);
void UpdateNativeMenus();
// The caption of a slot's native entry: the text, then a tab and the shortcut when shown.
std::string MenuCaption(const MenuSlot& slot);
// Puts the slot's entry into the native menu at a position (-1: at the end): a separator
// for the text "-", the submenu's popup, or a command.
void InsertNativeEntry(Menu* menu, const MenuSlot& slot, int32_t position);
// Replaces the native entry at the item's position with the slot's current caption.
void ReplaceNativeEntry(Menu* menu, const MenuSlot& slot);

// ---- Enabling and dispatch (menuenabling.cpp, menudispatch.cpp) ----

// The enabling pass (menu initialisation, window activation); nothing before the bar exists.
void RunMenuEnablingPass();
// Dispatch of a menu command identifier; true when something handled it.
bool DispatchMenuCommand(int32_t commandId);
// The MDI frame's menu messages: WM_COMMAND of a menu, WM_INITMENU.
LRESULT FrameMenuCommand(HWND frame, UINT message, WPARAM wParam, LPARAM lParam);

// ---- Command identifiers (commandids.cpp) ----

constexpr int32_t kCommandIdSlots = 1024;
constexpr int32_t kFirstCommandId = 1000;
// The first free slot s gives 1000 + s; 0 when every slot is taken.
int32_t AllocateCommandId();
// Frees the identifier's slot; 0 and identifiers outside 1000..2023 are ignored.
void FreeCommandId(int32_t commandId);
void FreeAllCommandIds();  // tests and shutdown
