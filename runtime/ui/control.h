// Helpers every control entry shares: recognising a control object, reaching its live pane
// and its window, and the dictionary key of a control-array member. Entry points: ControlOf,
// LivePane, ControlWindow, ControlArrayKey.
#pragma once
#include <cstdint>

#include "runtime/objects/object.h"
#include "runtime/objects/string.h"
#include "runtime/ui/controlobject.h"
#include "runtime/ui/windowobject.h"

class Pane;

namespace controls {

// The object as a control when it is one (class Control or a subclass), else nil.
ControlObject* ControlOf(ObjectHeader* object);
// The object as a window when it is one (class Window or a subclass), else nil.
WindowObject* WindowOf(ObjectHeader* object);
// The control's pane when the control is a control and has one, else nil.
Pane* LivePane(ObjectHeader* object);
// name + "$" + decimal index (a minus sign for negative indices), a new string.
StringRecord* ControlArrayKey(StringRecord* name, int32_t index);
// The control stored under the key in the window's dictionary (lent), or nil.
ObjectHeader* LookUpControl(ObjectHeader* window, const StringRecord* key);

}  // namespace controls
