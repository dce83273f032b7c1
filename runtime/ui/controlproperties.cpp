// The property accessors of Control and RectControl that do more than read or write a field:
// help texts, cursor, mouse position and handle (Control); Visible, Enabled, AutoDeactivate
// and the position selectors (RectControl). Setters store into the control first and touch
// the pane only while one exists. Entry points: control*Setter/Getter, ctlPosGetter/Setter.
#include <cstring>

#include "runtime/entries/entries.h"
#include "runtime/exceptions/imagecall.h"
#include "runtime/objects/objects.h"
#include "runtime/objects/strings.h"
#include "runtime/ui/control.h"
#include "runtime/ui/pane.h"
#include "runtime/ui/viewwindow.h"

using controls::ControlOf;

namespace {

enum PositionSelector : int32_t { kLeft = 0, kTop = 1, kWidth = 2, kHeight = 3 };

// Replaces a counted string field of the control (the new one locked before the old goes).
void StoreString(StringRecord** field, StringRecord* value) {
  StringRecord* old = *field;
  *field = LockString(value);
  UnlockString(old);
}

// The native cursor of a cursor object: the handle its first field holds. Objects of other
// classes carry no cursor (a cursor the pane would misread is worse than the arrow).
HCURSOR CursorHandle(ObjectHeader* cursor) {
  if (cursor == nullptr) return nullptr;
  ClassRecord* cursorClass = FindBuiltinClass("MouseCursor");
  if (cursorClass == nullptr || !ObjectIsa(cursor, cursorClass)) return nullptr;
  if (ObjectAllocationSize(cursor->cls) < 20) return nullptr;
  HCURSOR handle;
  std::memcpy(&handle, reinterpret_cast<uint8_t*>(cursor) + 16, sizeof handle);
  return handle;
}

// The cursor position relative to the pane's top-left corner.
POINT CursorInPane(const Pane& pane) {
  POINT point{0, 0};
  GetCursorPos(&point);
  if (pane.hwnd != nullptr) {
    ScreenToClient(pane.hwnd, &point);
    return point;
  }
  if (pane.owner != nullptr && pane.owner->Handle() != nullptr) {
    ScreenToClient(pane.owner->Handle(), &point);
  }
  point.x -= pane.bounds.left;
  point.y -= pane.bounds.top;
  return point;
}

// The bounds after setting one position property; values wrap at 16 bits.
Rect16 MovedBounds(Rect16 bounds, int32_t selector, int32_t value) {
  switch (selector) {
    case kLeft: {
      int32_t dx = value - bounds.left;
      bounds.left = static_cast<int16_t>(value);
      bounds.right = static_cast<int16_t>(bounds.right + dx);
      break;
    }
    case kTop: {
      int32_t dy = value - bounds.top;
      bounds.top = static_cast<int16_t>(value);
      bounds.bottom = static_cast<int16_t>(bounds.bottom + dy);
      break;
    }
    case kWidth:
      bounds.right = static_cast<int16_t>(bounds.left + value);
      break;
    case kHeight:
      bounds.bottom = static_cast<int16_t>(bounds.top + value);
      break;
    default:
      break;
  }
  return bounds;
}

// Stores one of the control's help texts and hands it to the pane when there is one.
void StoreHelpText(ObjectHeader* object, StringRecord* ControlObject::*field,
                   void (Pane::*apply)(StringRecord*), StringRecord* value) {
  ControlObject* control = ControlOf(object);
  if (control == nullptr) return;
  StoreString(&(control->*field), value);
  if (control->pane != nullptr) (control->pane->*apply)(value);
}

}  // namespace

AMX_ENTRY void controlHelpTagSetter(ObjectHeader* object, int32_t, StringRecord* value) noexcept {
  AMX_IMAGE_CALLER();  // painting and pane changes may run handlers of the image
  StoreHelpText(object, &ControlObject::helpTag, &Pane::SetHelpTag, value);
}

