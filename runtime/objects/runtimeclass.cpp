// The built-in class Runtime: its single instance (RuntimeDebugInstance, remembered without
// a reference of its own) and its debugging methods over the live-object list, plus the
// object dump written by debugDumpObjects. Lines of the dump end with a carriage return.
#include <cstdio>
#include <string>

#include "runtime/entries/entries.h"
#include "runtime/objects/builtinclasses.h"
#include "runtime/objects/heap.h"
#include "runtime/objects/strings.h"

namespace {

ObjectHeader* gRuntimeInstance = nullptr;

constexpr uint32_t kObjectIdMask = 0x15C7A3;

// The i-th live object from the head, leaving out the Runtime instance; nil if none.
ObjectHeader* LiveObjectAt(int32_t i) {
  if (i < 0) return nullptr;
  for (ObjectHeader* object = LiveObjects(); object != nullptr; object = object->next) {
    if (object == gRuntimeInstance) continue;
    if (i-- == 0) return object;
  }
  return nullptr;
}

std::string DumpText() {
  std::string text = std::to_string(HeapBytesInUse()) + " used in heap1\r";
  text += std::to_string(LiveObjectCount()) + " objects\r";
  for (ObjectHeader* object = LiveObjects(); object != nullptr; object = object->next) {
    ClassRecord* named = FirstNamedClass(object->cls);
    text += named != nullptr ? std::string(StringView(named->name)) : "<Unnamed object class>";
    text += '\r';
  }
  return text;
}

}  // namespace

namespace builtins {
void RuntimeDestructor(ObjectHeader* object, ClassRecord*) {
  if (object == gRuntimeInstance) gRuntimeInstance = nullptr;
}
}  // namespace builtins

AMX_ENTRY ObjectHeader* RuntimeDebugInstance() noexcept {
  if (gRuntimeInstance != nullptr) return LockObject(gRuntimeInstance);
  gRuntimeInstance = MakeObject(AMX_BUILTIN_CLASS(Runtime));
  return gRuntimeInstance;  // the caller's reference; the runtime keeps none
}

AMX_ENTRY int32_t RuntimeDebugObjectCount(ObjectHeader*) noexcept {
  int32_t count = LiveObjectCount();
  for (ObjectHeader* object = LiveObjects(); object != nullptr; object = object->next)
    if (object == gRuntimeInstance) --count;
  return count;
}

AMX_ENTRY int32_t RuntimeDebugObjectID(ObjectHeader*, int32_t i) noexcept {
  ObjectHeader* object = LiveObjectAt(i);
  return object != nullptr ? static_cast<int32_t>(reinterpret_cast<uint32_t>(object) ^ kObjectIdMask)
                           : 0;
}

AMX_ENTRY StringRecord* RuntimeDebugObjectClass(ObjectHeader*, int32_t i) noexcept {
  ObjectHeader* object = LiveObjectAt(i);
  if (object == nullptr) return nullptr;
  ClassRecord* named = FirstNamedClass(object->cls);
  return named != nullptr ? LockString(named->name) : nullptr;
}

AMX_ENTRY int32_t RuntimeDebugObjectRefs(ObjectHeader*, int32_t i) noexcept {
  ObjectHeader* object = LiveObjectAt(i);
  return object != nullptr ? object->refCount : 0;
}

AMX_ENTRY int32_t RuntimeDebugMemoryUsed(ObjectHeader*) noexcept { return HeapBytesInUse(); }

AMX_ENTRY void debugDumpObjects(StringRecord* path) noexcept {
  try {
    std::string text = DumpText();
    std::FILE* file = std::fopen(StringToUtf8(path).c_str(), "wb");
    if (file == nullptr) return;  // nothing is written when the file cannot be created
    std::fwrite(text.data(), 1, text.size(), file);
    std::fclose(file);
  } catch (...) {
    // Out of memory while composing the dump: the dump is skipped.
  }
}
