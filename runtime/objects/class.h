// ClassRecord and the rows of its tables: properties, methods, event declarations, event
// and menu handlers, implemented interfaces, and the scalar TypeDescriptors that a type
// reference may point at instead of a class. Built by runtime/objects/builtinclasses.cpp
// (built-in classes) and runtime/objects/classtable.cpp (classes of the image).
#pragma once
#include <cstddef>
#include <cstdint>

#include "runtime/objects/object.h"
#include "runtime/objects/string.h"

struct ClassRecord;

// A routine of the runtime or of the image, called with the C convention.
using CodeAddress = void*;
// Constructors and destructors are called as hook(object, class that declares the hook).
using ObjectHook = void (*)(ObjectHeader* object, ClassRecord* cls);

constexpr uint32_t kClassRecordKind = 3;  // first word of a ClassRecord
constexpr uint32_t kTypeDescriptorKind = 0;  // first word of a scalar TypeDescriptor
constexpr int32_t kFreshInstanceSize = 24;  // header and two words, as Object

struct PropertyEntry {
  StringRecord* name;
  void* type;  // TypeDescriptor* or ClassRecord*: tell them apart by the kind word
  uint32_t flags;  // carried from the static table, not read by the runtime
  CodeAddress getter;  // called as getter(object, parameter)
  CodeAddress setter;  // called as setter(object, parameter, value); nil = read-only
  int32_t parameter;  // for the shared offset accessors: the field's byte offset
  PropertyEntry* next;
};
static_assert(sizeof(PropertyEntry) == 28);
static_assert(offsetof(PropertyEntry, getter) == 12 && offsetof(PropertyEntry, parameter) == 20);

constexpr uint32_t kMethodOfInterface = 8;  // MethodEntry::flags bit set by the interface pass

struct MethodEntry {
  StringRecord* name;
  uint32_t flags;
  int32_t interfaceSlot;  // 1-based number among an interface's methods; 0 otherwise
  CodeAddress entry;
  void* returnType;  // built-in methods: TypeDescriptor* or ClassRecord*, nil = none
  void** parameterTypes;  // built-in methods: parameterCount type references
  int32_t parameterCount;
  CodeAddress secondEntry;  // plug-in methods only (member links of kind "W")
  MethodEntry* next;
};
static_assert(sizeof(MethodEntry) == 36);

struct EventDeclaration {
  StringRecord* name;
  StringRecord* parameterText;  // e.g. "item As FolderItem"
  StringRecord* returnText;     // e.g. "Boolean"; nil = none
  EventDeclaration* next;
};
static_assert(sizeof(EventDeclaration) == 16);

struct EventHandlerEntry {
  StringRecord* name;
  uint32_t eventKey;  // matches events that image classes declare (RuntimeFindHookCode)
  CodeAddress entry;  // called with the object first
  EventHandlerEntry* next;
};
static_assert(sizeof(EventHandlerEntry) == 16);

// Passed as the index of a menu handler call that is not for an element of an array.
constexpr uint32_t kNoMenuIndex = 0x80000000u;

struct MenuHandlerEntry {
  StringRecord* name;  // menu item name
  CodeAddress entry;   // handler(object) or handler(object, index)
  MenuHandlerEntry* next;
};
static_assert(sizeof(MenuHandlerEntry) == 12);

struct InterfaceEntry {
  ClassRecord* interface;
  CodeAddress* table;  // slot 0 unused; slot k implements the interface's k-th method
  int32_t tableLength;  // interface methods + 1; 0 until the tables are built
  InterfaceEntry* next;
};
static_assert(sizeof(InterfaceEntry) == 16);

