// The names of the runtime's entry points, taken from the same lists that build the
// EntryTable, so amxdump can flag link names the runtime does not have. Entry point:
// IsRuntimeEntryName.
#pragma once

// ASCII letters compare ignoring case, as the loader's lookup does.
bool IsRuntimeEntryName(const char* name);
