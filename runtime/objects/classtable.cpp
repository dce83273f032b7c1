// The image's classes: class descriptors (kind 1: a class the runtime or a plug-in supplies;
// kind 0: a class of the image) turned into ClassRecords, superclasses linked, sizes checked,
// and the interface dispatch tables built. Entry point: LoadImageClasses.
#include "runtime/objects/classtable.h"

#include <cstring>
#include <string>
#include <vector>

#include "runtime/objects/heap.h"
#include "runtime/objects/namefold.h"
#include "runtime/objects/objects.h"
#include "runtime/objects/strings.h"
#include "runtime/plugins/pluginlookup.h"
#include "runtime/records/classtable.h"
#include "runtime/startup/assertion.h"
#include "runtime/startup/fatal.h"

namespace {

std::vector<ClassRecord*> gImageClasses;
uint32_t gInterfaceGeneration = 0;

// No class of a real image comes near this; a larger size is a damaged descriptor.
constexpr int32_t kLargestInstance = 0x100000;

std::string Damaged(int32_t index, const std::string& what) {
  return "class descriptor " + std::to_string(index) + ": " + what;
}

ClassRecord* NewClassRecord() {
  auto* cls = static_cast<ClassRecord*>(TaggedAlloc(sizeof(ClassRecord)));
  std::memset(cls, 0, sizeof(ClassRecord));
  cls->kind = kClassRecordKind;
  cls->instanceSize = kFreshInstanceSize;
  return cls;
}

StringRecord* LiteralRecord(const LiteralView& literal) {
  return const_cast<StringRecord*>(literal.record);
}

// A kind-1 class: the built-in registry, then plug-in classes, then plug-in controls.
ClassRecord* FindSuppliedClass(const StringRecord* name) {
  if (ClassRecord* cls = FindBuiltinClass(name)) return cls;
  if (ClassRecord* cls = FindPluginClass(StringText(name))) return cls;
  return FindPluginControl(StringText(name));
}

struct PendingClass {
  ClassRecord* cls;
  int32_t superIndex;
  std::vector<int32_t> interfaceIndexes;
};

void AddMethods(const ClassDescriptorView& view, ClassRecord* cls) {
  MethodEntry** tail = &cls->methods;
  for (const MethodView& source : view.methods) {
    auto* method = static_cast<MethodEntry*>(TaggedAlloc(sizeof(MethodEntry)));
    std::memset(method, 0, sizeof(MethodEntry));
    method->name = LiteralRecord(source.name);
    method->entry = reinterpret_cast<CodeAddress>(source.entry);
    *tail = method;  // declaration order
    tail = &method->next;
  }
}

// Event and menu handlers: each new one in front, so the lists are in reverse file order.
void AddHandlers(const ClassDescriptorView& view, ClassRecord* cls) {
  for (const EventHandlerView& source : view.eventHandlers) {
    auto* handler = static_cast<EventHandlerEntry*>(TaggedAlloc(sizeof(EventHandlerEntry)));
    *handler = EventHandlerEntry{LiteralRecord(source.name), source.eventKey,
                                 reinterpret_cast<CodeAddress>(source.entry),
                                 cls->eventHandlers};
    cls->eventHandlers = handler;
  }
  for (const MenuHandlerView& source : view.menuHandlers) {
    auto* handler = static_cast<MenuHandlerEntry*>(TaggedAlloc(sizeof(MenuHandlerEntry)));
    *handler = MenuHandlerEntry{LiteralRecord(source.name),
                                reinterpret_cast<CodeAddress>(source.entry), cls->menuHandlers};
    cls->menuHandlers = handler;
  }
}

PendingClass MakeDefinedClass(const ClassDescriptorView& view) {
  ClassRecord* cls = NewClassRecord();
  cls->name = LiteralRecord(view.name);
  cls->instanceSize = view.instanceSize;
  if (view.hasConstructor) {
    cls->constructor = reinterpret_cast<ObjectHook>(view.constructor);
    cls->destructor = reinterpret_cast<ObjectHook>(view.destructor);
  }
  cls->isInterface = view.isInterface ? 1 : 0;
  AddMethods(view, cls);
  AddHandlers(view, cls);
  cls->vtable = reinterpret_cast<CodeAddress*>(const_cast<uint32_t*>(view.vtable));
  cls->vtableLength = view.vtableLength;
  return PendingClass{cls, view.superclass, view.interfaces};
}

void ReportBadSize(const ClassRecord* cls) {
  const ClassRecord* super = cls->superclass;
  std::string text = "!!! RuntimeInit -- Bad class object size\n";
  text += "\tClass Name: " + std::string(StringView(cls->name)) + "\n";
  text += "\tClass Size: " + std::to_string(cls->instanceSize) + "\n";
  text += "\tSuper Name: " + std::string(StringView(super->name)) + "\n";
  text += "\tSuper Size: " + std::to_string(super->instanceSize) + "\n";
  DebugMessage(text.c_str());
}

// True when following superclasses from cls comes back to cls.
bool HasCycle(const ClassRecord* cls) {
  int32_t steps = 0;
  for (const ClassRecord* at = cls->superclass; at != nullptr; at = at->superclass)
    if (at == cls || ++steps > 100000) return true;
  return false;
}

// Indexes were checked against the table by the reader; a kind-1 class that was not found
// is nil and cannot serve as a superclass or interface.
bool LinkPendingClass(const PendingClass& pending, int32_t index, std::string* error) {
  ClassRecord* cls = pending.cls;
  if (pending.superIndex != -1) {
    cls->superclass = gImageClasses[pending.superIndex];
    if (cls->superclass == nullptr) {
      *error = Damaged(index, "its superclass is a class that was not found");
      return false;
    }
  }
  for (int32_t interfaceIndex : pending.interfaceIndexes) {
    ClassRecord* interface = gImageClasses[interfaceIndex];
    if (interface == nullptr) {
      *error = Damaged(index, "it implements a class that was not found");
      return false;
    }
    auto* entry = static_cast<InterfaceEntry*>(TaggedAlloc(sizeof(InterfaceEntry)));
    *entry = InterfaceEntry{interface, nullptr, 0, cls->interfaces};
    cls->interfaces = entry;  // each new one in front: reverse file order
  }
  return true;
}

int32_t CountMethods(const ClassRecord* cls) {
  int32_t count = 0;
  for (const MethodEntry* m = cls->methods; m != nullptr; m = m->next) ++count;
  return count;
}

void NumberInterfaceMethods() {
  for (ClassRecord* cls = AllClasses(); cls != nullptr; cls = cls->nextClass) {
    int32_t slot = 0;
    for (MethodEntry* m = cls->methods; m != nullptr; m = m->next) {
      if (cls->isInterface) {
        m->flags |= kMethodOfInterface;
        m->interfaceSlot = ++slot;
      } else {
        m->flags &= ~kMethodOfInterface;
        m->interfaceSlot = 0;
      }
    }
  }
}

bool FindImplementationFor(const ClassRecord* cls, const StringRecord* name,
                           CodeAddress* entry) {
  for (; cls != nullptr; cls = cls->superclass)
    for (const MethodEntry* m = cls->methods; m != nullptr; m = m->next)
      if (NameBytesEqual(StringBytes(m->name), StringLength(m->name), StringBytes(name),
                         StringLength(name))) {
        *entry = m->entry;
        return true;
      }
  return false;
}

bool BuildTablesOf(ClassRecord* cls) {
  cls->interfaceGeneration = gInterfaceGeneration;
  for (InterfaceEntry* entry = cls->interfaces; entry != nullptr; entry = entry->next) {
    int32_t length = CountMethods(entry->interface) + 1;
    auto* table = static_cast<CodeAddress*>(TaggedAlloc(length * 4));
    std::memset(table, 0, static_cast<size_t>(length) * 4);
    int32_t slot = 1;
    for (const MethodEntry* m = entry->interface->methods; m != nullptr; m = m->next, ++slot) {
      if (!FindImplementationFor(cls, m->name, &table[slot])) {
        FailedAssertion(2, "objects", 2389);
        TaggedFree(table);
        return false;
      }
    }
    if (entry->table != nullptr) TaggedFree(entry->table);
    entry->table = table;
    entry->tableLength = length;
  }
  return true;
}

}  // namespace

