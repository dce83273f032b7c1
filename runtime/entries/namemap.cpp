// The name map over the EntryTable. It is filled in table order and a name already present
// is not replaced, so the earlier of two equal slots keeps the name.
#include "runtime/entries/namemap.h"

#include "runtime/entries/entrytable.h"
#include "runtime/objects/stringmap.h"

namespace {

StringMap* gEntryNames = nullptr;

StringMap* BuildEntryNames() {
  StringMap* map = NewStringMap();
  for (size_t i = 0; i < kEntryTableSlots; ++i) {
    const EntrySlot& slot = EntryTable[i];
    if (slot.name && map->Get(slot.name) == nullptr) map->Put(slot.name, const_cast<EntrySlot*>(&slot));
  }
  return map;
}

}  // namespace

extern "C" void* LookupEntryByName(const char* name) {
  if (name == nullptr) return nullptr;
  if (gEntryNames == nullptr) gEntryNames = BuildEntryNames();
  auto* slot = static_cast<const EntrySlot*>(gEntryNames->Get(name));
  return slot ? slot->routine : nullptr;
}

bool EntryNameMapBuilt() { return gEntryNames != nullptr; }