// One per class. Invariants: kind == kClassRecordKind; the superclass chain ends in nil and
// has no cycle; instanceSize >= 16 and counts the ObjectHeader.
struct ClassRecord {
  uint32_t kind;
  ClassRecord* superclass;  // nil for a root class
  CodeAddress* vtable;  // image classes only
  uint32_t interfaceGeneration;  // generation of the last interface-table build
  int32_t vtableLength;
  StringRecord* name;  // nil for the unnamed handler-carrying subclasses of the image
  StringRecord* secondName;
  uint8_t builtIn;  // 1: defined by the runtime; 0: from the image
  uint8_t pad1[3];
  ClassRecord* nextClass;  // the global list of all class records, newest first
  int32_t instanceSize;
  PropertyEntry* properties;
  MethodEntry* methods;  // in declaration order
  EventDeclaration* eventDeclarations;
  EventHandlerEntry* eventHandlers;
  MenuHandlerEntry* menuHandlers;
  InterfaceEntry* interfaces;
  uint8_t isInterface;
  uint8_t pad2[3];
  ObjectHook constructor;
  ObjectHook destructor;
  void* pluginLinks;  // the plug-in class definition and extension lists
};
static_assert(sizeof(ClassRecord) == 80);
static_assert(offsetof(ClassRecord, superclass) == 4);
static_assert(offsetof(ClassRecord, vtable) == 8);
static_assert(offsetof(ClassRecord, interfaceGeneration) == 12);
static_assert(offsetof(ClassRecord, vtableLength) == 16);
static_assert(offsetof(ClassRecord, name) == 20);
static_assert(offsetof(ClassRecord, secondName) == 24);
static_assert(offsetof(ClassRecord, builtIn) == 28);
static_assert(offsetof(ClassRecord, nextClass) == 32);
static_assert(offsetof(ClassRecord, instanceSize) == 36);
static_assert(offsetof(ClassRecord, properties) == 40);
static_assert(offsetof(ClassRecord, methods) == 44);
static_assert(offsetof(ClassRecord, eventDeclarations) == 48);
static_assert(offsetof(ClassRecord, eventHandlers) == 52);
static_assert(offsetof(ClassRecord, menuHandlers) == 56);
static_assert(offsetof(ClassRecord, interfaces) == 60);
static_assert(offsetof(ClassRecord, isInterface) == 64);
static_assert(offsetof(ClassRecord, constructor) == 68);
static_assert(offsetof(ClassRecord, destructor) == 72);
static_assert(offsetof(ClassRecord, pluginLinks) == 76);

// A value of a scalar type travels as one 32-bit word (a string is its StringRecord*).
// Conversions a type does not have are nil.
using ToTextOperation = StringRecord* (*)(uint32_t value);  // a new string
using FromTextOperation = bool (*)(StringRecord* text, uint32_t* value);  // text is lent
using ValueOperation = void (*)(uint32_t value);

struct TypeDescriptor {
  uint32_t kind;  // kTypeDescriptorKind
  StringRecord* name;
  ToTextOperation toText;
  FromTextOperation fromText;
  ValueOperation release;  // "String" only: unlocks
  ValueOperation retain;   // "String" only: locks
};
static_assert(sizeof(TypeDescriptor) == 24);
static_assert(offsetof(TypeDescriptor, name) == 4 && offsetof(TypeDescriptor, retain) == 20);

// Static tables that built-in classes declare their members from.
struct PropertyRow {  // six words: flags, name, type, getter, setter, parameter
  uint32_t flags;
  const char* name;
  const char* type;  // "Integer", "String", ... or a class name
  CodeAddress getter;
  CodeAddress setter;
  int32_t parameter;
};
static_assert(sizeof(PropertyRow) == 24);

struct EventRow {  // six words: flags, name, parameter text, return text, unread, slot
  uint32_t flags;
  const char* name;
  const char* parameterText;
  const char* returnText;  // "" = none
  uint32_t unused;
  EventDeclaration** slot;  // receives the made declaration
};
static_assert(sizeof(EventRow) == 24);

// True when a type reference (PropertyEntry::type, MethodEntry::returnType) is a class.
inline bool IsClassReference(const void* type) {
  return type != nullptr && *static_cast<const uint32_t*>(type) == kClassRecordKind;
}
