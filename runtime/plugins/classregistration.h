// Plug-in classes (PluginRegisterClass), class extensions (PluginRegisterClassExtension) and
// global methods (PluginRegisterMethod), and finishing the classes once every plug-in is
// loaded (superclasses first). Entry points: RegisterPluginClass, ExtendClass,
// RegisterGlobalMethod, FinishPluginClasses.
#pragma once
#include <cstdint>

#include "runtime/objects/class.h"
#include "runtime/plugins/descriptors.h"

// The new class, the existing class of that name, or nil (interface version below 3, or a
// descriptor without a name).
ClassRecord* RegisterPluginClass(PluginClassDescriptor* descriptor);
// Adds the extension's properties, methods and events to the named existing class.
void ExtendClass(const PluginClassDescriptor* extension);
// Adds a global method (version 1: export index and declaration; version 3 and later:
// routine, second routine, declaration; version 2 ignored).
void RegisterGlobalMethod(const uint32_t* entry);
// Marks every plug-in class unfinished, then finishes each, superclass first.
void FinishPluginClasses();
