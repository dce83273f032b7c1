// The built-in classes: the static records of runtime/objects/builtins/*.def, filled once
// by SetUpBuiltinClasses (names, superclasses, hooks, then property, method and event
// lists from the six-word static rows), the class registry and the list of all classes.
#include "runtime/objects/builtinclasses.h"

#include <cstddef>
#include <cstring>

#include "runtime/entries/entries.h"
#include "runtime/objects/heap.h"
#include "runtime/objects/strings.h"
#include "runtime/objects/typedescriptor.h"
#include "runtime/startup/fatal.h"

namespace builtin_classes {
#define AMX_CLASS(Name, Super, InstanceSize, SecondName, Hooks) ClassRecord Name;
#define AMX_PROPERTY(Class, Name, Type, Getter, Setter, Parameter, Flags)
#define AMX_METHOD(Class, Name, Entry, Result, Parameters)
#define AMX_EVENT(Class, Name, ParameterText, ReturnText)
#include "runtime/objects/builtins/all.def"
#undef AMX_CLASS
#undef AMX_EVENT
}  // namespace builtin_classes

namespace builtin_events {
#define AMX_CLASS(Name, Super, InstanceSize, SecondName, Hooks)
#define AMX_EVENT(Class, Name, ParameterText, ReturnText) EventDeclaration* Class##_##Name;
#include "runtime/objects/builtins/all.def"
#undef AMX_CLASS
#undef AMX_PROPERTY
#undef AMX_METHOD
#undef AMX_EVENT
}  // namespace builtin_events

// The runtime's own event handlers: declared here only to take their addresses (each family
// defines its routine, extern "C", with the signature of its event).
#define AMX_CLASS(Name, Super, InstanceSize, SecondName, Hooks)
#define AMX_PROPERTY(Class, Name, Type, Getter, Setter, Parameter, Flags)
#define AMX_METHOD(Class, Name, Entry, Result, Parameters)
#define AMX_EVENT(Class, Name, ParameterText, ReturnText)
#define AMX_HANDLER(Class, Event, Function) extern "C" void Function();
#include "runtime/objects/builtins/all.def"
#undef AMX_CLASS
#undef AMX_PROPERTY
#undef AMX_METHOD
#undef AMX_EVENT
#undef AMX_HANDLER

