// The runtime's records of the built-in classes described in runtime/objects/builtins/*.def:
// one static ClassRecord per class and one EventDeclaration slot per event, filled by
// SetUpBuiltinClasses (runtime/objects/objects.h). Use the macros: they set the classes up
// on first use.
#pragma once

#include "runtime/objects/class.h"
#include "runtime/objects/objects.h"

namespace builtin_classes {
#define AMX_CLASS(Name, Super, InstanceSize, SecondName, Hooks) extern ClassRecord Name;
#define AMX_PROPERTY(Class, Name, Type, Getter, Setter, Parameter, Flags)
#define AMX_METHOD(Class, Name, Entry, Result, Parameters)
#define AMX_EVENT(Class, Name, ParameterText, ReturnText)
#include "runtime/objects/builtins/all.def"
#undef AMX_CLASS
#undef AMX_EVENT
}  // namespace builtin_classes

namespace builtin_events {
#define AMX_CLASS(Name, Super, InstanceSize, SecondName, Hooks)
#define AMX_EVENT(Class, Name, ParameterText, ReturnText) extern EventDeclaration* Class##_##Name;
#include "runtime/objects/builtins/all.def"
#undef AMX_CLASS
#undef AMX_PROPERTY
#undef AMX_METHOD
#undef AMX_EVENT
}  // namespace builtin_events

// The hooks a .def line promises; each family defines its own.
namespace builtins {
#define AMX_HOOKS_NoHooks(Name)
#define AMX_HOOKS_Constructor(Name) void Name##Constructor(ObjectHeader* object, ClassRecord* cls);
#define AMX_HOOKS_Destructor(Name) void Name##Destructor(ObjectHeader* object, ClassRecord* cls);
#define AMX_HOOKS_ConstructorDestructor(Name) \
  AMX_HOOKS_Constructor(Name) AMX_HOOKS_Destructor(Name)
#define AMX_CLASS(Name, Super, InstanceSize, SecondName, Hooks) AMX_HOOKS_##Hooks(Name)
#define AMX_PROPERTY(Class, Name, Type, Getter, Setter, Parameter, Flags)
#define AMX_METHOD(Class, Name, Entry, Result, Parameters)
#define AMX_EVENT(Class, Name, ParameterText, ReturnText)
#include "runtime/objects/builtins/all.def"
#undef AMX_CLASS
#undef AMX_PROPERTY
#undef AMX_METHOD
#undef AMX_EVENT
#undef AMX_HOOKS_NoHooks
#undef AMX_HOOKS_Constructor
#undef AMX_HOOKS_Destructor
#undef AMX_HOOKS_ConstructorDestructor
}  // namespace builtins

// The record of a built-in class, e.g. AMX_BUILTIN_CLASS(NilObjectException).
#define AMX_BUILTIN_CLASS(Name) (SetUpBuiltinClasses(), &builtin_classes::Name)
// The declaration of a built-in event, e.g. AMX_BUILTIN_EVENT(Application, Open).
#define AMX_BUILTIN_EVENT(Class, Name) (SetUpBuiltinClasses(), builtin_events::Class##_##Name)
