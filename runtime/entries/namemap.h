// The entry name map handed to plug-ins: name -> routine, built from the EntryTable on the
// first lookup (a StringMap of runtime strings, names compared ignoring case) and kept for
// the rest of the process. Entry point: LookupEntryByName.
#pragma once
#include <cstddef>

// The routine of the entry called name, or nil (0) when there is none. A name that stands
// in two slots gives the earlier slot's routine.
extern "C" void* LookupEntryByName(const char* name);
// Whether the map has been built (for tests).
bool EntryNameMapBuilt();

struct EntrySlot;
class StringMap;
// A map name -> slot over any table, filled in table order; the first slot of a name keeps it.
StringMap* BuildEntryNameMap(const EntrySlot* table, size_t slots);
