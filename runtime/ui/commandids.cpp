// Native command identifiers of menu items: 1024 slots, the first free slot s giving
// 1000 + s; 0 when every slot is taken (such an item cannot be chosen). Entry points:
// AllocateCommandId, FreeCommandId.
#include <bitset>

#include "runtime/ui/menus.h"

namespace {

std::bitset<kCommandIdSlots>& Taken() {
  static std::bitset<kCommandIdSlots> taken;
  return taken;
}

}  // namespace

int32_t AllocateCommandId() {
  std::bitset<kCommandIdSlots>& taken = Taken();
  for (int32_t slot = 0; slot < kCommandIdSlots; ++slot) {
    if (!taken.test(static_cast<size_t>(slot))) {
      taken.set(static_cast<size_t>(slot));
      return kFirstCommandId + slot;
    }
  }
  return 0;
}

void FreeCommandId(int32_t commandId) {
  int32_t slot = commandId - kFirstCommandId;
  if (slot < 0 || slot >= kCommandIdSlots) return;
  Taken().reset(static_cast<size_t>(slot));
}

void FreeAllCommandIds() { Taken().reset(); }
