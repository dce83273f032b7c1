// The name map over the EntryTable. It is filled in table order and a name already present
// is not replaced, so the earlier of two equal slots keeps the name.
#include "runtime/entries/namemap.h"

#include "runtime/entries/entrytable.h"
#include "runtime/objects/stringmap.h"

namespace {

StringMap* gEntryNames = nullptr;

}  // namespace

StringMap* BuildEntryNameMap(const EntrySlot* table, size_t slots) {
  StringMap* map = NewStringMap();
  for (size_t i = 0; i < slots; ++i) {
    const EntrySlot& slot = table[i];
    if (slot.name && map->Get(slot.name) == nullptr) map->Put(slot.name, const_cast<EntrySlot*>(&slot));
  }
  return map;
}

extern "C" void* LookupEntryByName(const char* name) {
  if (name == nullptr) return nullptr;
  if (gEntryNames == nullptr) gEntryNames = BuildEntryNameMap(EntryTable, kEntryTableSlots);
  auto* slot = static_cast<const EntrySlot*>(gEntryNames->Get(name));
  return slot ? slot->routine : nullptr;
}

bool EntryNameMapBuilt() { return gEntryNames != nullptr; }
