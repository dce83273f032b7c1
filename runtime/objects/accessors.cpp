// The shared offset accessors: property getters and setters whose parameter is the byte
// offset of the field inside the object (32-bit, 16-bit and byte fields, counted strings
// and objects). A nil object, or an offset whose field does not lie inside the object, reads
// as 0 and writes nothing, so a bad parameter cannot touch another block.
#include <cstring>

#include "runtime/entries/entries.h"
#include "runtime/exceptions/imagecall.h"
#include "runtime/objects/objects.h"
#include "runtime/objects/strings.h"

namespace {

// The field's address, or nil when it is not inside the object.
template <typename Field>
Field* FieldAt(ObjectHeader* object, int32_t offset) {
  if (object == nullptr || object->cls == nullptr || offset < 16) return nullptr;
  if (offset > ObjectAllocationSize(object->cls) - static_cast<int32_t>(sizeof(Field)))
    return nullptr;
  return reinterpret_cast<Field*>(reinterpret_cast<uint8_t*>(object) + offset);
}

}  // namespace

AMX_ENTRY int32_t intGetter(ObjectHeader* object, int32_t offset) noexcept {
  int32_t* field = FieldAt<int32_t>(object, offset);
  return field != nullptr ? *field : 0;
}

AMX_ENTRY void intSetter(ObjectHeader* object, int32_t offset, int32_t value) noexcept {
  if (int32_t* field = FieldAt<int32_t>(object, offset)) *field = value;
}

AMX_ENTRY int32_t shortGetter(ObjectHeader* object, int32_t offset) noexcept {
  int16_t* field = FieldAt<int16_t>(object, offset);
  return field != nullptr ? *field : 0;
}

AMX_ENTRY void shortSetter(ObjectHeader* object, int32_t offset, int32_t value) noexcept {
  if (int16_t* field = FieldAt<int16_t>(object, offset)) *field = static_cast<int16_t>(value);
}

AMX_ENTRY ImageBool boolGetter(ObjectHeader* object, int32_t offset) noexcept {
  uint8_t* field = FieldAt<uint8_t>(object, offset);
  return field != nullptr ? *field : 0;
}

AMX_ENTRY void boolSetter(ObjectHeader* object, int32_t offset, ImageBool value) noexcept {
  if (uint8_t* field = FieldAt<uint8_t>(object, offset)) *field = value;
}

AMX_ENTRY StringRecord* stringGetter(ObjectHeader* object, int32_t offset) noexcept {
  StringRecord** field = FieldAt<StringRecord*>(object, offset);
  return field != nullptr ? LockString(*field) : nullptr;
}

AMX_ENTRY void stringSetter(ObjectHeader* object, int32_t offset, StringRecord* value) noexcept {
  StringRecord** field = FieldAt<StringRecord*>(object, offset);
  if (field == nullptr) return;
  StringRecord* old = *field;
  *field = LockString(value);  // lock first: the new string may be the old one
  UnlockString(old);
}

AMX_ENTRY ObjectHeader* objGetter(ObjectHeader* object, int32_t offset) noexcept {
  ObjectHeader** field = FieldAt<ObjectHeader*>(object, offset);
  return field != nullptr ? LockObject(*field) : nullptr;
}

AMX_ENTRY void objSetter(ObjectHeader* object, int32_t offset, ObjectHeader* value) noexcept {
  AMX_IMAGE_CALLER();  // releasing the old object may run destructors of image classes
  ObjectHeader** field = FieldAt<ObjectHeader*>(object, offset);
  if (field == nullptr) return;
  ObjectHeader* old = *field;
  *field = LockObject(value);  // lock first: the new object may be the old one
  UnlockObject(old);
}
