// RuntimeCreateWindow: a Window, its controls and its native window from a description
// record. The record is first read whole into a plan of plain strings (a damaged record is
// reported and creates nothing); the plan is then applied, which is where handlers run.
// Entry point: RuntimeCreateWindow.
#include <cstdlib>
#include <cstring>
#include <string>

#include "runtime/entries/entries.h"
#include "runtime/exceptions/imagecall.h"
#include "runtime/objects/builtinclasses.h"
#include "runtime/objects/classtable.h"
#include "runtime/objects/objects.h"
#include "runtime/objects/strings.h"
#include "runtime/objects/typedescriptor.h"
#include "runtime/records/datablock.h"
#include "runtime/records/window.h"
#include "runtime/startup/message.h"
#include "runtime/ui/controlcreation.h"
#include "runtime/ui/events.h"
#include "runtime/ui/instancevariable.h"
#include "runtime/ui/windowlayer.h"

namespace {

struct PlanPair {
  StringRecord* name;
  StringRecord* value;
};

struct PlanControl {
  int32_t classIndex;
  int32_t pairCount;
  PlanPair* pairs;
};

// Invariant: every string is the plan's own reference; arrays come from calloc.
struct WindowPlan {
  int32_t classIndex;
  int32_t pairCount;
  PlanPair* pairs;
  int32_t controlCount;
  PlanControl* controls;
};

void FreePairs(PlanPair* pairs, int32_t count) {
  for (int32_t i = 0; pairs != nullptr && i < count; ++i) {
    UnlockString(pairs[i].name);
    UnlockString(pairs[i].value);
  }
  std::free(pairs);
}

void FreePlan(WindowPlan* plan) {
  FreePairs(plan->pairs, plan->pairCount);
  for (int32_t i = 0; plan->controls != nullptr && i < plan->controlCount; ++i) {
    FreePairs(plan->controls[i].pairs, plan->controls[i].pairCount);
  }
  std::free(plan->controls);
  *plan = WindowPlan{};
}

StringRecord* TextOf(std::string_view text) {
  return MakeString(text.data(), static_cast<int32_t>(text.size()));
}

// Reads count pairs; false on damage or when memory runs out.
bool ReadPairs(WindowDescriptionReader& reader, int32_t count, PlanPair** out) {
  *out = static_cast<PlanPair*>(std::calloc(count > 0 ? count : 1, sizeof(PlanPair)));
  if (*out == nullptr) return false;
  for (int32_t i = 0; i < count; ++i) {
    WindowProperty property;
    if (!reader.NextProperty(property)) return false;
    (*out)[i] = PlanPair{TextOf(property.name), TextOf(property.value)};
  }
  return true;
}

bool ReadPlan(WindowDescriptionReader& reader, WindowPlan* plan) {
  int32_t bindings = 0;
  if (!reader.ReadWindow(plan->pairCount, plan->classIndex)) return false;
  if (!ReadPairs(reader, plan->pairCount, &plan->pairs)) return false;
  int32_t count = 0;
  if (!reader.ReadControlCount(count)) return false;
  plan->controls = static_cast<PlanControl*>(std::calloc(count > 0 ? count : 1,
                                                         sizeof(PlanControl)));
  if (plan->controls == nullptr) return false;
  for (int32_t i = 0; i < count; ++i) {
    ControlHeader header;
    if (!reader.NextControl(header)) return false;
    plan->controls[i].classIndex = header.classIndex;
    plan->controls[i].pairCount = header.propertyCount;
    plan->controlCount = i + 1;
    if (!ReadPairs(reader, header.propertyCount, &plan->controls[i].pairs)) return false;
  }
  // Bindings are read (and checked) but not made: the application declares none.
  if (!reader.ReadBindingCount(bindings)) return false;
  WindowBinding binding;
  for (int32_t i = 0; i < bindings; ++i) {
    if (!reader.NextBinding(binding)) return false;
  }
  return !reader.Failed();
}

// Step 1: the record's bytes are copied, so nothing the handlers do can change what is read.
bool LoadPlan(const void* description, WindowPlan* plan) {
  uint32_t offset = 0;
  const DataBlock& image = ImageData();
  if (image.bytes != nullptr &&
      (!image.OffsetOfAddress(description, offset) || !image.Contains(offset, 4))) {
    ShowRuntimeMessage("A window description lies outside the application's data.");
    return false;
  }
  uint32_t length = 0;
  std::memcpy(&length, description, 4);
  if (length > UINT32_MAX - 4 ||
      (image.bytes != nullptr && !image.Contains(offset + 4, length))) {
    ShowRuntimeMessage(RecordMessage("window description", offset,
                                     "its length runs past the end of data1"));
    return false;
  }
  auto* copy = static_cast<uint8_t*>(std::malloc(length + 4u));
  if (copy == nullptr) return false;
  std::memcpy(copy, description, length + 4u);
  bool read = false;
  std::string error;
  {
    WindowDescriptionReader reader(DataBlock::Relocated(copy, length + 4u), 0, ImageClassCount());
    read = ReadPlan(reader, plan);
    if (!read) error = reader.Failed() ? reader.Error() : "not enough memory";
  }
  std::free(copy);
  if (!read) {
    FreePlan(plan);
    ShowRuntimeMessage("The window cannot be opened because its description is damaged: " +
                       error);
  }
  return read;
}

bool IsNamed(StringRecord* name, const char* expected) {
  return CompareNames(name, expected) == 0;
}

// Step 3: the window's own pairs. Returns the last FullScreen value converted, or -1.
int32_t ApplyWindowPairs(ObjectHeader* window, const WindowPlan& plan) {
  int32_t fullScreen = -1;
  for (int32_t i = 0; i < plan.pairCount; ++i) {
    uint8_t lowByte = 0;
    bool applied = ApplyPropertyFromText(window, plan.pairs[i].name, plan.pairs[i].value,
                                         &lowByte);
    if (applied && IsNamed(plan.pairs[i].name, "FullScreen")) fullScreen = lowByte;
  }
  return fullScreen;
}

// Step 3e: the last Canvas in dictionary order whose rectangle encloses the new control.
void FindContainingCanvas(WindowObject* window, ControlObject* control) {
  ClassRecord* canvas = FindBuiltinClass("Canvas");
  if (canvas == nullptr) return;
  const Rect16& r = control->bounds;
  for (StringMapEntry* e = window->controls->First(); e != nullptr; e = e->orderNext) {
    auto* other = static_cast<ObjectHeader*>(e->value);
    if (other == nullptr || !ObjectIsa(other, canvas)) continue;
    const Rect16& c = AsControl(other)->bounds;
    if (r.top >= c.top && r.left >= c.left && r.bottom <= c.bottom && r.right <= c.right) {
      control->containingCanvas = other;
    }
  }
}

// Steps 3d and 3f: the template (first of its name wins) and the dictionary entry.
void FileControl(WindowObject* window, ObjectHeader* object, ControlTemplate* made,
                 StringRecord* name, int32_t index) {
  if (FindControlTemplate(window, name) != nullptr) {
    FreeControlTemplate(made);
  } else {
    made->name = LockString(name);
    made->arrayIndex = index;
    made->next = window->controlTemplates;
    window->controlTemplates = made;
  }
  if (IsControlObject(object)) {
    FindContainingCanvas(window, AsControl(object));
    AsControl(object)->arrayIndex = index;
  }
  StringRecord* key = ControlKey(name, index);
  // A key met twice keeps its place; the control it named is let go of, not leaked.
  auto* replaced = static_cast<ObjectHeader*>(window->controls->Get(key));
  window->controls->Put(key, object);
  UnlockString(key);
  if (replaced != nullptr && replaced != object) UnlockObject(replaced);
}

// Step 3 for one control.
void MakeControl(WindowObject* window, const PlanControl& plan) {
  ObjectHeader* object = RuntimeNewObject(plan.classIndex);
  if (object == nullptr) return;
  PrepareControl(object, window);
  ControlTemplate* made = NewControlTemplate(object->cls);
  int32_t index = kNotInArray;
  StringRecord* name = nullptr;
  for (int32_t i = 0; i < plan.pairCount; ++i) {
    const PlanPair& pair = plan.pairs[i];
    if (IsNamed(pair.name, "Index")) {
      index = ParseIntegerText(StringBytes(pair.value), StringLength(pair.value));
    } else if (IsNamed(pair.name, "Name")) {
      name = pair.value;
    }
    AddTemplatePair(made, pair.name, pair.value);
    ApplyPropertyFromText(object, pair.name, pair.value);
  }
  FileControl(window, object, made, name, index);
}

// Steps 4 and 7: an event for every control, in dictionary order, while the window stays.
void RaiseOnControls(RuntimeViewWindow* view, WindowObject* window, EventDeclaration* event,
                     bool attachPanes) {
  for (StringMapEntry* e = window->controls->First(); e != nullptr && !view->closing;
       e = e->orderNext) {
    auto* object = static_cast<ObjectHeader*>(e->value);
    if (!IsControlObject(object)) continue;
    RaiseEvent(object, event);
    if (view->closing) break;
    if (attachPanes) AttachControlPane(AsControl(object));
  }
}

// Creating the RuntimeViewWindow: native window, controls, panes, Open events.
void BuildViewWindow(RuntimeViewWindow* view, WindowObject* window, const WindowPlan& plan) {
  window->native = view;  // 1
  view->shown = window->visible ? 1 : 0;  // 2
  for (int32_t i = 0; i < plan.controlCount && !view->closing; ++i) {  // 3
    MakeControl(window, plan.controls[i]);
  }
  RaiseOnControls(view, window, AMX_BUILTIN_EVENT(Control, CreatePane), true);  // 4
  if (view->closing) return;
  if (window->hasBackColor) windows::ApplyBackColor(view, window->backColor);  // 5
  view->SetBalloonHelp(window->balloonHelp);
  if (window->fullScreen) windows::EnterFullScreen(view, window);
  RaiseOnControls(view, window, AMX_BUILTIN_EVENT(Control, Open), false);  // 7
  if (view->closing) return;
  RaiseEvent(&window->header, AMX_BUILTIN_EVENT(Window, Open));  // 8
  if (!view->closing && window->visible && view->hwnd != nullptr) {  // 10
    InvalidateRect(view->hwnd, nullptr, TRUE);
  }
}

void StoreVariable(ObjectHeader** variable, ObjectHeader* window) {
  if (variable == nullptr) return;
  ObjectHeader* old = LoadInstanceVariable(variable);
  StoreInstanceVariable(variable, LockObject(window));
  UnlockObject(old);
}

}  // namespace

