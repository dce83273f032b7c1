// The runtime's own handlers of QuitMenuItem: "EnableMenu" enables the item, and the
// inherited "Action" first raises the item's re-declared "Action" and, when nobody handles
// that, runs the quitting procedure. Entry points: QuitMenuItemEnableMenu, QuitMenuItemAction.
#include "runtime/entries/entry.h"
#include "runtime/exceptions/imagecall.h"
#include "runtime/objects/builtinclasses.h"
#include "runtime/objects/objects.h"
#include "runtime/startup/quit.h"
#include "runtime/startup/runstate.h"
#include "runtime/ui/menus.h"

// Both are called like image handlers (CallImage, receiver first), so they are declared
// with the entry attributes; FindEventHandler finds them through menus.def.
AMX_ENTRY void QuitMenuItemEnableMenu(ObjectHeader* item) noexcept {
  if (IsMenuItem(item)) AsMenuItem(item)->enabled = 1;
}

AMX_ENTRY uint32_t QuitMenuItemAction(ObjectHeader* item) noexcept {
  AMX_IMAGE_CALLER();
  CodeAddress own = FindEventHandler(item, AMX_BUILTIN_EVENT(QuitMenuItem, Action));
  uint32_t word = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(item));
  if (own != nullptr && (CallImage1(own, word) & 0xFF) != 0) return 1;
  if (QuitApplication()) CurrentRun().quit = true;
  return 1;  // handled in every case
}
