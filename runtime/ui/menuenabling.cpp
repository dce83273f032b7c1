// The enabling pass behind the "EnableMenuItems" events: every item starts disabled, each
// item's "EnableMenu" runs, the focused control, the front window and the application
// enable what they serve, and the native menus follow. An item nobody enables is grayed.
// Entry points: RunMenuEnablingPass, enableMenuItems.
#include "runtime/entries/entries.h"
#include "runtime/exceptions/imagecall.h"
#include "runtime/objects/builtinclasses.h"
#include "runtime/objects/objects.h"
#include "runtime/startup/appevents.h"
#include "runtime/ui/menus.h"
#include "runtime/ui/pane.h"
#include "runtime/ui/viewwindow.h"

namespace {

uint32_t Word(const void* pointer) {
  return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(pointer));
}

void DisableAll() {
  for (Menu* menu : MenuBarMenus()) {
    for (MenuSlot& slot : menu->slots) slot.item->enabled = 0;
  }
}

// Handlers may add or remove items: the walk re-reads the lists at every step and holds the
// item it raises the event on.
void RaiseEnableMenuOnItems() {
  EventDeclaration* enableMenu = AMX_BUILTIN_EVENT(MenuItem, EnableMenu);
  const std::vector<Menu*>& menus = MenuBarMenus();
  for (size_t m = 0; m < menus.size(); ++m) {
    for (size_t i = 0; m < menus.size() && i < menus[m]->slots.size(); ++i) {
      ObjectHeader* item = &menus[m]->slots[i].item->header;
      CodeAddress handler = FindEventHandler(item, enableMenu);
      if (handler == nullptr) continue;
      LockObject(item);
      CallImage1(handler, Word(item));
      UnlockObject(item);
    }
  }
}

void EnableForFocusedPane() {
  if (Pane* focus = FocusedPane()) focus->EnableMenuItems();
}

void EnableForFrontWindow() {
  RuntimeViewWindow* front = FrontmostViewWindow();
  WindowObject* window = front != nullptr ? front->Window() : nullptr;
  EventDeclaration* declaration = AMX_BUILTIN_EVENT(Window, EnableMenuItems);
  if (window == nullptr) return;
  ObjectHeader* object = LockObject(&window->header);
  if (CodeAddress handler = FindEventHandler(object, declaration)) CallImage1(handler, Word(object));
  UnlockObject(object);
}

}  // namespace

void RunMenuEnablingPass() {
  if (!MenuBarBuilt()) return;
  DisableAll();                                                   // 1
  RaiseEnableMenuOnItems();                                       // 2
  EnableForFocusedPane();                                         // 3
  EnableForFrontWindow();                                         // 4
  FireApplicationEvent(ApplicationEvent::kEnableMenuItems);       // 5
  UpdateNativeMenus();                                            // 6
}

// Compiled code calls this where the enabling of items was asked for; the runtime runs its
// own pass whenever a menu opens, so nothing is left to do here.
AMX_ENTRY void enableMenuItems() noexcept {}
