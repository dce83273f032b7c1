// PushButton: a native push button with the click sequence of the language (a "MouseDown"
// handler that returns True turns the click into a MouseDown/MouseUp pair; "Action" follows
// only an unclaimed click), default and cancel buttons (exactly one native default button
// per window), and its focus events. Entry points: PushButtonCreatePane, the pushButton*
// accessors, ChooseDefaultButton, UpdateDefaultButton, DefaultButtonOf, CancelButtonOf,
// PressButton.
#pragma once
#include <cstdint>
#include <vector>

#include "runtime/entries/entry.h"
#include "runtime/ui/stdcontrolobjects.h"
#include "runtime/ui/stdnativepane.h"

class RuntimeViewWindow;

class PushButtonPane : public StdNativePane {
 public:
  PushButtonPane();

  bool PreFilter(HWND child, UINT message, WPARAM wParam, LPARAM lParam) override;
  LRESULT Command(int32_t code) override;
  void GotFocus() override;
  void LostFocus() override;

  // The native style shows the default-button frame.
  void ShowAsDefault(bool isDefault);
  bool ShownAsDefault() const;
  // Whether its control has Default (or Cancel) set and the pane is visible and enabled.
  bool QualifiesAsDefault() const;
  bool QualifiesAsCancel() const;

 protected:
  EventDeclaration* MouseDownEvent() const override;
  EventDeclaration* MouseUpEvent() const override;

 private:
  void MouseUpAt(int32_t x, int32_t y);
  void Clicked();
};

// One push button of a window as the default-button choice sees it.
struct DefaultCandidate {
  bool focused;     // has the keyboard focus
  bool qualifies;   // Default set, visible and enabled
};
// Which button shows the default style: the focused one if any, else `preferred` when it
// qualifies, else the first that qualifies; -1 for none.
int32_t ChooseDefaultButton(const std::vector<DefaultCandidate>& buttons, int32_t preferred);

// Re-evaluates the window's default button; `preferred` (may be nil) is a button whose
// Default has just been set.
void UpdateDefaultButton(RuntimeViewWindow* window, PushButtonPane* preferred = nullptr);
// The button that shows the default style, and the first visible and enabled one with
// Cancel set; nil when none.
PushButtonPane* DefaultButtonOf(RuntimeViewWindow* window);
PushButtonPane* CancelButtonOf(RuntimeViewWindow* window);
// Presses a button as the user would (Return, Escape): a click.
void PressButton(PushButtonPane* button);

// After a font property changed: a live pane gets a new native font.
void ApplyPushButtonFont(PushButtonObject* button);

AMX_ENTRY void PushButtonCreatePane(ObjectHeader* control) noexcept;
