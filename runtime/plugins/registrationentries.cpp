// The registration entries a plug-in calls from its main routine: version, exports,
// controls, classes, class extensions, global methods, and the database descriptors, which
// this runtime accepts and ignores.
#include "runtime/entries/entries.h"
#include "runtime/plugins/classregistration.h"
#include "runtime/plugins/controlregistration.h"
#include "runtime/plugins/exports.h"
#include "runtime/plugins/pluginregistry.h"

PluginRoutine ExportedRoutine(int32_t index) {
  PluginRecord* plugin = CurrentPlugin();
  if (plugin == nullptr || plugin->exports == nullptr || index < 0) return nullptr;
  return plugin->exports[index].routine;
}

AMX_ENTRY void RegisterPluginVersion(int32_t version) noexcept {
  if (PluginRecord* plugin = CurrentPlugin()) plugin->version = version;
}

AMX_ENTRY void RegisterPluginExports(const uint32_t* exportTable) noexcept {
  if (PluginRecord* plugin = CurrentPlugin())
    plugin->exports = reinterpret_cast<const PluginExportEntry*>(exportTable);
}

AMX_ENTRY void PluginRegisterControl(uint32_t* descriptor) noexcept { RegisterPluginControl(descriptor); }

AMX_ENTRY ClassRecord* PluginRegisterClass(uint32_t* descriptor) noexcept {
  return RegisterPluginClass(reinterpret_cast<PluginClassDescriptor*>(descriptor));
}

AMX_ENTRY void PluginRegisterClassExtension(const uint32_t* descriptor) noexcept {
  ExtendClass(reinterpret_cast<const PluginClassDescriptor*>(descriptor));
}

AMX_ENTRY void PluginRegisterMethod(const uint32_t* methodEntry) noexcept {
  RegisterGlobalMethod(methodEntry);
}

AMX_ENTRY void PluginRegisterDBEngine(const void*) noexcept {}

AMX_ENTRY void PluginRegisterDBCursor(const void*) noexcept {}
