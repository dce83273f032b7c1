// StdNativePane: the pane family of the standard controls that wrap a native control
// (PushButton, EditField, RadioButton). A press raises the control's "MouseDown" and
// remembers whether the handler claimed it; the release of a claimed press raises "MouseUp".
// Entry points: ReportPress, RaiseMouseUp, ReportFocus, FilterClaimedPress.
#pragma once
#include <cstdint>

#include "native/win32.h"
#include "runtime/objects/class.h"
#include "runtime/ui/nativecontrolpane.h"

class StdNativePane : public NativeControlPane {
 public:
  bool MouseDown(int32_t x, int32_t y, int32_t modifiers) override;
  bool PressClaimed() const { return pressClaimed_; }

 protected:
  virtual EventDeclaration* MouseDownEvent() const = 0;
  virtual EventDeclaration* MouseUpEvent() const = 0;
  // A press on the child: reported to the window as every native control's press is (which
  // offers it to this pane's MouseDown), without leaving the runtime's mouse capture on the
  // pane, since the native control tracks its own press. False when the pane went away.
  bool ReportPress(HWND child, UINT message, WPARAM wParam, LPARAM lParam);
  // Raises "MouseUp" at a point of the child; its result. *alive receives whether the pane
  // survived the handler.
  bool RaiseMouseUp(int32_t x, int32_t y, bool* alive);
  // The mouse and focus handling of a control whose claimed presses never reach the native
  // control: such a press captures the mouse until its release, which raises "MouseUp";
  // gaining and losing the focus call GotFocus/LostFocus. True when the message was used up.
  bool FilterClaimedPress(HWND child, UINT message, WPARAM wParam, LPARAM lParam);
  // WM_SETFOCUS or WM_KILLFOCUS on the child: calls GotFocus or LostFocus. True when the
  // handler destroyed the child, so the message must not reach it.
  bool ReportFocus(HWND child, UINT message);

  bool pressClaimed_ = false;  // the MouseDown handler returned True for this press

 private:
  bool pressSeen_ = false;     // MouseDown ran for the press being reported
};