AMX_ENTRY void controlBalloonHelpSetter(ObjectHeader* object, int32_t,
                                        StringRecord* value) noexcept {
  AMX_IMAGE_CALLER();  // painting and pane changes may run handlers of the image
  StoreHelpText(object, &ControlObject::balloonHelp, &Pane::SetBalloonHelp, value);
}

AMX_ENTRY void controlDisabledBalloonHelpSetter(ObjectHeader* object, int32_t,
                                                StringRecord* value) noexcept {
  AMX_IMAGE_CALLER();  // painting and pane changes may run handlers of the image
  StoreHelpText(object, &ControlObject::disabledBalloonHelp, &Pane::SetDisabledBalloonHelp,
                value);
}

AMX_ENTRY void controlMouseCursorSetter(ObjectHeader* object, int32_t,
                                        ObjectHeader* value) noexcept {
  AMX_IMAGE_CALLER();  // releasing the old cursor may run an image destructor
  ControlObject* control = ControlOf(object);
  if (control == nullptr) return;
  ObjectHeader* old = control->mouseCursor;
  control->mouseCursor = LockObject(value);
  if (control->pane != nullptr) control->pane->SetCursor(CursorHandle(value));
  UnlockObject(old);
}

AMX_ENTRY int32_t controlMouseXGetter(ObjectHeader* object, int32_t) noexcept {
  Pane* pane = controls::LivePane(object);
  return pane != nullptr ? CursorInPane(*pane).x : 0;
}

AMX_ENTRY int32_t controlMouseYGetter(ObjectHeader* object, int32_t) noexcept {
  Pane* pane = controls::LivePane(object);
  return pane != nullptr ? CursorInPane(*pane).y : 0;
}

AMX_ENTRY int32_t controlHandleGetter(ObjectHeader* object, int32_t) noexcept {
  Pane* pane = controls::LivePane(object);
  return pane != nullptr ? static_cast<int32_t>(reinterpret_cast<intptr_t>(pane->hwnd)) : 0;
}

AMX_ENTRY void controlVisibleSetter(ObjectHeader* object, int32_t, ImageBool value) noexcept {
  AMX_IMAGE_CALLER();  // painting and pane changes may run handlers of the image
  ControlObject* control = ControlOf(object);
  if (control == nullptr) return;
  if (control->pane != nullptr) control->pane->ChangeState(value != 0 ? kPaneShow : kPaneHide);
  control->visible = value != 0 ? 1 : 0;
}

AMX_ENTRY void controlEnabledSetter(ObjectHeader* object, int32_t, ImageBool value) noexcept {
  AMX_IMAGE_CALLER();  // painting and pane changes may run handlers of the image
  ControlObject* control = ControlOf(object);
  if (control == nullptr) return;
  control->enabled = value != 0 ? 1 : 0;
  if (control->pane != nullptr) {
    control->pane->ChangeState(value != 0 ? kPaneEnable : kPaneDisable);
  }
}

AMX_ENTRY void controlAutoDeactivateSetter(ObjectHeader* object, int32_t,
                                           ImageBool value) noexcept {
  ControlObject* control = ControlOf(object);
  if (control == nullptr) return;
  control->autoDeactivate = value != 0 ? 1 : 0;
  if (control->pane != nullptr) control->pane->autoDeactivate = control->autoDeactivate;
}

AMX_ENTRY int32_t ctlPosGetter(ObjectHeader* object, int32_t selector) noexcept {
  ControlObject* control = ControlOf(object);
  if (control == nullptr) return 0;
  const Rect16& b = control->bounds;
  switch (selector) {
    case kLeft: return b.left;
    case kTop: return b.top;
    case kWidth: return b.Width();
    case kHeight: return b.Height();
    default: return 0;
  }
}

AMX_ENTRY void ctlPosSetter(ObjectHeader* object, int32_t selector, int32_t value) noexcept {
  AMX_IMAGE_CALLER();  // painting and pane changes may run handlers of the image
  ControlObject* control = ControlOf(object);
  if (control == nullptr) return;
  Rect16 before = control->bounds;
  control->bounds = MovedBounds(before, selector, value);
  if (control->bounds != before && control->pane != nullptr) {
    control->pane->SetBounds(control->bounds, true);
  }
}
