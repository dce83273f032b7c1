// Member records for plug-in classes. Counts and arrays come from plug-in memory: negative
// counts and nil arrays add nothing, entries with a nil name are passed over.
#include "runtime/plugins/pluginmembers.h"

#include <cstring>
#include <string>

#include "runtime/entries/entries.h"
#include "runtime/entries/entry.h"
#include "runtime/image/codememory.h"
#include "runtime/objects/heap.h"
#include "runtime/objects/objects.h"
#include "runtime/objects/strings.h"
#include "runtime/objects/typedescriptor.h"
#include "runtime/plugins/declarations.h"

// A Double field: the value comes back on the floating-point stack and arrives as two stack
// words, which the 32-bit accessors cannot do.
AMX_ENTRY double PluginDoubleFieldGetter(ObjectHeader* object, int32_t offset) noexcept {
  if (object == nullptr) return 0;
  double value;
  std::memcpy(&value, reinterpret_cast<uint8_t*>(object) + offset, sizeof value);
  return value;
}

AMX_ENTRY void PluginDoubleFieldSetter(ObjectHeader* object, int32_t offset, double value) noexcept {
  if (object == nullptr) return;
  std::memcpy(reinterpret_cast<uint8_t*>(object) + offset, &value, sizeof value);
}

namespace {

enum class FieldKind { kInteger, kBoolean, kString, kObject, kDouble };

FieldKind KindOf(const char* typeName, void* type) {
  if (IsClassReference(type)) return FieldKind::kObject;
  if (CompareNamesZ(typeName, "String") == 0) return FieldKind::kString;
  if (CompareNamesZ(typeName, "Boolean") == 0) return FieldKind::kBoolean;
  if (CompareNamesZ(typeName, "Double") == 0) return FieldKind::kDouble;
  return FieldKind::kInteger;
}

void* OwnGetter(FieldKind kind) {
  switch (kind) {
    case FieldKind::kString: return reinterpret_cast<void*>(&stringGetter);
    case FieldKind::kBoolean: return reinterpret_cast<void*>(&boolGetter);
    case FieldKind::kObject: return reinterpret_cast<void*>(&objGetter);
    case FieldKind::kDouble: return reinterpret_cast<void*>(&PluginDoubleFieldGetter);
    case FieldKind::kInteger: break;
  }
  return reinterpret_cast<void*>(&intGetter);
}

void* OwnSetter(FieldKind kind, bool redraw) {
  switch (kind) {
    case FieldKind::kString:
      return redraw ? reinterpret_cast<void*>(&stringInvalidateSetter) : reinterpret_cast<void*>(&stringSetter);
    case FieldKind::kBoolean:
      return redraw ? reinterpret_cast<void*>(&boolInvalidateSetter) : reinterpret_cast<void*>(&boolSetter);
    case FieldKind::kObject:
      return redraw ? reinterpret_cast<void*>(&objInvalidateSetter) : reinterpret_cast<void*>(&objSetter);
    case FieldKind::kDouble: return reinterpret_cast<void*>(&PluginDoubleFieldSetter);
    case FieldKind::kInteger: break;
  }
  return redraw ? reinterpret_cast<void*>(&intInvalidateSetter) : reinterpret_cast<void*>(&intSetter);
}

template <typename Entry>
Entry** ListTail(Entry** head) {
  while (*head != nullptr) head = &(*head)->next;
  return head;
}

PropertyEntry* NewProperty(const PluginPropertyEntry& source, void* type, int32_t dataOffset,
                           bool redrawSetters) {
  int32_t offset = dataOffset + source.fieldOffset;
  FieldKind kind = KindOf(source.type, type);
  bool redraw = redrawSetters && (source.flags & kPropertyRedraws) != 0;
  auto* property = static_cast<PropertyEntry*>(TaggedAlloc(sizeof(PropertyEntry)));
  std::memset(property, 0, sizeof(PropertyEntry));
  property->name = MakeStringFromC(source.name);
  property->type = type;
  property->flags = source.flags;
  property->parameter = offset;
  if (source.getter == RuntimeAccessorMark()) {
    property->getter = FixedOffsetAccessor(OwnGetter(kind), offset);
  } else {
    property->getter = source.getter;
  }
  if (source.setter == RuntimeAccessorMark()) {
    property->setter = FixedOffsetAccessor(OwnSetter(kind, redraw), offset);
  } else {
    property->setter = source.setter;
  }
  return property;
}

void** ParameterTypes(const Declaration& declaration) {
  if (declaration.parameters.empty()) return nullptr;
  int32_t count = static_cast<int32_t>(declaration.parameters.size());
  auto** types = static_cast<void**>(TaggedAlloc(count * int32_t(sizeof(void*))));
  for (int32_t i = 0; i < count; ++i) types[i] = declaration.parameters[i].type;
  return types;
}

EventDeclaration* NewEvent(const Declaration& declaration) {
  auto* event = static_cast<EventDeclaration*>(TaggedAlloc(sizeof(EventDeclaration)));
  event->name = MakeStringFromC(declaration.name.c_str());
  event->parameterText = MakeStringFromC(declaration.ParameterText().c_str());
  event->returnText = declaration.resultName.empty() ? nullptr
                                                     : MakeStringFromC(declaration.resultName.c_str());
  event->next = nullptr;
  return event;
}

bool ListsInterface(const ClassRecord* cls, const ClassRecord* interface) {
  for (InterfaceEntry* entry = cls->interfaces; entry != nullptr; entry = entry->next)
    if (entry->interface == interface) return true;
  return false;
}

}  // namespace

