// Making controls inside a window: the property application from text that window and
// control descriptions use, the templates a window keeps per distinct control name (for
// cloning members of control arrays), the dictionary keys, and the steps that give a new
// control its pane state. Entry points: ApplyPropertyFromText, PrepareControl,
// AttachControlPane.
#pragma once
#include <cstdint>

#include "runtime/objects/class.h"
#include "runtime/objects/object.h"
#include "runtime/objects/string.h"
#include "runtime/ui/controlobject.h"
#include "runtime/ui/windowobject.h"

// One (name, value) pair of a description, kept exactly as read.
struct TemplatePair {
  StringRecord* name;   // the template's own references
  StringRecord* value;
  TemplatePair* next;   // description order
};

// One per distinct control name of a window, newest first (WindowObject::controlTemplates).
struct ControlTemplate {
  StringRecord* name;
  int32_t arrayIndex;   // of the first control of that name in the description
  ClassRecord* cls;
  TemplatePair* pairs;
  ControlTemplate* next;
};

// Applies one property given as text (a description pair) to an object: finds the property
// by name (class, then superclasses, ignoring case), converts the text with its type and
// calls the setter. Names the class lacks, read-only properties and types without a
// converter are skipped; returns whether a setter ran. *convertedLowByte (when given)
// receives the low byte of the converted value.
bool ApplyPropertyFromText(ObjectHeader* object, StringRecord* name, StringRecord* value,
                           uint8_t* convertedLowByte = nullptr);

// The dictionary key of a control: its name, or name + "$" + decimal index in an array.
StringRecord* ControlKey(StringRecord* name, int32_t arrayIndex);  // a new string

// The fields a control made by the runtime starts with (created flag, no pane, its view
// window and window). Nothing for objects that are not controls.
void PrepareControl(ObjectHeader* object, WindowObject* window);

// After the control's CreatePane handler ran: when a pane exists, copies the tab panel
// index, hidden and disabled state, the help and balloon texts and the auto-deactivate flag
// into it and links it to the control.
void AttachControlPane(ControlObject* control);

// The window's template of that name (ignoring case), or nil.
ControlTemplate* FindControlTemplate(WindowObject* window, StringRecord* name);

// Templates are tagged runtime records holding their own string references.
ControlTemplate* NewControlTemplate(ClassRecord* cls);
// Appends one pair (description order); the template takes its own references.
void AddTemplatePair(ControlTemplate* controlTemplate, StringRecord* name, StringRecord* value);
void FreeControlTemplate(ControlTemplate* controlTemplate);
// Frees every template of the window (the window is going away).
void FreeControlTemplates(WindowObject* window);

// True when the object is a Control (or a subclass); such objects have ControlObject's
// fields.
bool IsControlObject(ObjectHeader* object);
