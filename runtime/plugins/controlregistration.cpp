// Control registration and the version-1 conversion.
#include "runtime/plugins/controlregistration.h"

#include <cstring>

#include "runtime/objects/heap.h"
#include "runtime/objects/objects.h"
#include "runtime/objects/strings.h"
#include "runtime/plugins/exports.h"
#include "runtime/plugins/plugincontrolpane.h"
#include "runtime/plugins/pluginmembers.h"
#include "runtime/plugins/pluginregistry.h"
#include "runtime/ui/controlobject.h"

namespace {

constexpr int32_t kConvertedVersion = 4;
constexpr int32_t kConvertedValue = 100;
constexpr int32_t kMaxDataSize = 0x100000;  // a plug-in's part of one instance

template <typename T>
T* NewRecords(int32_t count) {
  if (count <= 0) return nullptr;
  return static_cast<T*>(TaggedAlloc(count * int32_t(sizeof(T))));
}

PluginPropertyEntry* ConvertProperties(const PluginPropertyEntryV1* source, int32_t count) {
  if (source == nullptr) return nullptr;
  auto* converted = NewRecords<PluginPropertyEntry>(count);
  for (int32_t i = 0; i < count; ++i) {
    converted[i] = PluginPropertyEntry{source[i].group, source[i].name, source[i].type,
                                       source[i].flags, RuntimeAccessorMark(),
                                       RuntimeAccessorMark(), source[i].fieldOffset, {0, 0, 0}};
  }
  return converted;
}

PluginMethodEntry* ConvertMethods(const PluginMethodEntryV1* source, int32_t count) {
  if (source == nullptr) return nullptr;
  auto* converted = NewRecords<PluginMethodEntry>(count);
  for (int32_t i = 0; i < count; ++i) {
    converted[i] = PluginMethodEntry{ExportedRoutine(source[i].exportIndex), nullptr,
                                     source[i].declaration};
  }
  return converted;
}

ClassRecord* NewControlClass(const PluginControlDescriptor& descriptor) {
  auto* cls = static_cast<ClassRecord*>(TaggedAlloc(sizeof(ClassRecord)));
  std::memset(cls, 0, sizeof(ClassRecord));
  cls->kind = kClassRecordKind;
  cls->superclass = FindBuiltinClass("RectControl");
  if (cls->superclass == nullptr) cls->superclass = FindBuiltinClass("Control");
  cls->name = MakeStringFromC(descriptor.name);
  cls->builtIn = 1;  // its hooks are runtime functions
  cls->instanceSize = kPluginControlDataOffset + descriptor.dataSize;
  cls->constructor = PluginControlConstructor;
  cls->destructor = PluginControlDestructor;
  return cls;
}

bool Acceptable(const PluginControlDescriptor& descriptor) {
  return descriptor.name != nullptr && descriptor.name[0] != 0 && descriptor.dataSize >= 0 &&
         descriptor.dataSize <= kMaxDataSize;
}

ClassRecord* RegisterDescriptor(PluginControlDescriptor* descriptor) {
  if (!Acceptable(*descriptor)) return nullptr;
  ClassRecord* cls = NewControlClass(*descriptor);
  auto* info = new PluginClassInfo{};
  info->cls = cls;
  info->plugin = CurrentPlugin();
  info->isControl = true;
  info->finished = true;
  info->dataOffset = kPluginControlDataOffset;
  info->dataSize = descriptor->dataSize;
  info->control = descriptor;
  cls->pluginLinks = info;
  AddPaneCreationHandler(cls, (descriptor->flags & kWindowlessPaneFlag) != 0);
  AddPluginProperties(cls, descriptor->properties, descriptor->propertyCount,
                      kPluginControlDataOffset, true);
  AddPluginMethods(cls, descriptor->methods, descriptor->methodCount);
  AddPluginEvents(cls, descriptor->events, descriptor->eventCount);
  if (descriptor->version >= 4) {
    info->constants = descriptor->constants;
    info->constantCount = descriptor->constantCount;
    AddPluginInterfaces(cls, descriptor->interfaces);
  }
  descriptor->dataOffset = kPluginControlDataOffset;
  LinkClassRecord(cls);
  AddControlInfo(info);
  return cls;
}

}  // namespace

PluginControlDescriptor* ConvertVersion1Descriptor(const PluginControlDescriptorV1& v1) {
  auto* converted = static_cast<PluginControlDescriptor*>(TaggedAlloc(sizeof(PluginControlDescriptor)));
  std::memset(converted, 0, sizeof(PluginControlDescriptor));
  converted->version = kConvertedVersion;
  converted->name = v1.name;
  converted->dataSize = v1.dataSize;
  converted->flags = v1.flags;
  converted->value4 = v1.value4;
  converted->value5 = v1.value5;
  converted->value6 = kConvertedValue;
  converted->value7 = kConvertedValue;
  converted->properties = ConvertProperties(v1.properties, v1.propertyCount);
  converted->propertyCount = converted->properties ? v1.propertyCount : 0;
  converted->methods = ConvertMethods(v1.methods, v1.methodCount);
  converted->methodCount = converted->methods ? v1.methodCount : 0;
  converted->events = v1.events;
  converted->eventCount = v1.eventCount;
  converted->behaviour = v1.behaviour;
  return converted;
}

ClassRecord* RegisterPluginControl(uint32_t* words) {
  if (words == nullptr) return nullptr;
  int32_t version = static_cast<int32_t>(words[0]);
  if (version == 1) {
    return RegisterDescriptor(ConvertVersion1Descriptor(*reinterpret_cast<PluginControlDescriptorV1*>(words)));
  }
  if (version < 3) return nullptr;  // version 2, and below 1
  return RegisterDescriptor(reinterpret_cast<PluginControlDescriptor*>(words));
}

const PluginControlDescriptor* ControlDescriptorOf(const ClassRecord* cls) {
  PluginClassInfo* info = PluginInfoOf(cls);
  return info != nullptr && info->isControl ? info->control : nullptr;
}
