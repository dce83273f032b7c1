// The plug-in control pane (a drawn pane) and the class hooks of plug-in controls. Every
// call into the plug-in goes through CallImage (plug-in code is foreign code like the
// image's) with the control first; see imagecall.h for what may be held across it.
#include "runtime/plugins/plugincontrolpane.h"

#include <algorithm>

#include "runtime/entries/entry.h"
#include "runtime/exceptions/imagecall.h"
#include "runtime/objects/heap.h"
#include "runtime/objects/objects.h"
#include "runtime/objects/strings.h"
#include "runtime/objects/typedescriptor.h"
#include "runtime/plugins/plugingraphics.h"
#include "runtime/plugins/pluginregistry.h"
#include "runtime/startup/timers.h"
#include "runtime/ui/controlobject.h"
#include "runtime/ui/stdcontrols.h"
#include "runtime/ui/viewwindow.h"

namespace {

constexpr uint32_t kPeriodicTicks = 10;
constexpr int32_t kMaxSlotArguments = 4;

const PluginControlDescriptor* ControlDescriptor(const ClassRecord* cls) {
  PluginClassInfo* info = PluginInfoOf(cls);
  return info != nullptr && info->isControl ? info->control : nullptr;
}

uint32_t CallRoutine(PluginRoutine routine, ObjectHeader* control, int32_t argc, const uint32_t* args) {
  uint32_t all[kMaxSlotArguments + 1] = {reinterpret_cast<uint32_t>(control)};
  argc = std::clamp(argc, 0, kMaxSlotArguments);
  std::copy(args, args + argc, all + 1);
  return CallImage(routine, argc + 1, all);
}

void PeriodicTask(void* context) { static_cast<PluginControlPane*>(context)->Tick(); }

int32_t KeyModifiers() {
  int32_t modifiers = 0;
  if (GetKeyState(VK_CONTROL) < 0) modifiers |= kModifierControl;
  if (GetKeyState(VK_SHIFT) < 0) modifiers |= kModifierShift;
  if (GetKeyState(VK_MENU) < 0) modifiers |= kModifierAlt;
  return modifiers;
}

void CreatePaneFor(ObjectHeader* object, bool windowless) {
  if (object == nullptr || ControlDescriptor(object->cls) == nullptr) return;
  ControlObject* control = AsControl(object);
  if (control->pane != nullptr) return;
  new PluginControlPane(object, windowless);  // the control and its window own it now
  // Slot 9: the pane exists. The call may close the window again; nothing follows it here.
  if (PluginRoutine routine = BehaviourRoutine(object, kSlotPaneCreated)) {
    ObjectHeader* held = LockObject(object);
    CallRoutine(routine, held, 0, nullptr);
    UnlockObject(held);
  }
}

}  // namespace

PluginRoutine BehaviourRoutine(ObjectHeader* control, int32_t slot) {
  if (control == nullptr || slot < 0 || slot >= kBehaviourSlots) return nullptr;
  const PluginControlDescriptor* descriptor = ControlDescriptor(control->cls);
  if (descriptor == nullptr || descriptor->behaviour == nullptr) return nullptr;
  return descriptor->behaviour[slot];
}

// A new plug-in control starts visible and enabled: descriptions of plug-in controls need
// not carry these (the compiler writes only the plug-in's declared properties after the
// common ones), and a control that came up disabled could never be used.
void PluginControlConstructor(ObjectHeader* object, ClassRecord* cls) {
  AsControl(object)->visible = 1;
  AsControl(object)->enabled = 1;
  const PluginControlDescriptor* descriptor = ControlDescriptor(cls);
  if (descriptor == nullptr || descriptor->behaviour == nullptr) return;
  if (PluginRoutine routine = descriptor->behaviour[kSlotCreated]) CallRoutine(routine, object, 0, nullptr);
}

void PluginControlDestructor(ObjectHeader* object, ClassRecord* cls) {
  ControlObject* control = AsControl(object);
  if (auto* pane = dynamic_cast<PluginControlPane*>(control->pane)) pane->control = nullptr;
  const PluginControlDescriptor* descriptor = ControlDescriptor(cls);
  if (descriptor == nullptr || descriptor->behaviour == nullptr) return;
  if (PluginRoutine routine = descriptor->behaviour[kSlotDestroyed]) CallRoutine(routine, object, 0, nullptr);
}

