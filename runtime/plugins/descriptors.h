// The records plug-ins hand to the registration entries: control, class and extension
// descriptors and the entries of their property, method, event and constant arrays, all
// arrays of 32-bit words laid out by the plug-in interface. Version-1 control descriptors
// have shorter property and method entries and are converted (controlregistration.cpp).
#pragma once
#include <cstddef>
#include <cstdint>

using PluginRoutine = void*;
// A getter or setter word meaning "the runtime's own accessor at the field offset".
inline PluginRoutine RuntimeAccessorMark() { return reinterpret_cast<PluginRoutine>(~uintptr_t{0}); }

constexpr uint32_t kPropertyRedraws = 1;  // flags bit 0: setting it redraws the control

struct PluginPropertyEntry {
  uint32_t group;
  const char* name;
  const char* type;
  uint32_t flags;
  PluginRoutine getter;  // 0 none, -1 runtime's own, else the plug-in's routine
  PluginRoutine setter;
  int32_t fieldOffset;  // within the plug-in's part of the instance
  uint32_t reserved[3];
};
static_assert(sizeof(PluginPropertyEntry) == 40);
static_assert(offsetof(PluginPropertyEntry, getter) == 16 && offsetof(PluginPropertyEntry, fieldOffset) == 24);

struct PluginPropertyEntryV1 {
  uint32_t group;
  const char* name;
  const char* type;
  uint32_t flags;
  int32_t fieldOffset;
};
static_assert(sizeof(PluginPropertyEntryV1) == 20);

struct PluginMethodEntry {
  PluginRoutine routine;
  PluginRoutine secondRoutine;  // 0 when none
  const char* declaration;
};
static_assert(sizeof(PluginMethodEntry) == 12);

struct PluginMethodEntryV1 {
  int32_t exportIndex;
  const char* declaration;
};
static_assert(sizeof(PluginMethodEntryV1) == 8);

struct PluginEventEntry {
  const char* declaration;
  void* handle;  // written by the runtime: the EventDeclaration made for it
};
static_assert(sizeof(PluginEventEntry) == 8);

struct PluginConstantEntry {
  const char* name;
  int32_t exportIndex;
};
static_assert(sizeof(PluginConstantEntry) == 8);

// An element of a plug-in's export table: the second word is the routine.
struct PluginExportEntry {
  uint32_t tag;
  PluginRoutine routine;
};
static_assert(sizeof(PluginExportEntry) == 8);

// Version 3 and later (words 16 to 18 from version 4). Instance size 96 + dataSize.
struct PluginControlDescriptor {
  int32_t version;
  const char* name;
  int32_t dataSize;
  uint32_t flags;  // bit 2: windowless pane (see plugincontrolpane.h)
  int32_t value4;
  int32_t value5;
  int32_t value6;
  int32_t value7;
  PluginPropertyEntry* properties;
  int32_t propertyCount;
  PluginMethodEntry* methods;
  int32_t methodCount;
  PluginEventEntry* events;
  int32_t eventCount;
  PluginRoutine* behaviour;
  int32_t dataOffset;  // written by the runtime: 96
  PluginConstantEntry* constants;
  int32_t constantCount;
  const char* interfaces;
};
static_assert(sizeof(PluginControlDescriptor) == 76);
static_assert(offsetof(PluginControlDescriptor, value6) == 24);
static_assert(offsetof(PluginControlDescriptor, properties) == 32);
static_assert(offsetof(PluginControlDescriptor, behaviour) == 56);
static_assert(offsetof(PluginControlDescriptor, dataOffset) == 60);
static_assert(offsetof(PluginControlDescriptor, interfaces) == 72);

constexpr uint32_t kWindowlessPaneFlag = 4;

struct PluginControlDescriptorV1 {
  int32_t version;
  const char* name;
  int32_t dataSize;
  uint32_t flags;
  int32_t value4;
  int32_t value5;
  PluginPropertyEntryV1* properties;
  int32_t propertyCount;
  PluginMethodEntryV1* methods;
  int32_t methodCount;
  PluginEventEntry* events;
  int32_t eventCount;
  PluginRoutine* behaviour;
};
static_assert(sizeof(PluginControlDescriptorV1) == 52);
static_assert(offsetof(PluginControlDescriptorV1, properties) == 24);
static_assert(offsetof(PluginControlDescriptorV1, behaviour) == 48);

struct PluginClassDescriptor {
  uint32_t reserved;
  const char* name;
  const char* superclass;  // nil or "" for a root class
  int32_t dataSize;
  int32_t dataOffset;  // written by the runtime when the class is finished
  PluginRoutine constructor;
  PluginRoutine destructor;
  PluginPropertyEntry* properties;
  int32_t propertyCount;
  PluginMethodEntry* methods;
  int32_t methodCount;
  PluginEventEntry* events;
  int32_t eventCount;
  PluginConstantEntry* constants;
  int32_t constantCount;
  const char* interfaces;
};
static_assert(sizeof(PluginClassDescriptor) == 64);
static_assert(offsetof(PluginClassDescriptor, dataOffset) == 16);
static_assert(offsetof(PluginClassDescriptor, properties) == 28);
static_assert(offsetof(PluginClassDescriptor, events) == 44);
static_assert(offsetof(PluginClassDescriptor, interfaces) == 60);

// Behaviour-table slots of a control plug-in.
enum BehaviourSlot : int32_t {
  kSlotCreated = 0,
  kSlotDestroyed = 1,
  kSlotDraw = 2,
  kSlotMouseDown = 3,
  kSlotMouseDrag = 4,
  kSlotMouseUp = 5,
  kSlotGotFocus = 6,
  kSlotLostFocus = 7,
  kSlotKeyDown = 8,
  kSlotPaneCreated = 9,
  kSlotPaneClosing = 10,
  kSlotPeriodic = 11,
  kSlotDrawInto = 12,
  kSlotCommand = 13,
  kSlotRedraw = 14,
  kSlotFontChanged = 15,
  kSlotMouseEnter = 16,
  kSlotMouseExit = 17,
  kSlotWindowPoint = 18,
  kBehaviourSlots = 19,
};