void* FixedOffsetAccessor(void* accessor, int32_t offset) {
  uint32_t target = reinterpret_cast<uint32_t>(accessor);
  uint32_t value = static_cast<uint32_t>(offset);
  const uint8_t code[] = {
      0xC7, 0x44, 0x24, 0x08,  // mov dword [esp+8], offset  (the parameter word)
      uint8_t(value), uint8_t(value >> 8), uint8_t(value >> 16), uint8_t(value >> 24),
      0xB8,  // mov eax, accessor
      uint8_t(target), uint8_t(target >> 8), uint8_t(target >> 16), uint8_t(target >> 24),
      0xFF, 0xE0,  // jmp eax
  };
  void* stub = NewStub(code, sizeof code);
  // Without stub memory the plain accessor still serves callers that pass the parameter.
  return stub != nullptr ? stub : accessor;
}

void AddPluginProperties(ClassRecord* cls, const PluginPropertyEntry* entries, int32_t count,
                         int32_t dataOffset, bool redrawSetters) {
  if (cls == nullptr || entries == nullptr) return;
  PropertyEntry** tail = ListTail(&cls->properties);
  for (int32_t i = 0; i < count; ++i) {
    const PluginPropertyEntry& source = entries[i];
    if (source.name == nullptr || source.type == nullptr) continue;
    bool ownAccessor = source.getter == RuntimeAccessorMark() || source.setter == RuntimeAccessorMark();
    if (ownAccessor && dataOffset == kNoPluginData) continue;
    void* type = ResolveMemberType(source.type);
    if (type == nullptr) continue;  // neither a basic type nor a known class
    *tail = NewProperty(source, type, dataOffset, redrawSetters);
    tail = &(*tail)->next;
  }
}

MethodEntry* NewPluginMethod(PluginRoutine routine, PluginRoutine secondRoutine,
                             const char* declarationText) {
  Declaration declaration;
  if (!ParseDeclaration(declarationText, &declaration)) return nullptr;
  auto* method = static_cast<MethodEntry*>(TaggedAlloc(sizeof(MethodEntry)));
  std::memset(method, 0, sizeof(MethodEntry));
  method->name = MakeStringFromC(declaration.name.c_str());
  method->entry = routine;
  method->secondEntry = secondRoutine;
  method->returnType = declaration.resultType;
  method->parameterTypes = ParameterTypes(declaration);
  method->parameterCount = static_cast<int32_t>(declaration.parameters.size());
  return method;
}

void AddPluginMethods(ClassRecord* cls, const PluginMethodEntry* entries, int32_t count) {
  if (cls == nullptr || entries == nullptr) return;
  MethodEntry** tail = ListTail(&cls->methods);
  for (int32_t i = 0; i < count; ++i) {
    MethodEntry* method = NewPluginMethod(entries[i].routine, entries[i].secondRoutine,
                                          entries[i].declaration);
    if (method == nullptr) continue;
    *tail = method;
    tail = &method->next;
  }
}

void AddPluginEvents(ClassRecord* cls, PluginEventEntry* entries, int32_t count) {
  if (cls == nullptr || entries == nullptr) return;
  EventDeclaration** tail = ListTail(&cls->eventDeclarations);
  for (int32_t i = 0; i < count; ++i) {
    Declaration declaration;
    if (!ParseDeclaration(entries[i].declaration, &declaration)) continue;
    EventDeclaration* event = NewEvent(declaration);
    entries[i].handle = event;
    *tail = event;
    tail = &event->next;
  }
}

void AddPluginInterfaces(ClassRecord* cls, const char* names) {
  if (cls == nullptr || names == nullptr) return;
  std::string list = names;
  size_t start = 0;
  while (start <= list.size()) {
    size_t comma = list.find(',', start);
    if (comma == std::string::npos) comma = list.size();
    std::string name = list.substr(start, comma - start);
    size_t first = name.find_first_not_of(" \t");
    size_t last = name.find_last_not_of(" \t");
    name = first == std::string::npos ? "" : name.substr(first, last - first + 1);
    ClassRecord* interface = FindBuiltinClass(name.c_str());
    if (interface != nullptr && interface->isInterface && !ListsInterface(cls, interface)) {
      auto* entry = static_cast<InterfaceEntry*>(TaggedAlloc(sizeof(InterfaceEntry)));
      *entry = InterfaceEntry{interface, nullptr, 0, cls->interfaces};
      cls->interfaces = entry;
    }
    start = comma + 1;
  }
}