bool BuildInterfaceTables() {
  NumberInterfaceMethods();
  ++gInterfaceGeneration;
  for (ClassRecord* cls = AllClasses(); cls != nullptr; cls = cls->nextClass) {
    if (cls->isInterface) continue;
    // After an image class, its superclasses whose generation still differs.
    for (ClassRecord* at = cls; at != nullptr && !at->isInterface &&
                                at->interfaceGeneration != gInterfaceGeneration;
         at = at->builtIn ? nullptr : at->superclass) {
      if (!BuildTablesOf(at)) {
        FailedAssertion(4, "objects", 6036);
        return false;
      }
    }
  }
  return true;
}

namespace {

bool ReadClassTable(const DataBlock& block, uint32_t offset, std::string* error) {
  ApplicationDescriptor descriptor;
  if (!descriptor.Open(block, offset, *error)) return false;
  int32_t count = descriptor.ClassCount();
  gImageClasses.assign(static_cast<size_t>(count), nullptr);
  std::vector<PendingClass> pending;
  std::vector<int32_t> pendingIndex;
  for (int32_t index = 0; index < count; ++index) {
    uint32_t at = 0;
    ClassDescriptorView view;
    if (!descriptor.ClassDescriptorOffset(index, at, *error) ||
        !ReadClassDescriptor(block, at, index, count, view, *error))
      return false;
    if (view.kind == kClassNamed) {
      gImageClasses[index] = FindSuppliedClass(LiteralRecord(view.name));
      if (gImageClasses[index] == nullptr) FailedAssertion(2, "", 0);
      continue;
    }
    if (view.instanceSize > kLargestInstance) {
      *error = Damaged(index, "instance size " + std::to_string(view.instanceSize) +
                                  " is too large");
      return false;
    }
    pending.push_back(MakeDefinedClass(view));
    gImageClasses[index] = pending.back().cls;
    pendingIndex.push_back(index);
  }
  for (size_t i = 0; i < pending.size(); ++i)
    if (!LinkPendingClass(pending[i], pendingIndex[i], error)) return false;
  for (size_t i = 0; i < pending.size(); ++i) {
    if (HasCycle(pending[i].cls)) {
      *error = Damaged(pendingIndex[i], "superclass chain loops");
      return false;
    }
  }
  for (PendingClass& made : pending) {
    LinkClassRecord(made.cls);
    const ClassRecord* super = made.cls->superclass;
    if (super != nullptr && made.cls->instanceSize < super->instanceSize) ReportBadSize(made.cls);
  }
  BuildInterfaceTables();  // a missing method is reported; start-up goes on
  return true;
}

}  // namespace

bool LoadImageClasses(const DataBlock& block, uint32_t descriptorOffset, std::string* error) {
  ForgetImageClasses();
  if (ReadClassTable(block, descriptorOffset, error)) return true;
  ForgetImageClasses();  // no class of a refused table is usable
  return false;
}

int32_t ImageClassCount() { return static_cast<int32_t>(gImageClasses.size()); }

ClassRecord* ImageClass(int32_t index) {
  if (index < 0 || index >= ImageClassCount()) return nullptr;
  return gImageClasses[index];
}

void ForgetImageClasses() {
  for (ClassRecord* cls : gImageClasses)
    if (cls != nullptr && !cls->builtIn) UnlinkClassRecord(cls);
  gImageClasses.clear();
}
