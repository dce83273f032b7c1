// Shared pieces of the standard controls: class recognition, counted-string fields, raising
// a control's events from its pane under a hold of the window, the action-listener lists,
// linking a new pane to its control, and the object hooks that release what the controls
// hold. Entry points: see stdcontrols.h; builtins::*Destructor, EditFieldConstructor.
#include "runtime/ui/stdcontrols.h"

#include "runtime/objects/builtinclasses.h"
#include "runtime/objects/colour.h"
#include "runtime/objects/heap.h"
#include "runtime/objects/objects.h"
#include "runtime/objects/strings.h"
#include "runtime/ui/events.h"
#include "runtime/ui/fontmapping.h"
#include "runtime/ui/pane.h"
#include "runtime/ui/viewwindow.h"

namespace stdcontrols {
namespace {

template <typename Object>
Object* As(ObjectHeader* object, ClassRecord* cls) {
  if (object == nullptr || !ObjectIsa(object, cls)) return nullptr;
  return reinterpret_cast<Object*>(object);
}

}  // namespace

StaticTextObject* StaticTextOf(ObjectHeader* object) {
  return As<StaticTextObject>(object, AMX_BUILTIN_CLASS(StaticText));
}
PushButtonObject* PushButtonOf(ObjectHeader* object) {
  return As<PushButtonObject>(object, AMX_BUILTIN_CLASS(PushButton));
}
EditFieldObject* EditFieldOf(ObjectHeader* object) {
  return As<EditFieldObject>(object, AMX_BUILTIN_CLASS(EditField));
}
RadioButtonObject* RadioButtonOf(ObjectHeader* object) {
  return As<RadioButtonObject>(object, AMX_BUILTIN_CLASS(RadioButton));
}

void StoreString(StringRecord** field, StringRecord* value) {
  StringRecord* old = *field;
  *field = LockString(value);
  UnlockString(old);
}

RaiseResult RaiseControlEvent(Pane* pane, EventDeclaration* declaration, int32_t argc,
                              const uint32_t* args) {
  RaiseResult outcome;
  if (pane == nullptr || pane->control == nullptr) return outcome;
  ObjectHeader* control = LockObject(pane->control);  // the handler may drop the window's
  RuntimeViewWindow* owner = pane->owner;
  if (owner != nullptr) owner->Hold();
  outcome.result = RaiseBoolEvent(control, declaration, argc, args);
  bool ownerAlive = owner == nullptr || owner->Release();
  // Closing the window takes the pane from the control; the pane is then gone or going.
  outcome.paneAlive = ownerAlive && AsControl(control)->pane == pane;
  UnlockObject(control);
  return outcome;
}

void AddActionListener(ActionListener** list, void (*notify)(void*, ObjectHeader*),
                       void* context) {
  if (notify == nullptr) return;
  while (*list != nullptr) list = &(*list)->next;
  auto* node = static_cast<ActionListener*>(TaggedAlloc(sizeof(ActionListener)));
  *node = ActionListener{notify, context, nullptr};
  *list = node;
}

void RemoveActionListener(ActionListener** list, void (*notify)(void*, ObjectHeader*),
                          void* context) {
  while (*list != nullptr) {
    ActionListener* node = *list;
    if (node->notify == notify && node->context == context) {
      *list = node->next;
      TaggedFree(node);
      return;
    }
    list = &node->next;
  }
}

void NotifyActionListeners(ActionListener* list, ObjectHeader* control) {
  for (ActionListener* node = list; node != nullptr; node = node->next) {
    node->notify(node->context, control);
  }
}

void FreeActionListeners(ActionListener** list) {
  while (*list != nullptr) {
    ActionListener* node = *list;
    *list = node->next;
    TaggedFree(node);
  }
}

ControlFont FontOfControl(ObjectHeader* object) {
  if (StaticTextObject* label = StaticTextOf(object)) {
    ControlFont wanted;
    wanted.name = TextOf(label->fontName);
    wanted.size = label->fontSize;
    wanted.bold = label->bold != 0;
    wanted.italic = label->italic != 0;
    wanted.underline = label->underline != 0;
    return wanted;
  }
  if (PushButtonObject* button = PushButtonOf(object)) return FontOfRecord(button->font);
  if (EditFieldObject* field = EditFieldOf(object)) return FontOfRecord(field->font);
  if (RadioButtonObject* radio = RadioButtonOf(object)) return FontOfRecord(radio->font);
  return ControlFont{};
}

std::string TextOf(const StringRecord* s) { return std::string(StringView(s)); }

COLORREF NativeColour(int32_t rgb) {
  return RGB(colour::Red(rgb), colour::Green(rgb), colour::Blue(rgb));
}

void LinkControlPane(ControlObject* control, Pane* pane) {
  pane->owner = control->viewWindow;
  pane->bounds = control->bounds;
  pane->visible = control->visible;
  pane->enabled = control->enabled;
  pane->autoDeactivate = control->autoDeactivate;
  pane->tabPanelIndex = control->tabPanelIndex;
  pane->control = &control->header;
  control->pane = pane;
}

DWORD StateStyle(const ControlObject& control) {
  return (control.visible != 0 ? WS_VISIBLE : 0) | (control.enabled != 0 ? 0 : WS_DISABLED);
}

}  // namespace stdcontrols

// ---- Object hooks: the references the controls hold ----------------------------------------

namespace builtins {

void StaticTextDestructor(ObjectHeader* object, ClassRecord* /*cls*/) {
  auto* label = reinterpret_cast<StaticTextObject*>(object);
  stdcontrols::StoreString(&label->fontName, nullptr);
  stdcontrols::StoreString(&label->text, nullptr);
  stdcontrols::StoreString(&label->dataSource, nullptr);
  stdcontrols::StoreString(&label->dataField, nullptr);
}

void PushButtonDestructor(ObjectHeader* object, ClassRecord* /*cls*/) {
  auto* button = reinterpret_cast<PushButtonObject*>(object);
  stdcontrols::StoreString(&button->caption, nullptr);
  stdcontrols::StoreString(&button->font.name, nullptr);
  stdcontrols::FreeActionListeners(&button->listeners);
}

// A field made at run time starts white on black text, like one from a description.
void EditFieldConstructor(ObjectHeader* object, ClassRecord* /*cls*/) {
  auto* field = reinterpret_cast<EditFieldObject*>(object);
  field->backColor = 0xFFFFFF;
  field->border = 1;
}

void EditFieldDestructor(ObjectHeader* object, ClassRecord* /*cls*/) {
  auto* field = reinterpret_cast<EditFieldObject*>(object);
  stdcontrols::StoreString(&field->dataField, nullptr);
  stdcontrols::StoreString(&field->font.name, nullptr);
  stdcontrols::StoreString(&field->text, nullptr);
  stdcontrols::StoreString(&field->dataSource, nullptr);
}

void RadioButtonDestructor(ObjectHeader* object, ClassRecord* /*cls*/) {
  auto* radio = reinterpret_cast<RadioButtonObject*>(object);
  stdcontrols::StoreString(&radio->caption, nullptr);
  stdcontrols::StoreString(&radio->font.name, nullptr);
  stdcontrols::FreeActionListeners(&radio->setListeners);
  stdcontrols::FreeActionListeners(&radio->clearListeners);
}

}  // namespace builtins
