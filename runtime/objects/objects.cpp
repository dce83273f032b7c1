// Objects: making them (constructors root-down), reference counting, destruction through
// the pending-destruction stack (destructors leaf-up, never recursive), the live-object
// list, and the class questions of is-a and member lookup. Entry points: MakeObject,
// UnlockObject, ClassIsa.
#include "runtime/objects/objects.h"

#include <cstring>

#include "runtime/exceptions/imagecall.h"
#include "runtime/objects/heap.h"
#include "runtime/objects/namefold.h"
#include "runtime/objects/strings.h"
#include "runtime/startup/assertion.h"

namespace {

ObjectHeader* gLiveHead = nullptr;
int32_t gLiveCount = 0;

// Objects whose count reached 0, chained through ObjectHeader::next once they have left the
// live-object list. Only the outermost destruction runs a pass; gPassFrame is its frame.
// A destructor of image code may raise an exception that is caught above the pass, which
// then never returns: a later destruction from a frame at or above the abandoned one sees
// that the pass is gone and runs a new one, so the pending objects are not stranded.
ObjectHeader* gPendingDestruction = nullptr;
uintptr_t gPassFrame = 0;

// Deep enough for any real class chain; a longer one means a cycle in a damaged image.
constexpr int kMaxChainDepth = 4096;

void LinkLive(ObjectHeader* object) {
  object->prev = nullptr;
  object->next = gLiveHead;
  if (gLiveHead != nullptr) gLiveHead->prev = object;
  gLiveHead = object;
  ++gLiveCount;
}

void UnlinkLive(ObjectHeader* object) {
  if (object->prev != nullptr) object->prev->next = object->next;
  else gLiveHead = object->next;
  if (object->next != nullptr) object->next->prev = object->prev;
  object->prev = object->next = nullptr;
  --gLiveCount;
}

void RunConstructors(ObjectHeader* object, ClassRecord* cls, int depth) {
  if (cls == nullptr || depth >= kMaxChainDepth) return;
  RunConstructors(object, cls->superclass, depth + 1);
  if (cls->constructor != nullptr) CallObjectHook(cls, cls->constructor, object);
}

void RunDestructors(ObjectHeader* object) {
  int depth = 0;
  for (ClassRecord* cls = object->cls; cls != nullptr && depth < kMaxChainDepth;
       cls = cls->superclass, ++depth) {
    if (cls->destructor != nullptr) CallObjectHook(cls, cls->destructor, object);
  }
}

void RunDestructionPass(uintptr_t frame) {
  gPassFrame = frame;
  while (gPendingDestruction != nullptr) {
    ObjectHeader* object = gPendingDestruction;
    gPendingDestruction = object->next;
    object->next = nullptr;
    RunDestructors(object);
    HeapFree(object, ObjectAllocationSize(object->cls));
  }
  gPassFrame = 0;
}

// True inside a running pass: the caller's frame is deeper (lower) than the pass's.
bool InsideDestructionPass(uintptr_t frame) { return gPassFrame != 0 && frame < gPassFrame; }

__attribute__((noinline)) void Destroy(ObjectHeader* object) {
  auto frame = reinterpret_cast<uintptr_t>(__builtin_frame_address(0));
  UnlinkLive(object);
  object->refCount = 1;  // references taken and dropped by destructors cannot reach 0 again
  object->next = gPendingDestruction;
  gPendingDestruction = object;
  if (!InsideDestructionPass(frame)) RunDestructionPass(frame);
}

bool ClassListsInterface(const ClassRecord* cls, const ClassRecord* target) {
  for (const InterfaceEntry* entry = cls->interfaces; entry != nullptr; entry = entry->next)
    if (entry->interface == target) return true;
  return false;
}

bool NameIs(const StringRecord* name, const char* text) {
  return NameBytesEqual(StringBytes(name), StringLength(name), text,
                        static_cast<int32_t>(std::strlen(text)));
}

bool SameName(const StringRecord* a, const StringRecord* b) {
  return NameBytesEqual(StringBytes(a), StringLength(a), StringBytes(b), StringLength(b));
}

}  // namespace

int32_t ObjectAllocationSize(const ClassRecord* cls) {
  int32_t size = cls->instanceSize < 16 ? 16 : cls->instanceSize;
  return (size + 3) / 4 * 4;
}

