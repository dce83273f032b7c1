// Reaching a control of a window by name, or by name and index in a control array: the key
// is looked up in the window's ControlDictionary, ignoring case. A missing window, a window
// without dictionary or an absent key gives nil, quietly. Entry points: RuntimeControlFetch,
// RuntimeControlReference, RuntimeControlArrayItemReference.
#include "runtime/entries/entries.h"
#include "runtime/objects/objects.h"
#include "runtime/objects/strings.h"
#include "runtime/ui/control.h"

AMX_ENTRY ObjectHeader* RuntimeControlFetch(ObjectHeader* window, StringRecord* name) noexcept {
  return controls::LookUpControl(window, name);
}

AMX_ENTRY ObjectHeader* RuntimeControlReference(ObjectHeader* window,
                                                StringRecord* name) noexcept {
  return LockObject(controls::LookUpControl(window, name));
}

AMX_ENTRY ObjectHeader* RuntimeControlArrayItemReference(ObjectHeader* window, StringRecord* name,
                                                         int32_t index) noexcept {
  if (controls::WindowOf(window) == nullptr) return nullptr;
  StringRef key = StringRef::Adopt(controls::ControlArrayKey(name, index));
  return LockObject(controls::LookUpControl(window, key.get()));
}
