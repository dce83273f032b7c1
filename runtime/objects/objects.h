// The object model for the rest of the runtime: making objects, reference counting and
// destruction, the live-object list, class questions (is-a, lookup of members and event
// handlers) and the registry of built-in classes. Entry points for compiled code are in
// runtime/entries/lists/objects.def; image classes are in runtime/objects/classtable.h.
#pragma once
#include <cstdint>

#include "runtime/objects/class.h"
#include "runtime/objects/object.h"
#include "runtime/objects/stringmap.h"

// Making and counting. MakeObject returns a new object (count 1, every word after the class
// word zero) after running the constructors root-down; exhaustion is fatal. Nil only when
// a constructor released the caller's reference (the object is then destroyed).
ObjectHeader* MakeObject(ClassRecord* cls);
ObjectHeader* LockObject(ObjectHeader* object);  // nil allowed; returns object
// Nil allowed. At 0 the object is destroyed: destructors leaf-up, never recursively (an
// object released by a destructor is destroyed after the current one is freed).
void UnlockObject(ObjectHeader* object);
// Bytes an object of the class occupies: the instance size rounded up to whole words.
int32_t ObjectAllocationSize(const ClassRecord* cls);

// The live-object list: every object made and not yet destroyed, newest first
// (for (auto* o = LiveObjects(); o; o = o->next)).
ObjectHeader* LiveObjects();
int32_t LiveObjectCount();

// Class questions. Nil objects are never instances.
bool ClassIsa(const ClassRecord* cls, const ClassRecord* target);  // interfaces included
bool ObjectIsa(const ObjectHeader* object, const ClassRecord* target);
// The first class with a non-empty name in the chain (own class first), or nil.
ClassRecord* FirstNamedClass(ClassRecord* cls);
// Members by name (ignoring case), searching the class and then its superclasses.
PropertyEntry* FindProperty(ClassRecord* cls, const char* name);
MethodEntry* FindMethod(ClassRecord* cls, const char* name);
// An event that cls itself declares, or nil.
EventDeclaration* FindEventDeclaration(const ClassRecord* cls, const char* name);

// The handler of a built-in event declaration for this object, or nil: walks from the
// object's class up; handlers with the declaration's name become the candidate, a class
// that declares its own event of that name clears it, and the walk ends at the declaring
// class. A nil declaration is failed assertion 4 ("objects", 5799).
CodeAddress FindEventHandler(ObjectHeader* object, EventDeclaration* declaration);
// The handler of an event declared by an image class (matched by key), or nil.
CodeAddress FindHookCode(ObjectHeader* object, uint32_t eventKey);

// Calls a constructor, destructor or handler of image code with two arguments. Built-in
// hooks are plain C++ functions and are called directly.
void CallObjectHook(ClassRecord* cls, ObjectHook hook, ObjectHeader* object);

// The registry of built-in classes: name -> ClassRecord (ignoring case).
void RegisterClass(ClassRecord* cls);  // under its name; a nil name is ignored
ClassRecord* FindBuiltinClass(const char* name);
ClassRecord* FindBuiltinClass(const StringRecord* name);
StringMap& ClassRegistry();
// The global list of every class record, newest first (ClassRecord::nextClass).
ClassRecord* AllClasses();
void LinkClassRecord(ClassRecord* cls);  // puts a new record at the head of that list
void UnlinkClassRecord(ClassRecord* cls);  // takes a record out of that list

// Sets up the built-in classes of runtime/objects/builtins/*.def once (records, member
// lists, registry). Idempotent; the helpers below call it.
void SetUpBuiltinClasses();
