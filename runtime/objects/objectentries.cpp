// The entry points through which compiled code makes objects, counts references and asks
// class questions by class index: RuntimeNewObject, RuntimeLockObject, RuntimeUnlockObject,
// RuntimeObjectIsa, RuntimeCheckCast, the event and virtual-table lookups and the project
// items.
#include "runtime/entries/entries.h"
#include "runtime/exceptions/exceptions.h"
#include "runtime/exceptions/imagecall.h"
#include "runtime/objects/classtable.h"
#include "runtime/objects/objects.h"
#include "runtime/startup/assertion.h"

AMX_ENTRY ObjectHeader* RuntimeNewObject(int32_t classIndex) noexcept {
  AMX_IMAGE_CALLER();  // constructors of image classes may raise
  ClassRecord* cls = ImageClass(classIndex);
  if (cls == nullptr) {
    // An index outside the table (or a class that was never resolved).
    FailedAssertion(4, "RuntimeMain", 1161);
    return nullptr;
  }
  return MakeObject(cls);
}

AMX_ENTRY ObjectHeader* RuntimeLockObject(ObjectHeader* object) noexcept {
  return LockObject(object);
}

AMX_ENTRY void RuntimeUnlockObject(ObjectHeader* object) noexcept {
  AMX_IMAGE_CALLER();  // destructors of image classes may raise
  UnlockObject(object);
}

AMX_ENTRY ImageBool RuntimeObjectIsa(ObjectHeader* object, int32_t classIndex) noexcept {
  return ObjectIsa(object, ImageClass(classIndex)) ? 1 : 0;
}

AMX_ENTRY void RuntimeCheckCast(ObjectHeader* object, int32_t classIndex) noexcept {
  AMX_IMAGE_CALLER();
  if (object == nullptr || ObjectIsa(object, ImageClass(classIndex))) return;
  RaiseIllegalCastException();
}

AMX_ENTRY void* RuntimeFindHookCode(ObjectHeader* object, uint32_t eventKey) noexcept {
  return FindHookCode(object, eventKey);
}

// Compiled code asks only for slots its class has; a nil object or a slot outside the table
// gives nil rather than reading past it.
AMX_ENTRY void* FindVTableCode(ObjectHeader* object, int32_t slot) noexcept {
  if (object == nullptr || slot < 0 || slot >= object->cls->vtableLength) return nullptr;
  return object->cls->vtable[slot];
}

AMX_ENTRY void* FindInterfaceVTableCode(ObjectHeader* object, int32_t slot,
                                        int32_t interfaceIndex) noexcept {
  ClassRecord* interface = ImageClass(interfaceIndex);
  if (object == nullptr || interface == nullptr) return nullptr;
  for (ClassRecord* cls = object->cls; cls != nullptr; cls = cls->superclass) {
    for (InterfaceEntry* entry = cls->interfaces; entry != nullptr; entry = entry->next) {
      if (entry->interface != interface) continue;
      if (slot < 0 || slot >= entry->tableLength) return nullptr;
      return entry->table[slot];
    }
  }
  return nullptr;
}

AMX_ENTRY ObjectHeader* RuntimeProjectObject(int32_t index) noexcept {
  return LockObject(ProjectItemObject(index));
}

AMX_ENTRY ObjectHeader* RuntimePictureReference(int32_t index) noexcept {
  return LockObject(ProjectItemObject(index));
}
