// What plug-ins have registered: the plug-in records (newest first) and the current plug-in
// being initialised, the three class lists (controls, classes, global methods, newest first)
// and the per-class bookkeeping that ClassRecord::pluginLinks points at. Lookups by name
// compare ignoring case (runtime/plugins/pluginlookup.h). Entry points: CurrentPlugin,
// AddControlInfo, AddClassInfo, AddGlobalMethod, PluginInfoOf.
#pragma once
#include <cstdint>

#include "runtime/objects/class.h"
#include "runtime/plugins/descriptors.h"

// One per loaded plug-in. Invariant: version starts at 1 and changes only through
// RegisterPluginVersion while the plug-in is current.
struct PluginRecord {
  const PluginExportEntry* exports;  // nil until RegisterPluginExports
  int32_t version;
  void* library;  // the loaded module
  char* path;     // where the library was written or found (owned)
  PluginRecord* next;
};

// Per plug-in class or control: ClassRecord::pluginLinks of its class.
struct PluginClassInfo {
  ClassRecord* cls;
  PluginRecord* plugin;  // nil when registered outside any plug-in's main routine
  bool isControl;
  bool finished;
  int32_t dataOffset;  // where the plug-in's data begins in an instance
  int32_t dataSize;
  PluginControlDescriptor* control;  // controls: the descriptor (converted for version 1)
  PluginClassDescriptor* descriptor;  // classes: the plug-in's descriptor
  PluginConstantEntry* constants;  // kept with the class; nothing reads them yet
  int32_t constantCount;
  PluginClassInfo* next;  // the control list or the class list, newest first
};

PluginRecord* CurrentPlugin();
void SetCurrentPlugin(PluginRecord* plugin);
PluginRecord* FirstPlugin();  // newest first
// A new record (version 1, no exports) at the head of the plug-in list.
PluginRecord* AddPluginRecord(void* library, const char* path);
// The interface version of the current plug-in; a registration outside any plug-in's main
// routine counts as version 1.
int32_t CurrentPluginVersion();

void AddControlInfo(PluginClassInfo* info);
void AddClassInfo(PluginClassInfo* info);
PluginClassInfo* FirstControlInfo();
PluginClassInfo* FirstClassInfo();
void AddGlobalMethod(MethodEntry* method);
MethodEntry* FirstGlobalMethod();

// The bookkeeping of a class made by a plug-in (searching up the superclass chain for the
// nearest one), or nil.
PluginClassInfo* PluginInfoOf(const ClassRecord* cls);
// A class known by name at this moment: built-in, plug-in control, plug-in class.
ClassRecord* FindKnownClass(const char* name);

// Forgets every registration and record (tests; classes stay allocated).
void ForgetPluginRegistrations();
