// Cloning a control from its window's template: a new object of the template's class, kept
// in the window's ControlDictionary under the smallest free "name$n" (or a unique "name*n"
// for a name that is no array), given the template's saved properties, its index, a pane
// (CreatePane, with the run-time-creation flag set) and its Open event.
// Entry point: RuntimeCloneControlReference.
#include "runtime/ui/controlclone.h"

#include <cstdio>

#include "runtime/entries/entries.h"
#include "runtime/exceptions/imagecall.h"
#include "runtime/objects/builtinclasses.h"
#include "runtime/objects/objects.h"
#include "runtime/objects/stringmap.h"
#include "runtime/objects/strings.h"
#include "runtime/ui/control.h"
#include "runtime/ui/controlcreation.h"
#include "runtime/ui/events.h"

namespace {

bool gCreatingAtRunTime = false;
uint32_t gUniqueNumber = 0;

// The key of a clone of a name that is no array: name + "*" + a number no key of the
// dictionary uses yet.
StringRecord* UniqueKey(StringMap& dictionary, StringRecord* name) {
  for (;;) {
    char suffix[16];
    int length = std::snprintf(suffix, sizeof suffix, "*%lu",
                               static_cast<unsigned long>(++gUniqueNumber));
    StringRecord* key = LockString(name);
    StringAppend(&key, suffix, length);
    if (dictionary.Get(key) == nullptr) return key;
    UnlockString(key);
  }
}

// The smallest n >= 0 for which name$n is free, and that key.
StringRecord* FreeArrayKey(StringMap& dictionary, StringRecord* name, int32_t* index) {
  for (int32_t n = 0;; ++n) {
    StringRecord* key = controls::ControlArrayKey(name, n);
    if (dictionary.Get(key) == nullptr) {
      *index = n;
      return key;
    }
    UnlockString(key);
    if (n == INT32_MAX) return nullptr;  // every index taken: nothing left to choose
  }
}

// Stores the new object in the dictionary (which holds its one reference) under its key;
// returns the chosen array index (kNotInArray for a name that is no array), or false when
// no key could be made.
bool StoreClone(WindowObject* window, const ControlTemplate& from, ObjectHeader* object,
                int32_t* index) {
  *index = kNotInArray;
  StringRecord* key = from.arrayIndex == kNotInArray
                          ? UniqueKey(*window->controls, from.name)
                          : FreeArrayKey(*window->controls, from.name, index);
  if (key == nullptr) return false;
  window->controls->Put(key, object);
  UnlockString(key);
  return true;
}

// The fields a clone takes from the window and from the control the template was made from.
void PrepareClone(ObjectHeader* object, WindowObject* window, ControlObject* first) {
  PrepareControl(object, window);
  ControlObject* control = controls::ControlOf(object);
  if (control == nullptr) return;
  control->created = 1;
  control->cloned = 1;
  control->mouseInside = 0;
  control->pane = nullptr;
  control->containingCanvas = first->containingCanvas;
}

void ApplySavedPairs(ObjectHeader* object, const ControlTemplate& from) {
  for (TemplatePair* pair = from.pairs; pair != nullptr; pair = pair->next) {
    ApplyPropertyFromText(object, pair->name, pair->value);
  }
}

// CreatePane with the run-time-creation flag, the pane state as at window creation, Open.
void GivePaneAndOpen(ControlObject* control) {
  ObjectHeader* object = &control->header;
  bool saved = gCreatingAtRunTime;
  gCreatingAtRunTime = true;
  RaiseEvent(object, AMX_BUILTIN_EVENT(Control, CreatePane));
  gCreatingAtRunTime = saved;
  if (control->pane != nullptr) AttachControlPane(control);
  RaiseEvent(object, AMX_BUILTIN_EVENT(Control, Open));
}

}  // namespace

namespace controls {
bool CreatingAtRunTime() { return gCreatingAtRunTime; }
}  // namespace controls

AMX_ENTRY ObjectHeader* RuntimeCloneControlReference(ObjectHeader* windowObject,
                                                     StringRecord* name) noexcept {
  AMX_IMAGE_CALLER();  // CreatePane and Open run handlers of the image
  WindowObject* window = controls::WindowOf(windowObject);
  if (window == nullptr || window->controls == nullptr) return nullptr;
  ControlTemplate* from = FindControlTemplate(window, name);
  if (from == nullptr || from->cls == nullptr) return nullptr;
  StringRecord* firstKey = ControlKey(from->name, from->arrayIndex);
  ControlObject* first = controls::ControlOf(controls::LookUpControl(windowObject, firstKey));
  UnlockString(firstKey);
  if (first == nullptr) return nullptr;  // the control the template was made from is gone

  ObjectHeader* object = MakeObject(from->cls);
  int32_t index = kNotInArray;
  if (!StoreClone(window, *from, object, &index)) {
    UnlockObject(object);
    return nullptr;
  }
  LockObject(object);  // the caller's reference, taken before any handler can close W
  ControlObject* control = controls::ControlOf(object);
  if (control != nullptr) {
    PrepareClone(object, window, first);
    control->arrayIndex = index;
  }
  ApplySavedPairs(object, *from);
  if (control != nullptr) {
    control->index = index;
    control->window = first->window;
    if (window->native != nullptr) GivePaneAndOpen(control);
  }
  return object;
}
