// Registering control plug-ins (PluginRegisterControl): version 3 and later as given,
// version 1 converted to a version-4 descriptor first, version 2 and below 1 ignored. The
// control's class descends from the built-in RectControl, holds 96 + data size bytes and
// runs the plug-in's behaviour table through the hooks of plugincontrolpane.h.
// Entry points: RegisterPluginControl, ConvertVersion1Descriptor.
#pragma once
#include <cstdint>

#include "runtime/objects/class.h"
#include "runtime/plugins/descriptors.h"

// The new control class, or nil when the descriptor is refused.
ClassRecord* RegisterPluginControl(uint32_t* words);

// A new version-4 descriptor (runtime memory, kept for the process) made from a version-1
// one: runtime-own accessors, method routines from the plug-in's export table by index,
// words 6 and 7 = 100, no constants or interfaces. Nil when it cannot be converted.
PluginControlDescriptor* ConvertVersion1Descriptor(const PluginControlDescriptorV1& v1);

// The descriptor a registered control class was made from (converted for version 1).
const PluginControlDescriptor* ControlDescriptorOf(const ClassRecord* cls);
