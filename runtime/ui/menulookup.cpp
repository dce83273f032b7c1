// Reaching menu items: by name and index (RuntimeMenuReference, RuntimeMenuArrayReference),
// by command identifier (dispatch), cloning a new element of a menu item array
// (RuntimeCloneMenu) and removing an item (RuntimeCloseMenuItem). Items are searched menu by
// menu in bar order, each menu's items in order. Entry points: the five entries below.
#include "runtime/entries/entries.h"
#include "runtime/exceptions/imagecall.h"
#include "runtime/objects/objects.h"
#include "runtime/objects/strings.h"
#include "runtime/ui/menus.h"
#include "runtime/ui/uitypes.h"

namespace {

bool NameIs(const MenuItemObject* item, std::string_view name) {
  return CompareNames(StringBytes(item->name), StringLength(item->name), name.data(),
                      static_cast<int32_t>(name.size())) == 0;
}

// The last item with the name, whatever its index.
MenuItemObject* FindLastNamed(std::string_view name) {
  MenuItemObject* last = nullptr;
  for (Menu* menu : MenuBarMenus()) {
    for (const MenuSlot& slot : menu->slots) {
      if (NameIs(slot.item, name)) last = slot.item;
    }
  }
  return last;
}

bool IndexTaken(std::string_view name, int32_t index) {
  for (Menu* menu : MenuBarMenus()) {
    for (const MenuSlot& slot : menu->slots) {
      if (slot.item->index == index && NameIs(slot.item, name)) return true;
    }
  }
  return false;
}

int32_t SmallestFreeIndex(std::string_view name) {
  int32_t index = 0;
  while (index < INT32_MAX && IndexTaken(name, index)) ++index;
  return index;
}

void CopyTexts(MenuItemObject* to, const MenuItemObject* from) {
  to->name = LockString(from->name);
  to->text = LockString(from->text);
  to->balloonHelp = LockString(from->balloonHelp);
  to->disabledBalloonHelp = LockString(from->disabledBalloonHelp);
}

// Puts a new element right after `after` in its menu; the menu takes over the reference.
void InsertAfter(MenuItemObject* after, MenuItemObject* item) {
  Menu* menu = after->menu;
  size_t at = menu->slots.size();
  for (size_t i = 0; i < menu->slots.size(); ++i) {
    if (menu->slots[i].item == after) at = i + 1;
  }
  item->menu = menu;
  item->position = after->position + 1;
  item->commandId = AllocateCommandId();
  menu->slots.insert(menu->slots.begin() + static_cast<std::ptrdiff_t>(at),
                     MenuSlot{item, nullptr, ""});
  UpdateNativeMenu(menu);
}

}  // namespace

MenuItemObject* FindMenuItem(std::string_view name, int32_t index) {
  for (Menu* menu : MenuBarMenus()) {
    for (const MenuSlot& slot : menu->slots) {
      if (slot.item->index == index && NameIs(slot.item, name)) return slot.item;
    }
  }
  return nullptr;
}

MenuItemObject* FindMenuItemByCommand(int32_t commandId) {
  if (commandId == 0) return nullptr;
  for (Menu* menu : MenuBarMenus()) {
    for (const MenuSlot& slot : menu->slots) {
      if (slot.item->commandId == commandId) return slot.item;
    }
  }
  return nullptr;
}

AMX_ENTRY ObjectHeader* RuntimeMenuReference(StringRecord* name) noexcept {
  MenuItemObject* item = FindMenuItem(StringView(name), kNotInArray);
  return item != nullptr ? LockObject(&item->header) : nullptr;
}

AMX_ENTRY ObjectHeader* RuntimeMenuArrayReference(StringRecord* name, int32_t index) noexcept {
  MenuItemObject* item = FindMenuItem(StringView(name), index);
  return item != nullptr ? LockObject(&item->header) : nullptr;
}

AMX_ENTRY ObjectHeader* RuntimeCloneMenu(StringRecord* name) noexcept {
  AMX_IMAGE_CALLER();  // an image class's constructor may run
  MenuItemObject* found = FindLastNamed(StringView(name));
  if (found == nullptr) return nullptr;
  int32_t index = SmallestFreeIndex(StringView(name));
  LockObject(&found->header);  // the constructor below may take it out of its menu
  ObjectHeader* object = MakeObject(found->header.cls);
  if (object == nullptr) {
    UnlockObject(&found->header);
    return nullptr;
  }
  MenuItemObject* clone = AsMenuItem(object);
  CopyTexts(clone, found);
  clone->index = index;
  clone->tag = nullptr;
  clone->position = -1;
  clone->enabled = 1;
  clone->visible = 1;
  clone->inserted = 0;
  if (found->menu != nullptr) {
    InsertAfter(found, clone);
    LockObject(object);  // the menu's reference and the caller's
  }
  UnlockObject(&found->header);
  return object;
}

AMX_ENTRY void RuntimeCloseMenuItem(ObjectHeader* item) noexcept {
  AMX_IMAGE_CALLER();  // the item's destructor may be image code
  if (!IsMenuItem(item)) return;
  RemoveMenuItem(AsMenuItem(item));
}
