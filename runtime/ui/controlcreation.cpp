// Property application from description text, control dictionary keys, control templates
// and the state a new control and its pane start with. Entry points: ApplyPropertyFromText,
// ControlKey, PrepareControl, AttachControlPane, the template functions.
#include "runtime/ui/controlcreation.h"

#include <cstdio>
#include <cstring>

#include "runtime/entries/entries.h"
#include "runtime/exceptions/imagecall.h"
#include "runtime/objects/heap.h"
#include "runtime/objects/objects.h"
#include "runtime/objects/strings.h"
#include "runtime/objects/typedescriptor.h"
#include "runtime/ui/pane.h"
#include "runtime/ui/viewwindow.h"

namespace {

uint32_t Word(const void* pointer) {
  return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(pointer));
}

// Setters may belong to plug-ins (image-side code), so every call goes through CallImage.
void CallSetter(CodeAddress setter, ObjectHeader* object, int32_t parameter, uint32_t value) {
  const uint32_t args[3] = {Word(object), static_cast<uint32_t>(parameter), value};
  CallImage(setter, 3, args);
}

// An object-valued property: the text is a project item number (0 = nil).
bool ApplyObjectProperty(ObjectHeader* object, const PropertyEntry* entry, StringRecord* value,
                         uint8_t* lowByte) {
  int32_t number = ParseIntegerText(StringBytes(value), StringLength(value));
  ObjectHeader* item = RuntimeProjectObject(number);  // our reference
  if (lowByte != nullptr) *lowByte = static_cast<uint8_t>(number);
  CallSetter(entry->setter, object, entry->parameter, Word(item));
  UnlockObject(item);  // the setter keeps its own
  return true;
}

bool ApplyValueProperty(ObjectHeader* object, const PropertyEntry* entry, StringRecord* value,
                        uint8_t* lowByte) {
  auto* type = static_cast<TypeDescriptor*>(entry->type);
  if (type->kind != kTypeDescriptorKind || type->fromText == nullptr) return false;
  uint32_t converted = 0;
  if (!type->fromText(value, &converted)) return false;
  if (lowByte != nullptr) *lowByte = static_cast<uint8_t>(converted);
  CallSetter(entry->setter, object, entry->parameter, converted);
  if (type->release != nullptr) type->release(converted);
  return true;
}

ClassRecord* ControlClass() { return FindBuiltinClass("Control"); }

}  // namespace

bool ApplyPropertyFromText(ObjectHeader* object, StringRecord* name, StringRecord* value,
                           uint8_t* convertedLowByte) {
  if (object == nullptr || object->cls == nullptr || StringLength(name) == 0) return false;
  PropertyEntry* entry = FindProperty(object->cls, StringText(name));
  if (entry == nullptr || entry->setter == nullptr || entry->type == nullptr) return false;
  if (IsClassReference(entry->type)) {
    return ApplyObjectProperty(object, entry, value, convertedLowByte);
  }
  return ApplyValueProperty(object, entry, value, convertedLowByte);
}

StringRecord* ControlKey(StringRecord* name, int32_t arrayIndex) {
  if (arrayIndex == kNotInArray) return LockString(name);
  char digits[16];
  int length = std::snprintf(digits, sizeof(digits), "$%d", static_cast<int>(arrayIndex));
  StringRecord* key = LockString(name);
  StringAppend(&key, digits, length);
  return key;
}

bool IsControlObject(ObjectHeader* object) {
  ClassRecord* control = ControlClass();
  return object != nullptr && control != nullptr && ObjectIsa(object, control);
}

void PrepareControl(ObjectHeader* object, WindowObject* window) {
  if (!IsControlObject(object)) return;
  ControlObject* control = AsControl(object);
  control->window = &window->header;
  control->zeroWord = 0;
  control->created = 1;
  control->mouseInside = 0;
  control->pane = nullptr;
  control->viewWindow = window->native;
  control->windowObject = &window->header;
}

void AttachControlPane(ControlObject* control) {
  Pane* pane = control->pane;
  if (pane == nullptr) return;
  pane->tabPanelIndex = control->tabPanelIndex;
  if (!control->visible) pane->ChangeState(kPaneHide);
  if (!control->enabled) pane->ChangeState(kPaneDisable);
  pane->SetHelpTag(control->helpTag);
  pane->SetDisabledBalloonHelp(control->disabledBalloonHelp);
  pane->SetBalloonHelp(control->balloonHelp);
  pane->autoDeactivate = control->autoDeactivate;
  pane->control = &control->header;
}

ControlTemplate* FindControlTemplate(WindowObject* window, StringRecord* name) {
  if (window == nullptr) return nullptr;
  for (ControlTemplate* t = window->controlTemplates; t != nullptr; t = t->next) {
    if (CompareNames(t->name, name) == 0) return t;
  }
  return nullptr;
}

ControlTemplate* NewControlTemplate(ClassRecord* cls) {
  auto* made = static_cast<ControlTemplate*>(TaggedAlloc(sizeof(ControlTemplate)));
  *made = ControlTemplate{nullptr, kNotInArray, cls, nullptr, nullptr};
  return made;
}

void AddTemplatePair(ControlTemplate* controlTemplate, StringRecord* name, StringRecord* value) {
  auto* pair = static_cast<TemplatePair*>(TaggedAlloc(sizeof(TemplatePair)));
  *pair = TemplatePair{LockString(name), LockString(value), nullptr};
  TemplatePair** tail = &controlTemplate->pairs;
  while (*tail != nullptr) tail = &(*tail)->next;
  *tail = pair;
}

void FreeControlTemplate(ControlTemplate* controlTemplate) {
  if (controlTemplate == nullptr) return;
  for (TemplatePair* pair = controlTemplate->pairs; pair != nullptr;) {
    TemplatePair* next = pair->next;
    UnlockString(pair->name);
    UnlockString(pair->value);
    TaggedFree(pair);
    pair = next;
  }
  UnlockString(controlTemplate->name);
  TaggedFree(controlTemplate);
}

void FreeControlTemplates(WindowObject* window) {
  ControlTemplate* t = window->controlTemplates;
  window->controlTemplates = nullptr;
  while (t != nullptr) {
    ControlTemplate* next = t->next;
    FreeControlTemplate(t);
    t = next;
  }
}