namespace {

inline CodeAddress EntryAddress(std::nullptr_t) { return nullptr; }
template <typename Function>
CodeAddress EntryAddress(Function* function) {
  return reinterpret_cast<CodeAddress>(function);
}

struct ClassRow {
  ClassRecord* record;
  const char* name;
  const char* superclass;  // "" for a root
  int32_t instanceSize;
  const char* secondName;
  ObjectHook constructor;
  ObjectHook destructor;
};

struct OwnedPropertyRow {
  ClassRecord* owner;
  PropertyRow row;
};

struct MethodRow {
  ClassRecord* owner;
  const char* name;
  CodeAddress entry;
  const char* result;
  const char* parameters;
};

struct OwnedEventRow {
  ClassRecord* owner;
  EventRow row;
};

#define AMX_CTOR_NoHooks(Name) nullptr
#define AMX_CTOR_Constructor(Name) &builtins::Name##Constructor
#define AMX_CTOR_Destructor(Name) nullptr
#define AMX_CTOR_ConstructorDestructor(Name) &builtins::Name##Constructor
#define AMX_DTOR_NoHooks(Name) nullptr
#define AMX_DTOR_Constructor(Name) nullptr
#define AMX_DTOR_Destructor(Name) &builtins::Name##Destructor
#define AMX_DTOR_ConstructorDestructor(Name) &builtins::Name##Destructor

#define AMX_CLASS(Name, Super, InstanceSize, SecondName, Hooks)                       \
  {&builtin_classes::Name, #Name, #Super, InstanceSize, SecondName, AMX_CTOR_##Hooks(Name), \
   AMX_DTOR_##Hooks(Name)},
#define AMX_PROPERTY(Class, Name, Type, Getter, Setter, Parameter, Flags)
#define AMX_METHOD(Class, Name, Entry, Result, Parameters)
#define AMX_EVENT(Class, Name, ParameterText, ReturnText)
const ClassRow kClassRows[] = {
#include "runtime/objects/builtins/all.def"
    {nullptr, nullptr, nullptr, 0, nullptr, nullptr, nullptr}};
#undef AMX_CLASS
#undef AMX_PROPERTY

#define AMX_CLASS(Name, Super, InstanceSize, SecondName, Hooks)
#define AMX_PROPERTY(Class, Name, Type, Getter, Setter, Parameter, Flags)                  \
  {&builtin_classes::Class,                                                               \
   {Flags, #Name, Type, EntryAddress(Getter), EntryAddress(Setter), Parameter}},
const OwnedPropertyRow kPropertyRows[] = {
#include "runtime/objects/builtins/all.def"
    {nullptr, {0, nullptr, nullptr, nullptr, nullptr, 0}}};
#undef AMX_PROPERTY
#undef AMX_METHOD

#define AMX_PROPERTY(Class, Name, Type, Getter, Setter, Parameter, Flags)
#define AMX_METHOD(Class, Name, Entry, Result, Parameters) \
  {&builtin_classes::Class, #Name, EntryAddress(Entry), Result, Parameters},
const MethodRow kMethodRows[] = {
#include "runtime/objects/builtins/all.def"
    {nullptr, nullptr, nullptr, nullptr, nullptr}};
#undef AMX_METHOD
#undef AMX_EVENT

#define AMX_METHOD(Class, Name, Entry, Result, Parameters)
#define AMX_EVENT(Class, Name, ParameterText, ReturnText) \
  {&builtin_classes::Class, {0, #Name, ParameterText, ReturnText, 0, &builtin_events::Class##_##Name}},
const OwnedEventRow kEventRows[] = {
#include "runtime/objects/builtins/all.def"
    {nullptr, {0, nullptr, nullptr, nullptr, 0, nullptr}}};
#undef AMX_CLASS
#undef AMX_PROPERTY
#undef AMX_METHOD
#undef AMX_EVENT

#define AMX_CLASS(Name, Super, InstanceSize, SecondName, Hooks)
#define AMX_PROPERTY(Class, Name, Type, Getter, Setter, Parameter, Flags)
#define AMX_METHOD(Class, Name, Entry, Result, Parameters)
#define AMX_EVENT(Class, Name, ParameterText, ReturnText)

struct HandlerRow {
  ClassRecord* owner;
  const char* event;
  CodeAddress entry;
};

#define AMX_HANDLER(Class, Event, Function) \
  {&builtin_classes::Class, #Event, reinterpret_cast<CodeAddress>(&Function)},
const HandlerRow kHandlerRows[] = {
#include "runtime/objects/builtins/all.def"
    {nullptr, nullptr, nullptr}};
#undef AMX_CLASS
#undef AMX_PROPERTY
#undef AMX_METHOD
#undef AMX_EVENT
#undef AMX_HANDLER

ClassRecord* gAllClasses = nullptr;

StringRecord* NameOrNil(const char* text) {
  return text != nullptr && text[0] != 0 ? MakeStringFromC(text) : nullptr;
}

template <typename Node>
void Append(Node** list, Node* node) {
  while (*list != nullptr) list = &(*list)->next;
  *list = node;
}

void FillClass(const ClassRow& row) {
  ClassRecord* cls = row.record;
  std::memset(cls, 0, sizeof(ClassRecord));
  cls->kind = kClassRecordKind;
  cls->name = NameOrNil(row.name);
  cls->secondName = NameOrNil(row.secondName);
  cls->builtIn = 1;
  cls->instanceSize = row.instanceSize;
  cls->constructor = row.constructor;
  cls->destructor = row.destructor;
  LinkClassRecord(cls);
  RegisterClass(cls);
}

void LinkSuperclass(const ClassRow& row) {
  if (row.superclass[0] == 0) return;
  row.record->superclass = FindBuiltinClass(row.superclass);
  if (row.record->superclass == nullptr) {
    DebugMessage("!!! Built-in class with an unknown superclass\n");
  }
}

void AddProperty(const OwnedPropertyRow& owned) {
  const PropertyRow& row = owned.row;
  auto* entry = static_cast<PropertyEntry*>(TaggedAlloc(sizeof(PropertyEntry)));
  *entry = PropertyEntry{MakeStringFromC(row.name), ResolveTypeReference(row.type), row.flags,
                         row.getter, row.setter, row.parameter, nullptr};
  Append(&owned.owner->properties, entry);
}

// "Integer, String" -> two type references.
void ParseParameterTypes(const char* text, MethodEntry* method) {
  int32_t count = 0;
  for (const char* p = text; *p != 0; ++p)
    if (*p == ',') ++count;
  if (text[0] != 0) ++count;
  method->parameterCount = count;
  if (count == 0) return;
  method->parameterTypes = static_cast<void**>(TaggedAlloc(count * 4));
  const char* start = text;
  for (int32_t i = 0; i < count; ++i) {
    while (*start == ' ') ++start;
    const char* end = start;
    while (*end != 0 && *end != ',') ++end;
    char name[64] = {};
    std::size_t length = static_cast<std::size_t>(end - start);
    while (length > 0 && start[length - 1] == ' ') --length;
    std::memcpy(name, start, length < sizeof(name) - 1 ? length : sizeof(name) - 1);
    method->parameterTypes[i] = ResolveTypeReference(name);
    start = *end == ',' ? end + 1 : end;
  }
}

void AddMethod(const MethodRow& row) {
  auto* entry = static_cast<MethodEntry*>(TaggedAlloc(sizeof(MethodEntry)));
  std::memset(entry, 0, sizeof(MethodEntry));
  entry->name = MakeStringFromC(row.name);
  entry->entry = row.entry;
  entry->returnType = ResolveTypeReference(row.result);
  ParseParameterTypes(row.parameters, entry);
  Append(&row.owner->methods, entry);
}

void AddEvent(const OwnedEventRow& owned) {
  const EventRow& row = owned.row;
  auto* entry = static_cast<EventDeclaration*>(TaggedAlloc(sizeof(EventDeclaration)));
  *entry = EventDeclaration{MakeStringFromC(row.name), NameOrNil(row.parameterText),
                            NameOrNil(row.returnText), nullptr};
  Append(&owned.owner->eventDeclarations, entry);
  *row.slot = entry;
}

void AddHandler(const HandlerRow& row) {
  auto* entry = static_cast<EventHandlerEntry*>(TaggedAlloc(sizeof(EventHandlerEntry)));
  *entry = EventHandlerEntry{MakeStringFromC(row.event), 0, row.entry, nullptr};
  Append(&row.owner->eventHandlers, entry);
}

StringMap& Registry() {
  static StringMap* registry = new StringMap;  // lives for the process, like the classes
  return *registry;
}

}  // namespace

void RegisterClass(ClassRecord* cls) {
  if (cls == nullptr || cls->name == nullptr) return;
  Registry().Put(cls->name, cls);
}

ClassRecord* FindBuiltinClass(const char* name) {
  SetUpBuiltinClasses();
  return static_cast<ClassRecord*>(Registry().Get(name));
}

ClassRecord* FindBuiltinClass(const StringRecord* name) {
  SetUpBuiltinClasses();
  return static_cast<ClassRecord*>(Registry().Get(name));
}

StringMap& ClassRegistry() {
  SetUpBuiltinClasses();
  return Registry();
}

ClassRecord* AllClasses() { return gAllClasses; }

void LinkClassRecord(ClassRecord* cls) {
  cls->nextClass = gAllClasses;
  gAllClasses = cls;
}

void UnlinkClassRecord(ClassRecord* cls) {
  for (ClassRecord** link = &gAllClasses; *link != nullptr; link = &(*link)->nextClass) {
    if (*link == cls) {
      *link = cls->nextClass;
      cls->nextClass = nullptr;
      return;
    }
  }
}

void SetUpBuiltinClasses() {
  static bool started = false;
  if (started) return;
  started = true;  // set first: the steps below look classes up
  for (const ClassRow* row = kClassRows; row->record != nullptr; ++row) FillClass(*row);
  for (const ClassRow* row = kClassRows; row->record != nullptr; ++row) LinkSuperclass(*row);
  for (const OwnedPropertyRow* row = kPropertyRows; row->owner != nullptr; ++row)
    AddProperty(*row);
  for (const MethodRow* row = kMethodRows; row->owner != nullptr; ++row) AddMethod(*row);
  for (const OwnedEventRow* row = kEventRows; row->owner != nullptr; ++row) AddEvent(*row);
  for (const HandlerRow* row = kHandlerRows; row->owner != nullptr; ++row) AddHandler(*row);
}
