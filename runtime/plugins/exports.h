// The current plug-in's export table (RegisterPluginExports): version-1 method entries and
// constants name routines by their index in it. Entry point: ExportedRoutine.
#pragma once
#include <cstdint>

#include "runtime/plugins/descriptors.h"

// The routine at index of the current plug-in's export table; nil without a current
// plug-in, without a table, or for a negative index. The table has no length: indexes come
// from the same plug-in that made it.
PluginRoutine ExportedRoutine(int32_t index);
