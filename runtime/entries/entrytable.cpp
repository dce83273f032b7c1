// The table itself: one slot per AMX_ENTRY_DEF line of the family lists, in list order, then
// kSpareSlots empty slots. The table grows by itself as families add lines.
#include "runtime/entries/entrytable.h"

#include "runtime/entries/entries.h"

namespace {
constexpr size_t kSpareSlots = 4;
}  // namespace

#define AMX_ENTRY_DEF(result, name, params) {#name, reinterpret_cast<void*>(&name), 0, 0},
const EntrySlot EntryTable[] = {
#include "runtime/entries/lists/all.def"
    {nullptr, nullptr, 0, 0}, {nullptr, nullptr, 0, 0}, {nullptr, nullptr, 0, 0},
    {nullptr, nullptr, 0, 0},
};
#undef AMX_ENTRY_DEF

const size_t kEntryTableSlots = sizeof(EntryTable) / sizeof(EntryTable[0]);
static_assert(sizeof(EntryTable) / sizeof(EntryTable[0]) >= kSpareSlots);

int32_t FindEntrySlot(const char* name) { return FindEntrySlotIn(EntryTable, kEntryTableSlots, name); }

void* FindEntryAtLink(const char* name) {
  int32_t slot = FindEntrySlot(name);
  return slot < 0 ? nullptr : EntryTable[slot].routine;
}
