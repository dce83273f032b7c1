// The services plug-ins call at run time: reference counting, strings, defaults for new
// controls, control state and invalidation, native handles, new instances by class name,
// the redrawing field setters and raising an event of a control by name.
#include <cstring>

#include "runtime/entries/entries.h"
#include "runtime/exceptions/imagecall.h"
#include "runtime/objects/objects.h"
#include "runtime/objects/strings.h"
#include "runtime/plugins/plugingraphics.h"
#include "runtime/plugins/pluginregistry.h"
#include "runtime/ui/controlobject.h"
#include "runtime/ui/pane.h"
#include "runtime/ui/viewwindow.h"

namespace {

constexpr const char* kDefaultControlFont = "System";
constexpr int32_t kDefaultControlFontSize = 12;
constexpr const char* kDefaultControlCaption = "Untitled";

bool IsControl(ObjectHeader* object) {
  static ClassRecord* controlClass = FindBuiltinClass("Control");
  if (object == nullptr) return false;
  if (controlClass == nullptr) controlClass = FindBuiltinClass("Control");
  return controlClass != nullptr ? ObjectIsa(object, controlClass) : PluginInfoOf(object->cls) != nullptr;
}

ControlObject* Control(ObjectHeader* object) { return IsControl(object) ? AsControl(object) : nullptr; }

Pane* PaneOf(ObjectHeader* object) {
  ControlObject* control = Control(object);
  return control != nullptr ? control->pane : nullptr;
}

HWND DrawingWindow(Pane* pane) {
  if (pane == nullptr) return nullptr;
  if (pane->hwnd != nullptr) return pane->hwnd;
  return pane->owner != nullptr ? pane->owner->Handle() : nullptr;
}

void InvalidateObject(ObjectHeader* object) {
  if (Pane* pane = PaneOf(object)) pane->Invalidate();
}

uint8_t* Field(ObjectHeader* object, int32_t offset) { return reinterpret_cast<uint8_t*>(object) + offset; }

// The event the control's class (or a superclass) declares under that name.
EventDeclaration* FindDeclaredEvent(ClassRecord* cls, const char* name) {
  for (int depth = 0; cls != nullptr && depth < 10000; cls = cls->superclass, ++depth)
    if (EventDeclaration* event = FindEventDeclaration(cls, name)) return event;
  return nullptr;
}

const uint8_t kEmptyPString[2] = {0, 0};

}  // namespace

AMX_ENTRY ObjectHeader* MAVELockObject(ObjectHeader* object) noexcept { return LockObject(object); }

AMX_ENTRY void MAVEUnlockObject(ObjectHeader* object) noexcept {
  AMX_IMAGE_CALLER();  // destruction runs destructors
  UnlockObject(object);
}

AMX_ENTRY StringRecord* MAVELockString(StringRecord* text) noexcept { return LockString(text); }

AMX_ENTRY void MAVEUnlockString(StringRecord* text) noexcept { UnlockString(text); }

AMX_ENTRY StringRecord* MAVEBuildString(const char* bytes, int32_t length) noexcept {
  if (bytes == nullptr || length <= 0) return nullptr;
  return MakeString(bytes, length);
}

AMX_ENTRY const char* StringGetCString(StringRecord* text) noexcept { return StringText(text); }

AMX_ENTRY const uint8_t* StringGetPString(StringRecord* text) noexcept {
  if (text == nullptr || text->buffer == nullptr) return kEmptyPString;
  return text->buffer;
}

AMX_ENTRY StringRecord* PluginDefaultControlFont() noexcept { return MakeStringFromC(kDefaultControlFont); }

AMX_ENTRY int32_t PluginDefaultControlFontSize() noexcept { return kDefaultControlFontSize; }

AMX_ENTRY StringRecord* PluginDefaultControlCaption() noexcept { return MakeStringFromC(kDefaultControlCaption); }

// Window client coordinates: left, top, right, bottom.
AMX_ENTRY void PluginGetControlBounds(ObjectHeader* object, int32_t* leftTopRightBottom) noexcept {
  if (leftTopRightBottom == nullptr) return;
  ControlObject* control = Control(object);
  Rect16 b = control != nullptr ? control->bounds : Rect16{};
  leftTopRightBottom[0] = b.left;
  leftTopRightBottom[1] = b.top;
  leftTopRightBottom[2] = b.right;
  leftTopRightBottom[3] = b.bottom;
}

AMX_ENTRY ImageBool GetControlVisible(ObjectHeader* object) noexcept {
  ControlObject* control = Control(object);
  return control != nullptr && control->visible != 0;
}

AMX_ENTRY void SetControlVisible(ObjectHeader* object, ImageBool visible) noexcept {
  ControlObject* control = Control(object);
  if (control == nullptr) return;
  if (control->pane != nullptr) control->pane->ChangeState(visible ? kPaneShow : kPaneHide);
  control->visible = visible ? 1 : 0;
}

AMX_ENTRY ImageBool GetControlEnabled(ObjectHeader* object) noexcept {
  ControlObject* control = Control(object);
  return control != nullptr && control->enabled != 0;
}

