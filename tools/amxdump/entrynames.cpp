// Expands runtime/entries/lists/all.def into a list of names only (no routine is needed).
#include "tools/amxdump/entrynames.h"

#include <strings.h>

namespace {
#define AMX_ENTRY_DEF(result, name, params) #name,
const char* const kEntryNames[] = {
#include "runtime/entries/lists/all.def"
    nullptr,
};
#undef AMX_ENTRY_DEF
}  // namespace

bool IsRuntimeEntryName(const char* name) {
  for (const char* const* n = kEntryNames; *n; ++n)
    if (strcasecmp(*n, name) == 0) return true;
  return false;
}
