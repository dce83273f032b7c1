// Bringing the native menus in line with the items: entries of hidden items leave the
// native menu, shown ones come (back) in order, then grayed and checked states follow
// Enabled and Checked. Runs after every enabling pass and whenever items come or go.
// Entry points: UpdateNativeMenu, UpdateNativeMenus.
#include "runtime/objects/strings.h"
#include "runtime/ui/menus.h"

namespace {

bool IsSeparatorText(const StringRecord* text) {
  return StringLength(text) == 1 && StringText(text)[0] == '-';
}

UINT EntryFlags(const MenuSlot& slot) {
  if (IsSeparatorText(slot.item->text)) return MF_SEPARATOR;
  if (slot.submenu != nullptr) return MF_POPUP;
  return MF_STRING;
}

UINT_PTR EntryId(const MenuSlot& slot) {
  if (slot.submenu != nullptr) return reinterpret_cast<UINT_PTR>(slot.submenu);
  return static_cast<UINT_PTR>(static_cast<uint32_t>(slot.item->commandId));
}

// Step 1. The running position counts only the entries the native menu holds, so that it
// stays the native position of the items after a hidden one.
void PlaceItems(Menu* menu) {
  int32_t p = 0;
  for (MenuSlot& slot : menu->slots) {
    MenuItemObject* item = slot.item;
    if (!item->visible) {
      if (item->inserted) RemoveMenu(menu->popup, static_cast<UINT>(p), MF_BYPOSITION);
      item->position = -1;
      item->inserted = 0;
      continue;
    }
    item->position = p;
    if (!item->inserted) {
      InsertNativeEntry(menu, slot, p);
      item->inserted = 1;
      item->shownEnabled = 1;
      item->shownCheckMark = 0;
    }
    ++p;
  }
}

// Steps 2 and 3.
void ShowStates(Menu* menu) {
  for (MenuSlot& slot : menu->slots) {
    MenuItemObject* item = slot.item;
    if (item->position < 0) continue;
    UINT at = static_cast<UINT>(item->position);
    bool enabled = item->enabled != 0;
    if (enabled != (item->shownEnabled != 0)) {
      EnableMenuItem(menu->popup, at, MF_BYPOSITION | (enabled ? MF_ENABLED : MF_GRAYED));
      item->shownEnabled = enabled ? 1 : 0;
    }
    bool checked = item->checkMark != 0;
    if (checked != (item->shownCheckMark != 0)) {
      CheckMenuItem(menu->popup, at, MF_BYPOSITION | (checked ? MF_CHECKED : MF_UNCHECKED));
      item->shownCheckMark = checked ? 1 : 0;
    }
  }
}

}  // namespace

std::string MenuCaption(const MenuSlot& slot) {
  std::string caption(StringView(slot.item->text));
  if (!slot.shortcut.empty()) caption += "\t" + slot.shortcut;
  return caption;
}

void InsertNativeEntry(Menu* menu, const MenuSlot& slot, int32_t position) {
  std::string caption = MenuCaption(slot);
  UINT flags = EntryFlags(slot);
  const char* text = flags == MF_SEPARATOR ? nullptr : caption.c_str();
  if (position < 0) {
    AppendMenuA(menu->popup, flags, EntryId(slot), text);
  } else {
    InsertMenuA(menu->popup, static_cast<UINT>(position), flags | MF_BYPOSITION, EntryId(slot),
                text);
  }
}

void ReplaceNativeEntry(Menu* menu, const MenuSlot& slot) {
  MenuItemObject* item = slot.item;
  if (item->position < 0) return;
  std::string caption = MenuCaption(slot);
  UINT flags = EntryFlags(slot) == MF_POPUP ? MF_POPUP : MF_STRING;
  UINT state = item->shownEnabled ? MF_ENABLED : MF_GRAYED;
  if (item->shownCheckMark) state |= MF_CHECKED;
  ModifyMenuA(menu->popup, static_cast<UINT>(item->position), flags | state | MF_BYPOSITION,
              EntryId(slot), caption.c_str());
}

void UpdateNativeMenu(Menu* menu) {
  if (menu == nullptr) return;
  PlaceItems(menu);
  ShowStates(menu);
}

void UpdateNativeMenus() {
  for (Menu* menu : MenuBarMenus()) UpdateNativeMenu(menu);
}
