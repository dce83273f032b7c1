// Menus: menu bars and pop-up menus with command identifiers, separators, grayed, disabled
// and checked items, addressed by command or by position. A change tells the backend so that
// a shown menu bar follows. Entry points: CreateMenu, AppendMenuA, EnableMenuItem, SetMenu.
#include <algorithm>
#include <cstring>

#include "native/core/state.h"

namespace native {
namespace {

HMENU ValidMenu(HMENU menu) {
  if (menu && State().menus.count(menu)) return menu;
  State().lastError = ERROR_INVALID_MENU_HANDLE;
  return nullptr;
}

void Changed() {
  if (HasBackend()) TheBackend().MenusChanged();
}

// Finds an item by position, or by command identifier searching submenus depth first.
MenuItem* Locate(HMENU menu, UINT item, UINT flags, HMENU* owner = nullptr, size_t* index = nullptr) {
  if (!ValidMenu(menu)) return nullptr;
  if (flags & MF_BYPOSITION) {
    if (item >= menu->items.size()) return nullptr;
    if (owner) *owner = menu;
    if (index) *index = item;
    return &menu->items[item];
  }
  for (size_t i = 0; i < menu->items.size(); ++i) {
    MenuItem& it = menu->items[i];
    if (!(it.flags & MF_POPUP) && !(it.flags & MF_SEPARATOR) && it.id == item) {
      if (owner) *owner = menu;
      if (index) *index = i;
      return &it;
    }
    if ((it.flags & MF_POPUP) && ValidMenu(it.popup)) {
      if (MenuItem* found = Locate(it.popup, item, flags, owner, index)) return found;
    }
  }
  return nullptr;
}

bool MakeItem(UINT flags, UINT_PTR idOrPopup, LPCSTR text, MenuItem* out) {
  out->flags = flags & (MF_GRAYED | MF_DISABLED | MF_CHECKED | MF_SEPARATOR | MF_POPUP |
                        MF_MENUBARBREAK | MF_MENUBREAK);
  if (flags & MF_POPUP) {
    auto* popup = reinterpret_cast<HMENU>(idOrPopup);
    if (!ValidMenu(popup)) return false;
    out->popup = popup;
    popup->isPopup = true;
  } else {
    out->id = static_cast<UINT>(idOrPopup);
  }
  if (!(flags & MF_SEPARATOR) && text && !IS_INTRESOURCE(text)) out->text = text;
  return true;
}

HMENU NewMenu(bool popup) {
  HMENU m = new HMENU__();
  m->isPopup = popup;
  State().menus.insert(m);
  return m;
}

UINT StateOf(const MenuItem& it) {
  UINT state = it.flags & (MF_GRAYED | MF_DISABLED | MF_CHECKED | MF_SEPARATOR |
                           MF_MENUBARBREAK | MF_MENUBREAK);
  if (it.flags & MF_POPUP) state |= MF_POPUP | ((ValidMenu(it.popup) ? it.popup->items.size() : 0) << 8);
  return state;
}

}  // namespace
}  // namespace native

using namespace native;

HMENU CreateMenu() { return NewMenu(false); }
HMENU CreatePopupMenu() { return NewMenu(true); }

BOOL DestroyMenu(HMENU menu) {
  auto& s = State();
  if (!ValidMenu(menu)) return FALSE;
  s.menus.erase(menu);
  for (MenuItem& it : menu->items) {
    if ((it.flags & MF_POPUP) && s.menus.count(it.popup)) DestroyMenu(it.popup);
  }
  for (HWND w : s.windows) {
    if (w->menu == menu) w->menu = nullptr;
  }
  delete menu;
  Changed();
  return TRUE;
}

BOOL IsMenu(HMENU menu) { return menu && State().menus.count(menu) ? TRUE : FALSE; }

BOOL AppendMenuA(HMENU menu, UINT flags, UINT_PTR idOrPopup, LPCSTR text) {
  if (!ValidMenu(menu)) return FALSE;
  MenuItem item;
  if (!MakeItem(flags, idOrPopup, text, &item)) return FALSE;
  menu->items.push_back(item);
  Changed();
  return TRUE;
}

BOOL InsertMenuA(HMENU menu, UINT position, UINT flags, UINT_PTR idOrPopup, LPCSTR text) {
  if (!ValidMenu(menu)) return FALSE;
  MenuItem item;
  if (!MakeItem(flags, idOrPopup, text, &item)) return FALSE;
  size_t at = menu->items.size();
  if (flags & MF_BYPOSITION) {
    at = std::min<size_t>(position, menu->items.size());  // -1 and beyond: append
  } else {
    HMENU owner = nullptr;
    size_t index = 0;
    if (!Locate(menu, position, MF_BYCOMMAND, &owner, &index)) return FALSE;
    owner->items.insert(owner->items.begin() + index, item);
    Changed();
    return TRUE;
  }
  menu->items.insert(menu->items.begin() + at, item);
  Changed();
  return TRUE;
}

