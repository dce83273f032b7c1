// Menu command dispatch: a chosen item (or its shortcut) is offered to the focused control,
// then to the menu handlers of the front window's class, then to those of the application's
// class, and finally raises the item's own "Action". Also the MDI frame's menu messages.
// Entry points: DispatchMenuCommand, FrameMenuCommand.
#include "runtime/exceptions/imagecall.h"
#include "runtime/objects/builtinclasses.h"
#include "runtime/objects/objects.h"
#include "runtime/objects/strings.h"
#include "runtime/startup/runstate.h"
#include "runtime/ui/menus.h"
#include "runtime/ui/pane.h"
#include "runtime/ui/uitypes.h"
#include "runtime/ui/viewwindow.h"

namespace {

uint32_t Word(const void* pointer) {
  return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(pointer));
}

// Runs the handlers of one class's menu handler list (that class only, list order) named
// like the item; true when one returned True. The receiver is held by the caller.
bool RunMenuHandlers(ObjectHeader* receiver, const MenuItemObject* item) {
  if (receiver == nullptr || receiver->cls == nullptr) return false;
  // The index travels as a second argument; 0x80000000 says the item is in no array.
  const uint32_t args[2] = {Word(receiver), static_cast<uint32_t>(item->index)};
  for (MenuHandlerEntry* h = receiver->cls->menuHandlers; h != nullptr; h = h->next) {
    if (h->entry == nullptr || CompareNames(h->name, item->name) != 0) continue;
    if ((CallImage(h->entry, 2, args) & 0xFF) != 0) return true;
  }
  return false;
}

bool OfferToFocusedPane(MenuItemObject* item) {
  Pane* focus = FocusedPane();
  return focus != nullptr && focus->HandleMenuItem(item);
}

bool OfferToFrontWindow(const MenuItemObject* item) {
  RuntimeViewWindow* front = FrontmostViewWindow();
  WindowObject* window = front != nullptr ? front->Window() : nullptr;
  if (window == nullptr) return false;
  ObjectHeader* object = LockObject(&window->header);  // a handler may close the window
  bool handled = RunMenuHandlers(object, item);
  UnlockObject(object);
  return handled;
}

bool RaiseAction(MenuItemObject* item) {
  CodeAddress handler = FindEventHandler(&item->header, AMX_BUILTIN_EVENT(MenuItem, Action));
  if (handler == nullptr) return false;
  return (CallImage1(handler, Word(item)) & 0xFF) != 0;
}

bool Dispatch(MenuItemObject* item) {
  if (OfferToFocusedPane(item)) return true;                                // 2
  if (OfferToFrontWindow(item)) return true;                                // 3
  if (RunMenuHandlers(CurrentRun().application, item)) return true;         // 4
  return RaiseAction(item);                                                 // 5
}

}  // namespace

bool DispatchMenuCommand(int32_t commandId) {
  MenuItemObject* item = FindMenuItemByCommand(commandId);  // 1
  if (item == nullptr) return false;
  // Handlers may remove the item from its menu; it stays alive until the dispatch ends.
  LockObject(&item->header);
  bool handled = Dispatch(item);
  UnlockObject(&item->header);
  return handled;
}

LRESULT FrameMenuCommand(HWND frame, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITMENU) {
    RunMenuEnablingPass();
    return 0;
  }
  // A menu choice (0) or an accelerator (1), not a control's notification.
  if (message == WM_COMMAND && lParam == 0 && HIWORD(wParam) <= 1 &&
      DispatchMenuCommand(static_cast<int32_t>(LOWORD(wParam)))) {
    return 0;
  }
  return DefFrameProcA(frame, CurrentRun().mdiClient, message, wParam, lParam);
}
