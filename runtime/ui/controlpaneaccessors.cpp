// The generic pane accessors: properties whose value lives both in the control and in its
// pane. The parameter packs three 10-bit byte offsets: bits 0..9 in the control object,
// bits 10..19 in the pane (classic layout), bits 20..29 in the pane (alternative layout).
// Getters read the pane's copy while a pane exists; setters write the pane's copy (then
// invalidate it) and always the control's. Entry points: pane{String,Bool,Int,Short,Obj}
// {Getter,Setter}.
#include <cstring>

#include "runtime/entries/entries.h"
#include "runtime/exceptions/imagecall.h"
#include "runtime/objects/objects.h"
#include "runtime/objects/strings.h"
#include "runtime/ui/control.h"
#include "runtime/ui/controlpaneaccessors.h"
#include "runtime/ui/pane.h"

namespace {

bool gAlternativeLayout = false;

constexpr int32_t kOffsetMask = 0x3FF;

// The field in the control, or nil when it does not lie inside the control object.
template <typename Field>
Field* ControlField(ObjectHeader* object, int32_t packed) {
  if (controls::ControlOf(object) == nullptr) return nullptr;
  int32_t offset = packed & kOffsetMask;
  if (offset < static_cast<int32_t>(sizeof(ObjectHeader))) return nullptr;
  if (offset > ObjectAllocationSize(object->cls) - static_cast<int32_t>(sizeof(Field)))
    return nullptr;
  return reinterpret_cast<Field*>(reinterpret_cast<uint8_t*>(object) + offset);
}

// The pane's copy, or nil without pane or when the offset leaves the pane's plain fields
// (never the dispatch word at offset 0, never beyond the base pane).
template <typename Field>
Field* PaneField(ObjectHeader* object, int32_t packed) {
  Pane* pane = controls::LivePane(object);
  if (pane == nullptr) return nullptr;
  int32_t shift = gAlternativeLayout ? 20 : 10;
  int32_t offset = (packed >> shift) & kOffsetMask;
  if (offset < static_cast<int32_t>(sizeof(void*))) return nullptr;
  if (offset > static_cast<int32_t>(sizeof(Pane) - sizeof(Field))) return nullptr;
  return reinterpret_cast<Field*>(reinterpret_cast<uint8_t*>(pane) + offset);
}

template <typename Field>
Field ReadValue(ObjectHeader* object, int32_t packed) {
  if (Field* field = PaneField<Field>(object, packed)) return *field;
  if (Field* field = ControlField<Field>(object, packed)) return *field;
  return Field{};
}

template <typename Field>
void WriteValue(ObjectHeader* object, int32_t packed, Field value) {
  if (Field* field = PaneField<Field>(object, packed)) {
    *field = value;
    controls::LivePane(object)->Invalidate();
  }
  if (Field* field = ControlField<Field>(object, packed)) *field = value;
}

// Counted values: each copy holds its own reference; the new value is locked before the
// old one is let go (the two may be the same).
template <typename Field, typename Lock, typename Unlock>
void WriteCounted(ObjectHeader* object, int32_t packed, Field value, Lock lock, Unlock unlock) {
  if (Field* field = PaneField<Field>(object, packed)) {
    Field old = *field;
    *field = lock(value);
    unlock(old);
    controls::LivePane(object)->Invalidate();
  }
  if (Field* field = ControlField<Field>(object, packed)) {
    Field old = *field;
    *field = lock(value);
    unlock(old);
  }
}

}  // namespace

namespace controls {
void SetAlternativeControlLayout(bool on) { gAlternativeLayout = on; }
bool AlternativeControlLayout() { return gAlternativeLayout; }
}  // namespace controls

AMX_ENTRY StringRecord* paneStringGetter(ObjectHeader* control, int32_t packed) noexcept {
  return LockString(ReadValue<StringRecord*>(control, packed));
}

AMX_ENTRY void paneStringSetter(ObjectHeader* control, int32_t packed,
                                StringRecord* value) noexcept {
  AMX_IMAGE_CALLER();  // painting and pane changes may run handlers of the image
  WriteCounted<StringRecord*>(control, packed, value, LockString, UnlockString);
}

AMX_ENTRY ImageBool paneBoolGetter(ObjectHeader* control, int32_t packed) noexcept {
  return ReadValue<uint8_t>(control, packed);
}

AMX_ENTRY void paneBoolSetter(ObjectHeader* control, int32_t packed, ImageBool value) noexcept {
  AMX_IMAGE_CALLER();  // painting and pane changes may run handlers of the image
  WriteValue<uint8_t>(control, packed, value);
}

AMX_ENTRY int32_t paneIntGetter(ObjectHeader* control, int32_t packed) noexcept {
  return ReadValue<int32_t>(control, packed);
}

AMX_ENTRY void paneIntSetter(ObjectHeader* control, int32_t packed, int32_t value) noexcept {
  AMX_IMAGE_CALLER();  // painting and pane changes may run handlers of the image
  WriteValue<int32_t>(control, packed, value);
}

AMX_ENTRY int32_t paneShortGetter(ObjectHeader* control, int32_t packed) noexcept {
  return ReadValue<int16_t>(control, packed);
}

AMX_ENTRY void paneShortSetter(ObjectHeader* control, int32_t packed, int32_t value) noexcept {
  AMX_IMAGE_CALLER();  // painting and pane changes may run handlers of the image
  WriteValue<int16_t>(control, packed, static_cast<int16_t>(value));
}

AMX_ENTRY ObjectHeader* paneObjGetter(ObjectHeader* control, int32_t packed) noexcept {
  return LockObject(ReadValue<ObjectHeader*>(control, packed));
}

AMX_ENTRY void paneObjSetter(ObjectHeader* control, int32_t packed, ObjectHeader* value) noexcept {
  AMX_IMAGE_CALLER();  // releasing the old object may run an image destructor
  WriteCounted<ObjectHeader*>(control, packed, value, LockObject, UnlockObject);
}
