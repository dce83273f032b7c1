// The built-in classes as plain constant tables, for the compiler and tools: class names,
// superclasses and instance sizes; properties with their types and accessor entry names;
// methods and events. Header only: it needs no runtime library. The runtime builds its
// class records from the same lines (runtime/objects/builtinclasses.cpp).
#pragma once
#include <cstdint>
#include <string_view>

namespace builtins {

// An entry named `nullptr` in a .def line means none.
constexpr const char* EntryNameOrNull(const char* name) {
  return std::string_view(name) == "nullptr" ? nullptr : name;
}

struct ClassInfo {
  const char* name;
  const char* superclass;  // "" for a root class
  int32_t instanceSize;    // bytes, header included
  const char* secondName;  // nullptr when none
};

struct PropertyInfo {
  const char* className;
  const char* name;
  const char* type;    // "String", "Integer", "Boolean", "Single", "Double", "Color" or a class
  const char* getter;  // entry name called as getter(object, parameter)
  const char* setter;  // entry name called as setter(object, parameter, value); nullptr = read-only
  int32_t parameter;
  uint32_t flags;
};

struct MethodInfo {
  const char* className;
  const char* name;
  const char* entry;       // called as entry(object, arguments...)
  const char* result;      // type name, "" = none
  const char* parameters;  // type names separated by ", ", "" = none
};

struct EventInfo {
  const char* className;
  const char* name;
  const char* parameterText;  // as declared, e.g. "item As FolderItem"
  const char* returnText;     // "" = none
};

#define AMX_CLASS(Name, Super, InstanceSize, SecondName, Hooks) \
  ClassInfo{#Name, #Super, InstanceSize, SecondName},
#define AMX_PROPERTY(Class, Name, Type, Getter, Setter, Parameter, Flags)
#define AMX_METHOD(Class, Name, Entry, Result, Parameters)
#define AMX_EVENT(Class, Name, ParameterText, ReturnText)
inline constexpr ClassInfo kClasses[] = {
#include "runtime/objects/builtins/all.def"
    ClassInfo{nullptr, nullptr, 0, nullptr}};
#undef AMX_CLASS
#undef AMX_PROPERTY

#define AMX_CLASS(Name, Super, InstanceSize, SecondName, Hooks)
#define AMX_PROPERTY(Class, Name, Type, Getter, Setter, Parameter, Flags) \
  PropertyInfo{#Class, #Name, Type, EntryNameOrNull(#Getter), EntryNameOrNull(#Setter), Parameter, Flags},
inline constexpr PropertyInfo kProperties[] = {
#include "runtime/objects/builtins/all.def"
    PropertyInfo{nullptr, nullptr, nullptr, nullptr, nullptr, 0, 0}};
#undef AMX_PROPERTY
#undef AMX_METHOD

#define AMX_PROPERTY(Class, Name, Type, Getter, Setter, Parameter, Flags)
#define AMX_METHOD(Class, Name, Entry, Result, Parameters) \
  MethodInfo{#Class, #Name, #Entry, Result, Parameters},
inline constexpr MethodInfo kMethods[] = {
#include "runtime/objects/builtins/all.def"
    MethodInfo{nullptr, nullptr, nullptr, nullptr, nullptr}};
#undef AMX_METHOD
#undef AMX_EVENT

#define AMX_METHOD(Class, Name, Entry, Result, Parameters)
#define AMX_EVENT(Class, Name, ParameterText, ReturnText) \
  EventInfo{#Class, #Name, ParameterText, ReturnText},
inline constexpr EventInfo kEvents[] = {
#include "runtime/objects/builtins/all.def"
    EventInfo{nullptr, nullptr, nullptr, nullptr}};
#undef AMX_CLASS
#undef AMX_PROPERTY
#undef AMX_METHOD
#undef AMX_EVENT

// Row counts without the terminating empty row.
inline constexpr int32_t kClassCount = sizeof(kClasses) / sizeof(kClasses[0]) - 1;
inline constexpr int32_t kPropertyCount = sizeof(kProperties) / sizeof(kProperties[0]) - 1;
inline constexpr int32_t kMethodCount = sizeof(kMethods) / sizeof(kMethods[0]) - 1;
inline constexpr int32_t kEventCount = sizeof(kEvents) / sizeof(kEvents[0]) - 1;

}  // namespace builtins
