// The EntryTable: every entry point of the runtime as (name, routine, two reserved words),
// in source order, expanded from runtime/entries/lists/all.def, followed by empty slots.
// Image links and plug-ins resolve names against it. Entry points: FindEntryAtLink (link
// time, ASCII case-insensitive, first slot wins), EntryTableSlots.
#pragma once
#include <cstddef>
#include <cstdint>

struct EntrySlot {
  const char* name;  // nil in an empty slot; every lookup skips empty slots
  void* routine;
  uint32_t reserved1;  // always 0
  uint32_t reserved2;  // always 0
};
static_assert(sizeof(EntrySlot) == 16);
static_assert(offsetof(EntrySlot, routine) == 4);

extern const EntrySlot EntryTable[];
extern const size_t kEntryTableSlots;

// Walks the slots in order, comparing names like lstrcmpiA (ASCII letters ignoring case);
// the first equal slot gives the routine; nil when none.
void* FindEntryAtLink(const char* name);
// The same, also telling which slot matched (-1 when none).
int32_t FindEntrySlot(const char* name);
// The lookup over any table of slots (the EntryTable above, or a test's).
int32_t FindEntrySlotIn(const EntrySlot* table, size_t slots, const char* name);
