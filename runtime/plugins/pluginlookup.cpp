// Empty registries until plug-in installation arrives: nothing is registered, so nothing is
// found.
#include "runtime/plugins/pluginlookup.h"

ClassRecord* FindPluginClass(const char*) { return nullptr; }

ClassRecord* FindPluginControl(const char*) { return nullptr; }

MethodEntry* FindPluginGlobalMethod(const char*) { return nullptr; }
