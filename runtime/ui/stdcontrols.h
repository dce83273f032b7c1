// What the four standard controls share: recognising their objects, storing counted strings,
// raising a control's event from its pane while the window is held, the action-listener
// lists of the buttons, linking a new pane to its control, and the font of any of them.
// Entry points: the *Of recognisers, RaiseControlEvent, AddActionListener, LinkControlPane.
#pragma once
#include <cstdint>
#include <string>

#include "native/win32.h"
#include "runtime/objects/class.h"
#include "runtime/objects/object.h"
#include "runtime/objects/string.h"
#include "runtime/ui/stdcontrolobjects.h"

class Pane;

namespace stdcontrols {

// The object as that control when it is one (its class or a subclass), else nil.
StaticTextObject* StaticTextOf(ObjectHeader* object);
PushButtonObject* PushButtonOf(ObjectHeader* object);
EditFieldObject* EditFieldOf(ObjectHeader* object);
RadioButtonObject* RadioButtonOf(ObjectHeader* object);

// The control's pane when it belongs to the PaneType family, else nil (no control, no pane
// yet, or a pane of another family).
template <class PaneType, class ControlType>
PaneType* PaneOf(ControlType* control) {
  return control != nullptr ? dynamic_cast<PaneType*>(control->base.pane) : nullptr;
}

// Links a new pane and its control both ways and gives the pane the control's state (the
// pane families link it into the window's panes when they make it).
void LinkControlPane(ControlObject* control, Pane* pane);
// The native style bits of the control's visible and enabled state.
DWORD StateStyle(const ControlObject& control);

// Replaces a counted string field (the new one locked before the old one goes).
void StoreString(StringRecord** field, StringRecord* value);

// The outcome of raising an event from a pane.
struct RaiseResult {
  bool result = false;      // the handler's Boolean (false without a handler)
  bool paneAlive = true;    // false: the window went away under the handler; stop
};

// Raises the event on the pane's control with the pane's window held, so that a handler that
// closes the window cannot destroy the pane under the call. A pane without control raises
// nothing. After paneAlive == false the caller must not touch the pane again.
RaiseResult RaiseControlEvent(Pane* pane, EventDeclaration* declaration, int32_t argc = 0,
                              const uint32_t* args = nullptr);

// Action listeners: appended in registration order; notified in that order.
void AddActionListener(ActionListener** list, void (*notify)(void*, ObjectHeader*),
                       void* context);
void RemoveActionListener(ActionListener** list, void (*notify)(void*, ObjectHeader*),
                          void* context);
void NotifyActionListeners(ActionListener* list, ObjectHeader* control);
void FreeActionListeners(ActionListener** list);

// The font of any standard control (StaticText keeps its fields apart from a FontRecord);
// an empty description for other objects.
ControlFont FontOfControl(ObjectHeader* object);

// Text of a string as std::string (bytes as they are, Windows-1252).
std::string TextOf(const StringRecord* s);

// A language colour (0x00RRGGBB) in the native order (0x00BBGGRR).
COLORREF NativeColour(int32_t rgb);

// After a font property changed: the control's live pane takes the new font.
void ApplyFontToPane(ObjectHeader* object);

}  // namespace stdcontrols
