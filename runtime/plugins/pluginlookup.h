// Lookups into what plug-ins register (controls with PluginRegisterControl, classes with
// PluginRegisterClass, global methods with PluginRegisterMethod), used by the accessor
// resolver and class lookups by name. Names compare ignoring case through the name fold
// table. Implemented with the registration lists in runtime/plugins/pluginregistry.cpp.
// Entry points: FindPluginClass, FindPluginControl, FindPluginGlobalMethod.
#pragma once

struct ClassRecord;
struct MethodEntry;

// The class registered under name, or nil.
ClassRecord* FindPluginClass(const char* name);
// The control class registered under name, or nil.
ClassRecord* FindPluginControl(const char* name);
// The global method registered under name (routine in entry, second routine in
// secondEntry), or nil.
MethodEntry* FindPluginGlobalMethod(const char* name);
