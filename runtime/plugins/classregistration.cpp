// Class registration and finishing. A class is registered at once (so later plug-ins find it
// by name) but gets its superclass, sizes and members only when it is finished, after every
// plug-in has had its main routine called.
#include "runtime/plugins/classregistration.h"

#include <cstring>

#include "runtime/exceptions/imagecall.h"
#include "runtime/objects/heap.h"
#include "runtime/objects/objects.h"
#include "runtime/objects/strings.h"
#include "runtime/plugins/exports.h"
#include "runtime/plugins/pluginmembers.h"
#include "runtime/plugins/pluginregistry.h"
#include "runtime/startup/assertion.h"

namespace {

constexpr int32_t kMinimumClassVersion = 3;
constexpr int32_t kRootDataOffset = 24;
constexpr int32_t kMissingPieceLine = 1304;
constexpr int32_t kMaxDataSize = 0x100000;

// The plug-in's constructor or destructor, called with the instance.
void CallClassRoutine(ObjectHeader* object, PluginRoutine routine) {
  if (routine != nullptr) CallImage1(routine, reinterpret_cast<uint32_t>(object));
}

PluginClassDescriptor* DescriptorOf(ClassRecord* cls) {
  auto* info = static_cast<PluginClassInfo*>(cls->pluginLinks);
  return info != nullptr ? info->descriptor : nullptr;
}

void PluginClassConstructor(ObjectHeader* object, ClassRecord* cls) {
  if (PluginClassDescriptor* descriptor = DescriptorOf(cls)) CallClassRoutine(object, descriptor->constructor);
}

void PluginClassDestructor(ObjectHeader* object, ClassRecord* cls) {
  if (PluginClassDescriptor* descriptor = DescriptorOf(cls)) CallClassRoutine(object, descriptor->destructor);
}

ClassRecord* NewPluginClass(const PluginClassDescriptor& descriptor) {
  auto* cls = static_cast<ClassRecord*>(TaggedAlloc(sizeof(ClassRecord)));
  std::memset(cls, 0, sizeof(ClassRecord));
  cls->kind = kClassRecordKind;
  cls->name = MakeStringFromC(descriptor.name);
  cls->builtIn = 1;  // its hooks are runtime functions
  cls->instanceSize = kRootDataOffset;
  cls->constructor = PluginClassConstructor;
  cls->destructor = PluginClassDestructor;
  return cls;
}

void FinishClass(PluginClassInfo* info, int32_t depth);

// The superclass by name (built-in, control, plug-in class), finished first when it is a
// plug-in class itself. A class naming itself, or a cycle, is treated as a root.
ClassRecord* FinishedSuperclass(PluginClassInfo* info, int32_t depth) {
  const char* name = info->descriptor->superclass;
  if (name == nullptr || name[0] == 0) return nullptr;
  ClassRecord* super = FindKnownClass(name);
  if (super == nullptr || super == info->cls) return nullptr;
  auto* superInfo = static_cast<PluginClassInfo*>(super->pluginLinks);
  if (superInfo != nullptr && !superInfo->isControl && !superInfo->finished) {
    if (depth > 1000) return nullptr;
    FinishClass(superInfo, depth + 1);
  }
  for (ClassRecord* at = super; at != nullptr; at = at->superclass)
    if (at == info->cls) return nullptr;
  return super;
}

void FinishClass(PluginClassInfo* info, int32_t depth) {
  info->finished = true;  // before the superclass walk: a cycle stops here
  PluginClassDescriptor* descriptor = info->descriptor;
  ClassRecord* cls = info->cls;
  ClassRecord* super = FinishedSuperclass(info, depth);
  cls->superclass = super;
  int32_t dataSize = descriptor->dataSize >= 0 && descriptor->dataSize <= kMaxDataSize ? descriptor->dataSize : 0;
  info->dataOffset = super != nullptr ? super->instanceSize : kRootDataOffset;
  info->dataSize = dataSize;
  cls->instanceSize = info->dataOffset + dataSize;
  descriptor->dataOffset = info->dataOffset;
  // The runtime's own accessors address the class's own data, after its superclass's.
  AddPluginProperties(cls, descriptor->properties, descriptor->propertyCount, info->dataOffset, false);
  AddPluginMethods(cls, descriptor->methods, descriptor->methodCount);
  AddPluginEvents(cls, descriptor->events, descriptor->eventCount);
  info->constants = descriptor->constants;
  info->constantCount = descriptor->constantCount;
  AddPluginInterfaces(cls, descriptor->interfaces);
}

}  // namespace

ClassRecord* RegisterPluginClass(PluginClassDescriptor* descriptor) {
  if (descriptor == nullptr || descriptor->name == nullptr || descriptor->name[0] == 0) return nullptr;
  if (CurrentPluginVersion() < kMinimumClassVersion) return nullptr;
  if (ClassRecord* existing = FindKnownClass(descriptor->name)) return existing;
  ClassRecord* cls = NewPluginClass(*descriptor);
  auto* info = new PluginClassInfo{};
  info->cls = cls;
  info->plugin = CurrentPlugin();
  info->descriptor = descriptor;
  info->dataOffset = kRootDataOffset;
  cls->pluginLinks = info;
  LinkClassRecord(cls);
  AddClassInfo(info);
  return cls;
}

void ExtendClass(const PluginClassDescriptor* extension) {
  if (extension == nullptr || CurrentPluginVersion() < kMinimumClassVersion) return;
  ClassRecord* cls = FindKnownClass(extension->name);
  if (cls == nullptr) return;
  // Only the class a plug-in made has plug-in data (at its own offset, not a superclass's).
  auto* info = static_cast<PluginClassInfo*>(cls->pluginLinks);
  int32_t dataOffset = info != nullptr ? info->dataOffset : kNoPluginData;
  AddPluginProperties(cls, extension->properties, extension->propertyCount, dataOffset,
                      info != nullptr && info->isControl);
  AddPluginMethods(cls, extension->methods, extension->methodCount);
  AddPluginEvents(cls, extension->events, extension->eventCount);
}

void RegisterGlobalMethod(const uint32_t* entry) {
  if (CurrentPlugin() == nullptr || entry == nullptr) {
    FailedAssertion(4, "plugin", kMissingPieceLine);
    return;
  }
  int32_t version = CurrentPluginVersion();
  if (version == 2) return;
  MethodEntry* method = nullptr;
  if (version == 1) {
    const auto* v1 = reinterpret_cast<const PluginMethodEntryV1*>(entry);
    method = NewPluginMethod(ExportedRoutine(v1->exportIndex), nullptr, v1->declaration);
  } else {
    const auto* current = reinterpret_cast<const PluginMethodEntry*>(entry);
    method = NewPluginMethod(current->routine, current->secondRoutine, current->declaration);
  }
  if (method != nullptr) AddGlobalMethod(method);
}

void FinishPluginClasses() {
  for (PluginClassInfo* info = FirstClassInfo(); info != nullptr; info = info->next) info->finished = false;
  for (PluginClassInfo* info = FirstClassInfo(); info != nullptr; info = info->next)
    if (!info->finished) FinishClass(info, 0);
}