void AddPaneCreationHandler(ClassRecord* cls, bool windowless) {
  auto* handler = static_cast<EventHandlerEntry*>(TaggedAlloc(sizeof(EventHandlerEntry)));
  CodeAddress entry = windowless ? reinterpret_cast<CodeAddress>(&PluginControlCreateWindowlessPane)
                                 : reinterpret_cast<CodeAddress>(&PluginControlCreatePane);
  *handler = EventHandlerEntry{MakeStringFromC("CreatePane"), 0, entry, cls->eventHandlers};
  cls->eventHandlers = handler;
}

AMX_ENTRY void PluginControlCreatePane(ObjectHeader* control) noexcept {
  AMX_IMAGE_CALLER();
  CreatePaneFor(control, false);
}

AMX_ENTRY void PluginControlCreateWindowlessPane(ObjectHeader* control) noexcept {
  AMX_IMAGE_CALLER();
  CreatePaneFor(control, true);
}

// ---- The pane ----------------------------------------------------------------------------

PluginControlPane::PluginControlPane(ObjectHeader* object, bool windowless) {
  ControlObject* c = AsControl(object);
  name = "PluginControl";
  control = object;
  owner = c->viewWindow;
  visible = c->visible;
  enabled = c->enabled;
  autoDeactivate = c->autoDeactivate;
  tabPanelIndex = c->tabPanelIndex;
  c->pane = this;
  // Both forms link the pane at the top of its window's panes.
  DWORD style = (visible ? WS_VISIBLE : 0) | (enabled ? 0 : WS_DISABLED);
  if (windowless || !CreateWindowed(owner, c->bounds, style)) {
    AttachWindowless(owner, c->bounds);
  }
  ShowCaption();
  StartPeriodicTask();
}

PluginControlPane::~PluginControlPane() { Closing(); }

void PluginControlPane::StartPeriodicTask() {
  if (control != nullptr && BehaviourRoutine(control, kSlotPeriodic) != nullptr)
    timer_ = AddTimer(kPeriodicTicks, PeriodicTask, this);
}

void PluginControlPane::StopPeriodicTask() {
  if (timer_ != 0) RemoveTimer(timer_);
  timer_ = 0;
}

uint32_t PluginControlPane::CallSlot(int32_t slot, int32_t argc, const uint32_t* args, bool* paneGone) {
  if (paneGone != nullptr) *paneGone = false;
  PluginRoutine routine = BehaviourRoutine(control, slot);
  if (routine == nullptr) return 0;
  ObjectHeader* held = LockObject(control);
  uint32_t result = CallRoutine(routine, held, argc, args);
  // Closing the window (or the control) during the call takes the pane from the control;
  // `this` may then be gone, so only the held control is looked at.
  bool gone = AsControl(held)->pane != this;
  UnlockObject(held);
  if (paneGone != nullptr) *paneGone = gone;
  return result;
}

RECT PluginControlPane::ClientRect() const {
  if (hwnd != nullptr) return RECT{0, 0, bounds.Width(), bounds.Height()};
  return bounds.ToRect();
}

// The pane's window text follows the control's "Caption" (a String property, read through
// its getter as image code reads it), so the window reads like a native control's: the screen
// dump and GetWindowTextA show it. A plug-in redraws after changing what it shows, which
// comes here through Invalidate. Setting the same text again would only repaint.
void PluginControlPane::ShowCaption() {
  if (hwnd == nullptr || control == nullptr || closed_) return;
  PropertyEntry* property = FindProperty(control->cls, "Caption");
  if (property == nullptr || property->getter == nullptr || property->type != ScalarType(0)) return;
  ObjectHeader* held = LockObject(control);
  const uint32_t args[2] = {reinterpret_cast<uint32_t>(held), 0};
  auto* text = reinterpret_cast<StringRecord*>(CallImage(property->getter, 2, args));
  bool gone = AsControl(held)->pane != this;  // the getter closed the pane: `this` is gone
  UnlockObject(held);
  if (!gone && hwnd != nullptr && stdcontrols::TextOf(text) != caption_) {
    caption_ = stdcontrols::TextOf(text);
    SetWindowTextA(hwnd, caption_.c_str());
  }
  UnlockString(text);  // getters hand out a reference
}

void PluginControlPane::Invalidate() {
  ShowCaption();
  DrawnPane::Invalidate();
}

