// Adding the members a plug-in declares to a class record: properties (with the runtime's
// own field accessors or the plug-in's routines), methods (declarations parsed; refused ones
// left out), events (the handle written back into the event entry) and interfaces. Shared
// by controls, classes and class extensions. Entry points: AddPluginProperties,
// AddPluginMethods, AddPluginEvents, AddPluginInterfaces, NewPluginMethod.
#pragma once
#include <cstdint>

#include "runtime/objects/class.h"
#include "runtime/plugins/descriptors.h"

// dataOffset: where the plug-in's data begins in an instance (the runtime's own accessors
// address dataOffset + field offset). redrawSetters: control properties with flag bit 0 use
// the redrawing setters. A class without plug-in data (dataOffset < 0) takes only
// properties served by the plug-in's own routines: there is no field for the others.
void AddPluginProperties(ClassRecord* cls, const PluginPropertyEntry* entries, int32_t count,
                         int32_t dataOffset, bool redrawSetters);
constexpr int32_t kNoPluginData = -1;
void AddPluginMethods(ClassRecord* cls, const PluginMethodEntry* entries, int32_t count);
void AddPluginEvents(ClassRecord* cls, PluginEventEntry* entries, int32_t count);
// Comma-separated names; each that names a known interface class is added once.
void AddPluginInterfaces(ClassRecord* cls, const char* names);

// A method record for a parsed declaration, or nil when the declaration does not parse.
MethodEntry* NewPluginMethod(PluginRoutine routine, PluginRoutine secondRoutine,
                             const char* declaration);

// The routine image code reaches through a member link for a runtime-own accessor: the
// accessor with its field offset fixed (image code passes 0 as the property parameter).
void* FixedOffsetAccessor(void* accessor, int32_t offset);