AMX_ENTRY ObjectHeader* RuntimeCreateWindow(void* description,
                                            ObjectHeader** instanceVariable) noexcept {
  AMX_IMAGE_CALLER();
  if (description == nullptr) return nullptr;
  WindowPlan plan{};
  if (!LoadPlan(description, &plan)) return nullptr;
  ObjectHeader* object = RuntimeNewObject(plan.classIndex);  // 2
  WindowObject* window = windows::WindowOf(object);
  if (window == nullptr) {
    UnlockObject(object);
    FreePlan(&plan);
    return nullptr;
  }
  StoreVariable(instanceVariable, object);
  int32_t fullScreen = ApplyWindowPairs(object, plan);  // 3
  int32_t kind = windows::KindForFrame(window->frame);  // 4
  int32_t placement = window->placement != 0 ? window->placement
                                             : windows::DefaultPlacementForFrame(window->frame);
  window->bounds = windows::PlaceBounds(window->bounds, placement,  // 5
                                        GetSystemMetrics(SM_CXSCREEN),
                                        GetSystemMetrics(SM_CYSCREEN));
  window->lastBounds = window->restoreBounds = window->bounds;
  if (window->controls == nullptr) window->controls = NewStringMap();  // 6
  auto* view = new RuntimeViewWindow(window, kind);
  view->instanceVariable = instanceVariable;
  view->Hold();
  if (windows::CreateNativeWindow(view, window)) {
    BuildViewWindow(view, window, plan);
  } else {
    view->TearDown();
    view->Release();  // the view's own count: freed below, when the hold goes
  }
  view->Release();
  FreePlan(&plan);  // 7
  if (fullScreen > 0 && window->native != nullptr) windowFullScreenSetter(object, 0, 1);
  if (window->native != nullptr) return object;  // 8
  if (instanceVariable != nullptr && LoadInstanceVariable(instanceVariable) == object) {
    StoreInstanceVariable(instanceVariable, nullptr);
    UnlockObject(object);
  }
  UnlockObject(object);
  return nullptr;
}
