// The plug-in records, the current plug-in and the three registration lists, with the
// lookups by name that the accessor resolver and the class table use (pluginlookup.h).
#include "runtime/plugins/pluginregistry.h"

#include <cstdlib>
#include <cstring>

#include "runtime/objects/objects.h"
#include "runtime/objects/strings.h"
#include "runtime/plugins/pluginlookup.h"

namespace {

PluginRecord* gPlugins = nullptr;
PluginRecord* gCurrent = nullptr;
PluginClassInfo* gControls = nullptr;
PluginClassInfo* gClasses = nullptr;
MethodEntry* gGlobalMethods = nullptr;

constexpr int kMaxChainDepth = 10000;

ClassRecord* FindInList(PluginClassInfo* list, const char* name) {
  if (name == nullptr) return nullptr;
  for (PluginClassInfo* info = list; info != nullptr; info = info->next)
    if (info->cls != nullptr && NamesEqual(info->cls->name, name)) return info->cls;
  return nullptr;
}

}  // namespace

PluginRecord* CurrentPlugin() { return gCurrent; }
void SetCurrentPlugin(PluginRecord* plugin) { gCurrent = plugin; }
PluginRecord* FirstPlugin() { return gPlugins; }

PluginRecord* AddPluginRecord(void* library, const char* path) {
  auto* record = new PluginRecord{nullptr, 1, library, path ? strdup(path) : nullptr, gPlugins};
  gPlugins = record;
  return record;
}

int32_t CurrentPluginVersion() { return gCurrent ? gCurrent->version : 1; }

void AddControlInfo(PluginClassInfo* info) {
  info->next = gControls;
  gControls = info;
}

void AddClassInfo(PluginClassInfo* info) {
  info->next = gClasses;
  gClasses = info;
}

PluginClassInfo* FirstControlInfo() { return gControls; }
PluginClassInfo* FirstClassInfo() { return gClasses; }

void AddGlobalMethod(MethodEntry* method) {
  method->next = gGlobalMethods;
  gGlobalMethods = method;
}

MethodEntry* FirstGlobalMethod() { return gGlobalMethods; }

PluginClassInfo* PluginInfoOf(const ClassRecord* cls) {
  for (int depth = 0; cls != nullptr && depth < kMaxChainDepth; cls = cls->superclass, ++depth)
    if (cls->pluginLinks != nullptr) return static_cast<PluginClassInfo*>(cls->pluginLinks);
  return nullptr;
}

ClassRecord* FindKnownClass(const char* name) {
  if (name == nullptr || name[0] == 0) return nullptr;
  if (ClassRecord* cls = FindBuiltinClass(name)) return cls;
  if (ClassRecord* cls = FindPluginControl(name)) return cls;
  return FindPluginClass(name);
}

void ForgetPluginRegistrations() {
  // The records are ours (the libraries stay loaded: their classes may still be referenced).
  while (PluginRecord* record = gPlugins) {
    gPlugins = record->next;
    free(record->path);
    delete record;
  }
  gCurrent = nullptr;
  gControls = nullptr;
  gClasses = nullptr;
  gGlobalMethods = nullptr;
}

ClassRecord* FindPluginClass(const char* name) { return FindInList(gClasses, name); }

ClassRecord* FindPluginControl(const char* name) { return FindInList(gControls, name); }

MethodEntry* FindPluginGlobalMethod(const char* name) {
  if (name == nullptr) return nullptr;
  for (MethodEntry* method = gGlobalMethods; method != nullptr; method = method->next)
    if (NamesEqual(method->name, name)) return method;
  return nullptr;
}