// Invalidating a plug-in control's pane reads its caption back through the plug-in's getter.
AMX_ENTRY void MAVEInvalidateControl(ObjectHeader* object) noexcept {
  AMX_IMAGE_CALLER();
  InvalidateObject(object);
}

// A rectangle in the control's own coordinates.
AMX_ENTRY void MAVEInvalidateControlRect(ObjectHeader* object, int32_t left, int32_t top,
                                         int32_t right, int32_t bottom) noexcept {
  Pane* pane = PaneOf(object);
  HWND target = DrawingWindow(pane);
  if (target == nullptr) return;
  int32_t dx = pane->hwnd != nullptr ? 0 : pane->bounds.left;
  int32_t dy = pane->hwnd != nullptr ? 0 : pane->bounds.top;
  RECT r{left + dx, top + dy, right + dx, bottom + dy};
  InvalidateRect(target, &r, TRUE);
}

// A Graphics object drawing on the control at once; nil without a pane. The caller releases
// it, which gives the context back.
AMX_ENTRY ObjectHeader* MAVEGetControlGraphics(ObjectHeader* object) noexcept {
  Pane* pane = PaneOf(object);
  HWND target = DrawingWindow(pane);
  if (target == nullptr) return nullptr;
  HDC dc = GetDC(target);
  if (dc == nullptr) return nullptr;
  bool own = pane->hwnd != nullptr;
  return MakePluginGraphics(dc, target, own ? 0 : pane->bounds.left, own ? 0 : pane->bounds.top);
}

// The native window the control draws in: its own, else its window's.
AMX_ENTRY void* GetControlHWND(ObjectHeader* object) noexcept { return DrawingWindow(PaneOf(object)); }

AMX_ENTRY void* MAVEGetWindowHandle(ObjectHeader* window) noexcept {
  if (window == nullptr) return nullptr;
  for (RuntimeViewWindow* view = FirstViewWindow(); view != nullptr; view = view->nextViewWindow)
    if (reinterpret_cast<ObjectHeader*>(view->Window()) == window) return view->Handle();
  return nullptr;
}

// The control's own native window; nil for windowless panes.
AMX_ENTRY void* MAVEGetControlHandle(ObjectHeader* object) noexcept {
  Pane* pane = PaneOf(object);
  return pane != nullptr ? pane->hwnd : nullptr;
}

AMX_ENTRY ObjectHeader* PluginNewInstance(const char* className) noexcept {
  AMX_IMAGE_CALLER();  // constructors may be image or plug-in code
  ClassRecord* cls = FindKnownClass(className);
  if (cls == nullptr || cls->isInterface) return nullptr;
  return MakeObject(cls);
}

AMX_ENTRY ImageBool MAVEinRuntime() noexcept { return 1; }

AMX_ENTRY void intInvalidateSetter(ObjectHeader* object, int32_t offset, int32_t value) noexcept {
  AMX_IMAGE_CALLER();  // the invalidation reads the caption through the plug-in
  if (object == nullptr) return;
  std::memcpy(Field(object, offset), &value, sizeof value);
  InvalidateObject(object);
}

AMX_ENTRY void boolInvalidateSetter(ObjectHeader* object, int32_t offset, ImageBool value) noexcept {
  AMX_IMAGE_CALLER();  // the invalidation reads the caption through the plug-in
  if (object == nullptr) return;
  *Field(object, offset) = value != 0 ? 1 : 0;
  InvalidateObject(object);
}

AMX_ENTRY void stringInvalidateSetter(ObjectHeader* object, int32_t offset, StringRecord* value) noexcept {
  AMX_IMAGE_CALLER();  // the invalidation reads the caption through the plug-in
  if (object == nullptr) return;
  auto** slot = reinterpret_cast<StringRecord**>(Field(object, offset));
  StringRecord* old = *slot;
  *slot = LockString(value);
  UnlockString(old);
  InvalidateObject(object);
}

AMX_ENTRY void objInvalidateSetter(ObjectHeader* object, int32_t offset, ObjectHeader* value) noexcept {
  AMX_IMAGE_CALLER();  // the old value's destruction may run destructors
  if (object == nullptr) return;
  auto** slot = reinterpret_cast<ObjectHeader**>(Field(object, offset));
  ObjectHeader* old = *slot;
  *slot = LockObject(value);
  UnlockObject(old);
  InvalidateObject(object);
}

// Raises the event the control's class declares under that name (no parameters); true when
// the handler returned true. The control is held for the call.
AMX_ENTRY ImageBool PluginRaiseControlEvent(ObjectHeader* object, const char* eventName) noexcept {
  AMX_IMAGE_CALLER();
  if (object == nullptr || eventName == nullptr) return 0;
  EventDeclaration* event = FindDeclaredEvent(object->cls, eventName);
  if (event == nullptr) return 0;
  CodeAddress handler = FindEventHandler(object, event);
  if (handler == nullptr) return 0;
  ObjectHeader* held = LockObject(object);
  uint32_t result = CallImage1(handler, reinterpret_cast<uint32_t>(held));
  UnlockObject(held);
  return (result & 0xFF) != 0;
}