BOOL ModifyMenuA(HMENU menu, UINT position, UINT flags, UINT_PTR idOrPopup, LPCSTR text) {
  MenuItem* it = Locate(menu, position, flags);
  if (!it) return FALSE;
  MenuItem replacement;
  if (!MakeItem(flags, idOrPopup, text, &replacement)) return FALSE;
  *it = replacement;
  Changed();
  return TRUE;
}

BOOL RemoveMenu(HMENU menu, UINT position, UINT flags) {
  HMENU owner = nullptr;
  size_t index = 0;
  if (!Locate(menu, position, flags, &owner, &index)) return FALSE;
  owner->items.erase(owner->items.begin() + index);
  Changed();
  return TRUE;
}

BOOL DeleteMenu(HMENU menu, UINT position, UINT flags) {
  HMENU owner = nullptr;
  size_t index = 0;
  MenuItem* it = Locate(menu, position, flags, &owner, &index);
  if (!it) return FALSE;
  HMENU popup = (it->flags & MF_POPUP) ? it->popup : nullptr;
  owner->items.erase(owner->items.begin() + index);
  if (popup && IsMenu(popup)) DestroyMenu(popup);
  Changed();
  return TRUE;
}

BOOL EnableMenuItem(HMENU menu, UINT item, UINT flags) {
  MenuItem* it = Locate(menu, item, flags);
  if (!it) return -1;
  UINT previous = it->flags & (MF_GRAYED | MF_DISABLED);
  it->flags = (it->flags & ~(MF_GRAYED | MF_DISABLED)) | (flags & (MF_GRAYED | MF_DISABLED));
  if (previous != (it->flags & (MF_GRAYED | MF_DISABLED))) Changed();
  return static_cast<BOOL>(previous);
}

DWORD CheckMenuItem(HMENU menu, UINT item, UINT flags) {
  MenuItem* it = Locate(menu, item, flags);
  if (!it) return 0xFFFFFFFFu;
  DWORD previous = it->flags & MF_CHECKED;
  it->flags = (it->flags & ~MF_CHECKED) | (flags & MF_CHECKED);
  if (previous != (it->flags & MF_CHECKED)) Changed();
  return previous;
}

UINT GetMenuState(HMENU menu, UINT item, UINT flags) {
  MenuItem* it = Locate(menu, item, flags);
  return it ? StateOf(*it) : 0xFFFFFFFFu;
}

int GetMenuItemCount(HMENU menu) {
  return ValidMenu(menu) ? static_cast<int>(menu->items.size()) : -1;
}

UINT GetMenuItemID(HMENU menu, int position) {
  if (!ValidMenu(menu) || position < 0 || static_cast<size_t>(position) >= menu->items.size()) {
    return 0xFFFFFFFFu;
  }
  const MenuItem& it = menu->items[position];
  return (it.flags & MF_POPUP) ? 0xFFFFFFFFu : it.id;
}

HMENU GetSubMenu(HMENU menu, int position) {
  if (!ValidMenu(menu) || position < 0 || static_cast<size_t>(position) >= menu->items.size()) {
    return nullptr;
  }
  const MenuItem& it = menu->items[position];
  return (it.flags & MF_POPUP) && IsMenu(it.popup) ? it.popup : nullptr;
}

int GetMenuStringA(HMENU menu, UINT item, LPSTR buffer, int size, UINT flags) {
  MenuItem* it = Locate(menu, item, flags);
  if (!it) return 0;
  if (!buffer || size <= 0) return static_cast<int>(it->text.size());
  int n = std::min<int>(it->text.size(), size - 1);
  std::memcpy(buffer, it->text.data(), n);
  buffer[n] = 0;
  return n;
}

HMENU GetMenu(HWND hwnd) {
  if (!Valid(hwnd) || !IsTopLevel(hwnd)) return nullptr;
  return hwnd->menu && IsMenu(hwnd->menu) ? hwnd->menu : nullptr;
}

BOOL SetMenu(HWND hwnd, HMENU menu) {
  if (!Valid(hwnd) || !IsTopLevel(hwnd) || (menu && !ValidMenu(menu))) return FALSE;
  if (hwnd->menu == menu) return TRUE;
  // The client area shrinks or grows by the bar; the window rectangle stays.
  hwnd->menu = menu;
  RECT client = ClientRect(hwnd);
  SendMessageA(hwnd, WM_SIZE, SIZE_RESTORED, MAKELPARAM(client.right, client.bottom));
  if (IsWindow(hwnd)) InvalidateAll(hwnd, true);
  if (HasBackend()) {
    TheBackend().WindowGeometryChanged(hwnd);
    TheBackend().MenusChanged();
  }
  return TRUE;
}

BOOL DrawMenuBar(HWND hwnd) {
  if (!Valid(hwnd)) return FALSE;
  Changed();
  return TRUE;
}
