// The pane of a plug-in control: a drawn pane (its own "KT_Pane" child window, or none when
// descriptor flag bit 2 is set) that hands painting, the mouse, the keyboard focus, keys,
// commands and pointer enter/leave to the plug-in's behaviour table, runs its periodic slot
// from a timer every 10 ticks, and holds a reference to the control around each call. The
// pane's window carries the control's "Caption" as its text.
// Also the class hooks that call slots 0 and 1. Entry points: PluginControlConstructor,
// PluginControlDestructor, AddPaneCreationHandler, PluginControlPane.
#pragma once
#include <cstdint>
#include <string>

#include "runtime/objects/class.h"
#include "runtime/plugins/descriptors.h"
#include "runtime/ui/drawnpane.h"

// Class hooks of every plug-in control class: slot 0 on a new instance, slot 1 on one being
// destroyed (a pane still attached is detached first).
void PluginControlConstructor(ObjectHeader* object, ClassRecord* cls);
void PluginControlDestructor(ObjectHeader* object, ClassRecord* cls);

// Gives the class its "CreatePane" handler: a windowed or a windowless pane.
void AddPaneCreationHandler(ClassRecord* cls, bool windowless);

// The "CreatePane" handlers (called like image handlers, with the control).
extern "C" void PluginControlCreatePane(ObjectHeader* control) noexcept;
extern "C" void PluginControlCreateWindowlessPane(ObjectHeader* control) noexcept;

// The behaviour routine of a slot for this control, or nil.
PluginRoutine BehaviourRoutine(ObjectHeader* control, int32_t slot);

class PluginControlPane : public DrawnPane {
 public:
  PluginControlPane(ObjectHeader* control, bool windowless);
  ~PluginControlPane() override;

  // Drawn-pane state changes, then the plug-in's redraw (slot 14) when it has one.
  void ChangeState(int32_t code) override;
  // The caption brought up to date, then the drawn pane's invalidation.
  void Invalidate() override;
  bool AcceptFocus() override;
  void GotFocus() override;
  void LostFocus() override;
  // Coordinates arrive in window client terms and go to the plug-in relative to the control.
  bool MouseDown(int32_t x, int32_t y, int32_t modifiers) override;
  void MouseDrag(int32_t x, int32_t y) override;
  void MouseUp(int32_t x, int32_t y) override;
  void MouseEntered() override;
  void MouseLeft() override;
  bool KeyDown(const MSG& message) override;
  void Paint(HDC dc) override;
  LRESULT Command(int32_t code) override;
  void Closing() override;

  bool Captured() const { return captured_; }
  // Runs the periodic slot (the timer's action).
  void Tick();

 private:
  // Calls a slot with the control first, holding a reference to the control. Returns the
  // routine's result; *paneGone (when given) is set when the call closed the pane.
  uint32_t CallSlot(int32_t slot, int32_t argc, const uint32_t* args, bool* paneGone = nullptr);
  void StartPeriodicTask();
  void TakeCapture();
  void GiveUpCapture();
  void StopPeriodicTask();
  RECT ClientRect() const;
  void ShowCaption();

  bool captured_ = false;
  bool closed_ = false;
  int32_t timer_ = 0;
  std::string caption_;  // the window text last set
};
