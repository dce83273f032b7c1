// Menu item objects: the class check and repair every item goes through, the destructor,
// a menu's array of items, taking an item out of its menu, and the property entries that do
// more than store a field (Text, CommandKey) plus RuntimeEnableMenu.
// Entry points: MenuItemClassFor, RemoveMenuItem, menuItemTextSetter.
#include <string>

#include "runtime/entries/entries.h"
#include "runtime/objects/builtinclasses.h"
#include "runtime/objects/objects.h"
#include "runtime/objects/strings.h"
#include "runtime/startup/fatal.h"
#include "runtime/ui/menus.h"
#include "runtime/ui/shortcuts.h"

namespace {

constexpr int32_t kItemSize = static_cast<int32_t>(sizeof(MenuItemObject));

ClassRecord* MenuItemClass() { return AMX_BUILTIN_CLASS(MenuItem); }

void WarnNotMenuItem(StringRecord* text) {
  std::string message = "WARNING: menu item " + std::string(StringView(text)) +
                        " was not a MenuItem";
  DebugMessage(message.c_str());
}

// Making MenuItem the superclass of a class is safe only for classes of the image whose
// objects have room for the item fields; a built-in class keeps its own chain.
bool CanRepair(const ClassRecord* cls) {
  return cls->builtIn == 0 && cls->isInterface == 0 && cls->instanceSize >= kItemSize;
}

// The object as an item whose fields may be touched, after the repair of its class when the
// class is not a menu item class; nil when it cannot be one.
MenuItemObject* ItemForUpdate(ObjectHeader* object, StringRecord* textForWarning) {
  if (object == nullptr) return nullptr;
  if (!ObjectIsa(object, MenuItemClass())) {
    WarnNotMenuItem(textForWarning);
    if (!CanRepair(object->cls)) return nullptr;
    object->cls->superclass = MenuItemClass();
  }
  return IsMenuItem(object) ? AsMenuItem(object) : nullptr;
}

void ReplaceString(StringRecord** field, StringRecord* value) {
  StringRecord* old = *field;
  *field = LockString(value);
  UnlockString(old);
}

}  // namespace

namespace builtins {

// Releases every string the item holds (the four texts, the tag and the command key).
void MenuItemDestructor(ObjectHeader* object, ClassRecord*) {
  MenuItemObject* item = AsMenuItem(object);
  for (StringRecord** field : {&item->name, &item->text, &item->balloonHelp,
                               &item->disabledBalloonHelp, &item->tag, &item->commandKey}) {
    UnlockString(*field);
    *field = nullptr;
  }
}

}  // namespace builtins

bool IsMenuItem(ObjectHeader* object) {
  return object != nullptr && ObjectIsa(object, MenuItemClass()) &&
         object->cls->instanceSize >= kItemSize;
}

ClassRecord* MenuItemClassFor(ClassRecord* cls, StringRecord* text) {
  ClassRecord* menuItem = MenuItemClass();
  if (cls == nullptr) return menuItem;
  if (!ClassIsa(cls, menuItem)) {
    WarnNotMenuItem(text);
    if (!CanRepair(cls)) return menuItem;
    cls->superclass = menuItem;
  }
  // A subclass declared smaller than the item fields would be written past its end.
  return cls->instanceSize >= kItemSize ? cls : menuItem;
}

void AppendMenuSlot(Menu* menu, const MenuSlot& slot) { menu->slots.push_back(slot); }

MenuSlot* SlotOf(MenuItemObject* item) {
  if (item == nullptr || item->menu == nullptr) return nullptr;
  for (MenuSlot& slot : item->menu->slots) {
    if (slot.item == item) return &slot;
  }
  return nullptr;
}

void DetachMenuItem(Menu* menu, MenuItemObject* item) {
  ForgetMenuShortcut(menu->popup, item->commandId);
  FreeCommandId(item->commandId);
  item->commandId = 0;
  item->menu = nullptr;
  item->position = -1;
  item->inserted = 0;
}

void RemoveMenuItem(MenuItemObject* item) {
  Menu* menu = item != nullptr ? item->menu : nullptr;
  if (menu == nullptr) return;
  for (size_t i = 0; i < menu->slots.size(); ++i) {
    if (menu->slots[i].item != item) continue;
    if (item->inserted && item->position >= 0) {
      // RemoveMenu, not DeleteMenu: a submenu's popup stays alive on the bar.
      RemoveMenu(menu->popup, static_cast<UINT>(item->position), MF_BYPOSITION);
    }
    menu->slots.erase(menu->slots.begin() + static_cast<std::ptrdiff_t>(i));
    DetachMenuItem(menu, item);
    UnlockObject(&item->header);
    UpdateNativeMenu(menu);
    return;
  }
}

AMX_ENTRY StringRecord* menuItemTextGetter(ObjectHeader* item, int32_t) noexcept {
  if (!IsMenuItem(item)) return nullptr;
  return LockString(AsMenuItem(item)->text);
}

AMX_ENTRY void menuItemTextSetter(ObjectHeader* object, int32_t, StringRecord* text) noexcept {
  MenuItemObject* item = ItemForUpdate(object, text);
  if (item == nullptr) return;
  ReplaceString(&item->text, text);
  if (ObjectIsa(object, AMX_BUILTIN_CLASS(QuitMenuItem))) {
    DebugMessage("changing text of Quit menu item");
  }
  MenuSlot* slot = SlotOf(item);
  if (slot == nullptr || !item->inserted || item->position < 0) return;
  // The new text is the whole caption: a shortcut suffix shown before is dropped (the
  // shortcut itself stays registered).
  slot->shortcut.clear();
  ReplaceNativeEntry(item->menu, *slot);
}

AMX_ENTRY void menuItemCommandKeySetter(ObjectHeader* object, int32_t,
                                        StringRecord* text) noexcept {
  if (!IsMenuItem(object)) return;
  ReplaceString(&AsMenuItem(object)->commandKey, text);
}

AMX_ENTRY void RuntimeEnableMenu(ObjectHeader* object) noexcept {
  if (!IsMenuItem(object)) return;
  MenuItemObject* item = AsMenuItem(object);
  item->enabled = 1;
  if (item->menu == nullptr || !item->inserted || item->position < 0) return;
  EnableMenuItem(item->menu->popup, static_cast<UINT>(item->position),
                 MF_BYPOSITION | MF_ENABLED);
  item->shownEnabled = 1;
}
