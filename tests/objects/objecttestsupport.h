// Test support for the object model: classes built by hand (as the class table would build
// them), a recorder of constructor/destructor/assertion events, and hooks that make
// failed assertions and raised exceptions observable.
#pragma once
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "runtime/exceptions/raise.h"
#include "runtime/objects/class.h"
#include "runtime/objects/heap.h"
#include "runtime/objects/objects.h"
#include "runtime/objects/strings.h"
#include "runtime/startup/assertion.h"

namespace objects_test {

// Everything the hooks saw, in order: "ctor A", "dtor B", "assert 4 objects 462", ...
inline std::vector<std::string>& Log() {
  static std::vector<std::string> log;
  return log;
}

inline void RecordAssertion(int32_t number, const char* unit, int32_t line) {
  Log().push_back("assert " + std::to_string(number) + " " + (unit ? unit : "") + " " +
                  std::to_string(line));
}

inline std::vector<ObjectHeader*>& Raised() {
  static std::vector<ObjectHeader*> raised;
  return raised;
}
inline void RecordRaise(ObjectHeader* exception) { Raised().push_back(exception); }

// Installs the assertion and raise hooks for one test and restores them afterwards.
class HookScope {
 public:
  HookScope() : assertion_(SetAssertionHook(RecordAssertion)), raise_(SetRaiseHook(RecordRaise)) {
    Log().clear();
    Raised().clear();
  }
  ~HookScope() {
    SetAssertionHook(assertion_);
    SetRaiseHook(raise_);
    for (ObjectHeader* e : Raised()) UnlockObject(e);
  }

 private:
  AssertionHook assertion_;
  RaiseHook raise_;
};

// A class record made the way the class table makes image classes.
inline ClassRecord* NewClass(const char* name, ClassRecord* super = nullptr,
                             int32_t instanceSize = 24) {
  SetUpBuiltinClasses();  // once, before a test measures the heap
  auto* cls = static_cast<ClassRecord*>(TaggedAlloc(sizeof(ClassRecord)));
  std::memset(cls, 0, sizeof(ClassRecord));
  cls->kind = kClassRecordKind;
  cls->name = name != nullptr ? MakeStringFromC(name) : nullptr;
  cls->superclass = super;
  cls->instanceSize = instanceSize;
  return cls;
}

// The hook writes "ctor <class name>" / "dtor <class name>"; for classes the test made.
inline void LoggingConstructor(ObjectHeader*, ClassRecord* cls) {
  Log().push_back("ctor " + std::string(StringView(cls->name)));
}
inline void LoggingDestructor(ObjectHeader*, ClassRecord* cls) {
  Log().push_back("dtor " + std::string(StringView(cls->name)));
}

inline void AddHandler(ClassRecord* cls, const char* event, void* entry, uint32_t key = 0) {
  auto* handler = static_cast<EventHandlerEntry*>(TaggedAlloc(sizeof(EventHandlerEntry)));
  *handler = EventHandlerEntry{MakeStringFromC(event), key, entry, nullptr};
  EventHandlerEntry** tail = &cls->eventHandlers;
  while (*tail != nullptr) tail = &(*tail)->next;
  *tail = handler;
}

inline EventDeclaration* Declare(ClassRecord* cls, const char* event) {
  auto* declaration = static_cast<EventDeclaration*>(TaggedAlloc(sizeof(EventDeclaration)));
  *declaration = EventDeclaration{MakeStringFromC(event), nullptr, nullptr, nullptr};
  EventDeclaration** tail = &cls->eventDeclarations;
  while (*tail != nullptr) tail = &(*tail)->next;
  *tail = declaration;
  return declaration;
}

inline void Implements(ClassRecord* cls, ClassRecord* interface) {
  auto* entry = static_cast<InterfaceEntry*>(TaggedAlloc(sizeof(InterfaceEntry)));
  *entry = InterfaceEntry{interface, nullptr, 0, cls->interfaces};
  cls->interfaces = entry;
}

// Distinct fake code addresses for lookups that are compared, never called.
inline void* Code(uintptr_t n) { return reinterpret_cast<void*>(0x1000 + n * 16); }

}  // namespace objects_test
