// Helpers shared by the control entries: class checks on objects that image code hands in,
// the live pane of a control, and control-array keys ("pb$3"). Entry points: ControlOf,
// WindowOf, LivePane, ControlArrayKey, LookUpControl.
#include "runtime/ui/control.h"

#include <cstdio>
#include <cstring>
#include <initializer_list>

#include "runtime/objects/builtinclasses.h"
#include "runtime/objects/objects.h"
#include "runtime/objects/stringmap.h"
#include "runtime/objects/strings.h"
#include "runtime/ui/pane.h"

namespace controls {

ControlObject* ControlOf(ObjectHeader* object) {
  if (object == nullptr || object->cls == nullptr) return nullptr;
  if (!ObjectIsa(object, AMX_BUILTIN_CLASS(Control))) return nullptr;
  return AsControl(object);
}

WindowObject* WindowOf(ObjectHeader* object) {
  if (object == nullptr || object->cls == nullptr) return nullptr;
  ClassRecord* windowClass = FindBuiltinClass("Window");
  if (windowClass == nullptr || !ObjectIsa(object, windowClass)) return nullptr;
  return AsWindow(object);
}

Pane* LivePane(ObjectHeader* object) {
  ControlObject* control = ControlOf(object);
  return control != nullptr ? control->pane : nullptr;
}

StringRecord* ControlArrayKey(StringRecord* name, int32_t index) {
  char digits[16];
  int length = std::snprintf(digits, sizeof digits, "$%ld", static_cast<long>(index));
  StringRecord* key = LockString(name);
  StringAppend(&key, digits, length);
  return key;
}

ObjectHeader* LookUpControl(ObjectHeader* window, const StringRecord* key) {
  WindowObject* w = WindowOf(window);
  if (w == nullptr || w->controls == nullptr) return nullptr;
  return static_cast<ObjectHeader*>(w->controls->Get(key));
}

}  // namespace controls

namespace builtins {

// A control lets go of the texts and the cursor it holds; a pane that outlives it (the
// window still open) forgets the control, so no event is raised on freed memory.
void ControlDestructor(ObjectHeader* object, ClassRecord*) {
  ControlObject* control = AsControl(object);
  if (control->pane != nullptr && control->pane->control == object) {
    control->pane->control = nullptr;
  }
  control->pane = nullptr;
  for (StringRecord** text : {&control->name, &control->balloonHelp,
                              &control->disabledBalloonHelp, &control->helpTag}) {
    UnlockString(*text);
    *text = nullptr;
  }
  ObjectHeader* cursor = control->mouseCursor;
  control->mouseCursor = nullptr;
  UnlockObject(cursor);
}

}  // namespace builtins