void PluginControlPane::ChangeState(int32_t code) {
  DrawnPane::ChangeState(code);
  if (code == kPaneShow || code == kPaneHide) return;
  if (BehaviourRoutine(control, kSlotRedraw) != nullptr) {
    CallSlot(kSlotRedraw, 0, nullptr);
  } else {
    Invalidate();
  }
}

bool PluginControlPane::AcceptFocus() {
  return BehaviourRoutine(control, kSlotKeyDown) != nullptr ||
         BehaviourRoutine(control, kSlotGotFocus) != nullptr;
}

void PluginControlPane::GotFocus() { CallSlot(kSlotGotFocus, 0, nullptr); }

void PluginControlPane::LostFocus() { CallSlot(kSlotLostFocus, 0, nullptr); }

bool PluginControlPane::MouseDown(int32_t x, int32_t y, int32_t modifiers) {
  if (BehaviourRoutine(control, kSlotMouseDown) == nullptr) return false;
  const uint32_t args[3] = {uint32_t(x - bounds.left), uint32_t(y - bounds.top), uint32_t(modifiers)};
  bool gone = false;
  uint32_t result = CallSlot(kSlotMouseDown, 3, args, &gone);
  if (gone) return true;  // the event counts as handled
  captured_ = (result & 0xFF) != 0;
  if (captured_) TakeCapture();
  return captured_;
}

// Drags come from the mouse tracker and the release from the window's procedure, both in
// the window's client coordinates, while the pane holds the capture.
void PluginControlPane::TakeCapture() {
  SetCapturePane(this);
  HWND target = owner != nullptr && owner->Handle() != nullptr ? owner->Handle() : hwnd;
  if (target != nullptr) SetCapture(target);
}

void PluginControlPane::GiveUpCapture() {
  if (CapturePane() != this) return;
  SetCapturePane(nullptr);
  if (GetCapture() != nullptr) ReleaseCapture();
}

void PluginControlPane::MouseDrag(int32_t x, int32_t y) {
  if (!captured_) return;
  const uint32_t args[2] = {uint32_t(x - bounds.left), uint32_t(y - bounds.top)};
  CallSlot(kSlotMouseDrag, 2, args);
}

void PluginControlPane::MouseUp(int32_t x, int32_t y) {
  if (!captured_) return;
  captured_ = false;
  GiveUpCapture();
  const uint32_t args[2] = {uint32_t(x - bounds.left), uint32_t(y - bounds.top)};
  CallSlot(kSlotMouseUp, 2, args);
}

void PluginControlPane::MouseEntered() { CallSlot(kSlotMouseEnter, 0, nullptr); }

void PluginControlPane::MouseLeft() { CallSlot(kSlotMouseExit, 0, nullptr); }

// A key message carries its character in the scan-code byte (lParam bits 16-23).
bool PluginControlPane::KeyDown(const MSG& message) {
  if (BehaviourRoutine(control, kSlotKeyDown) == nullptr) return false;
  const uint32_t args[3] = {uint32_t((message.lParam >> 16) & 0xFF), uint32_t(message.wParam),
                            uint32_t(KeyModifiers())};
  bool gone = false;
  uint32_t result = CallSlot(kSlotKeyDown, 3, args, &gone);
  return gone || (result & 0xFF) != 0;
}

void PluginControlPane::Paint(HDC dc) {
  if (dc == nullptr || BehaviourRoutine(control, kSlotDraw) == nullptr) return;
  RECT r = ClientRect();
  ObjectHeader* graphics = MakePluginGraphics(dc, nullptr, r.left, r.top);
  const uint32_t args[1] = {reinterpret_cast<uint32_t>(graphics)};
  CallSlot(kSlotDraw, 1, args);
  UnbindPluginGraphics(graphics);  // the paint context is lent for this call only
  UnlockObject(graphics);
}

LRESULT PluginControlPane::Command(int32_t) {
  CallSlot(kSlotCommand, 0, nullptr);
  return 0;
}

void PluginControlPane::Closing() {
  if (closed_) return;
  closed_ = true;
  GiveUpCapture();
  StopPeriodicTask();
  if (control != nullptr) CallSlot(kSlotPaneClosing, 0, nullptr);
}

void PluginControlPane::Tick() {
  if (!closed_) CallSlot(kSlotPeriodic, 0, nullptr);
}
