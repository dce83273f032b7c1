// Every entry point of the runtime, declared once. The lists under lists/ name each entry
// with its signature, one family a file, in the order the EntryTable holds them
// (runtime/entries/entrytable.cpp expands the same lists into the table's slots).
#pragma once
#include <cstdint>

#include "runtime/entries/entry.h"

struct ObjectHeader;
struct ClassRecord;
struct StringRecord;
struct ArrayRecord;
struct MemoryHandle;
struct DynamicArray;

#define AMX_ENTRY_DEF(result, name, params) AMX_ENTRY result name params noexcept;
#include "runtime/entries/lists/all.def"
#undef AMX_ENTRY_DEF