ObjectHeader* MakeObject(ClassRecord* cls) {
  SetUpBuiltinClasses();
  // HeapAlloc hands out zeroed blocks: every word after the class word starts at 0.
  auto* object = static_cast<ObjectHeader*>(HeapAlloc(ObjectAllocationSize(cls)));
  // The caller's reference, plus one held while the constructors run: a constructor that
  // drops a reference too many cannot destroy the object before it is even listed.
  object->refCount = 2;
  object->cls = cls;
  RunConstructors(object, cls, 0);
  LinkLive(object);
  if (--object->refCount == 0) {
    Destroy(object);  // the constructors gave the caller's reference away
    return nullptr;
  }
  return object;
}

ObjectHeader* LockObject(ObjectHeader* object) {
  if (object != nullptr) ++object->refCount;
  return object;
}

void UnlockObject(ObjectHeader* object) {
  if (object == nullptr) return;
  if (object->refCount <= 0) {
    FailedAssertion(4, "objects", 462);
    return;
  }
  if (--object->refCount == 0) Destroy(object);
}

ObjectHeader* LiveObjects() { return gLiveHead; }
int32_t LiveObjectCount() { return gLiveCount; }

void CallObjectHook(ClassRecord* cls, ObjectHook hook, ObjectHeader* object) {
  if (cls->builtIn) {
    hook(object, cls);
    return;
  }
  CallImage2(reinterpret_cast<const void*>(hook), reinterpret_cast<uint32_t>(object),
             reinterpret_cast<uint32_t>(cls));
}

bool ClassIsa(const ClassRecord* cls, const ClassRecord* target) {
  if (target == nullptr) return false;
  int depth = 0;
  for (; cls != nullptr && depth < kMaxChainDepth; cls = cls->superclass, ++depth) {
    if (target->isInterface ? ClassListsInterface(cls, target) : cls == target) return true;
  }
  return false;
}

bool ObjectIsa(const ObjectHeader* object, const ClassRecord* target) {
  return object != nullptr && ClassIsa(object->cls, target);
}

ClassRecord* FirstNamedClass(ClassRecord* cls) {
  int depth = 0;
  for (; cls != nullptr && depth < kMaxChainDepth; cls = cls->superclass, ++depth)
    if (StringLength(cls->name) > 0) return cls;
  return nullptr;
}

PropertyEntry* FindProperty(ClassRecord* cls, const char* name) {
  int depth = 0;
  for (; cls != nullptr && depth < kMaxChainDepth; cls = cls->superclass, ++depth)
    for (PropertyEntry* entry = cls->properties; entry != nullptr; entry = entry->next)
      if (NameIs(entry->name, name)) return entry;
  return nullptr;
}

MethodEntry* FindMethod(ClassRecord* cls, const char* name) {
  int depth = 0;
  for (; cls != nullptr && depth < kMaxChainDepth; cls = cls->superclass, ++depth)
    for (MethodEntry* entry = cls->methods; entry != nullptr; entry = entry->next)
      if (NameIs(entry->name, name)) return entry;
  return nullptr;
}

EventDeclaration* FindEventDeclaration(const ClassRecord* cls, const char* name) {
  if (cls == nullptr) return nullptr;
  for (EventDeclaration* entry = cls->eventDeclarations; entry != nullptr; entry = entry->next)
    if (NameIs(entry->name, name)) return entry;
  return nullptr;
}

CodeAddress FindEventHandler(ObjectHeader* object, EventDeclaration* declaration) {
  if (declaration == nullptr) {
    FailedAssertion(4, "objects", 5799);
    return nullptr;
  }
  if (object == nullptr) return nullptr;
  CodeAddress found = nullptr;
  int depth = 0;
  for (ClassRecord* cls = object->cls; cls != nullptr && depth < kMaxChainDepth;
       cls = cls->superclass, ++depth) {
    for (EventDeclaration* own = cls->eventDeclarations; own != nullptr; own = own->next) {
      if (own == declaration) return found;
      // The class declares its own event of this name: it hides the declaration from the
      // handlers of its subclasses.
      if (SameName(own->name, declaration->name)) found = nullptr;
    }
    for (EventHandlerEntry* handler = cls->eventHandlers; handler != nullptr;
         handler = handler->next)
      if (SameName(handler->name, declaration->name)) found = handler->entry;
  }
  return nullptr;
}

CodeAddress FindHookCode(ObjectHeader* object, uint32_t eventKey) {
  if (object == nullptr) return nullptr;
  int depth = 0;
  for (ClassRecord* cls = object->cls; cls != nullptr && depth < kMaxChainDepth;
       cls = cls->superclass, ++depth)
    for (EventHandlerEntry* handler = cls->eventHandlers; handler != nullptr;
         handler = handler->next)
      if (handler->eventKey == eventKey) return handler->entry;
  return nullptr;
}
