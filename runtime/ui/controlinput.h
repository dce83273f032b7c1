// Mouse input as both pane families report it to their window: the modifier bits of a
// press, the last click recorded for the click counter (0x201 single, 0x203 double), the
// contextual-click flag that is set while a right press is being handled, and the cursor for
// a point of a window. Entry points: ReportMousePress, SetCursorForPoint.
#pragma once
#include <cstdint>

#include "native/win32.h"

class Pane;
class RuntimeViewWindow;

namespace controls {

constexpr uint32_t kSingleClick = 0x201;
constexpr uint32_t kDoubleClick = 0x203;

// The runtime's modifier bits (Control 0x1000, Shift 0x200) of a mouse message's key state.
int32_t MouseModifiers(WPARAM keyState);
// Whether the message is a press the window's mouse-down algorithm hears of (left, right,
// double and the non-client ones), and whether it is a right (contextual) one.
bool IsMousePress(UINT message);
bool IsContextualPress(UINT message);

// The last click recorded (kSingleClick or kDoubleClick; 0 before any) and how many
// presses were recorded in all.
uint32_t LastClickKind();
uint32_t RecordedClickCount();
// True while a right-button press is being delivered.
bool IsContextualClick();

// A press at (x, y) in the owner's client coordinates: records the click, sets the
// contextual flag for right presses during the call and hands the press to the window's
// mouse-down algorithm (the owner's MouseDown). Returns what that answered.
bool ReportMousePress(RuntimeViewWindow* owner, UINT message, int32_t x, int32_t y,
                      int32_t modifiers);

// Sets the cursor for a point of the window (client coordinates): the cursor of the topmost
// visible pane there, else the window's own, else the arrow.
void SetCursorForPoint(RuntimeViewWindow* owner, int32_t x, int32_t y);

// Forwards a child notification (WM_COMMAND, WM_NOTIFY, WM_DRAWITEM, WM_HSCROLL,
// WM_VSCROLL carrying a child window) to the top-level window that forwards it to the
// child's pane. True, with the answer, when the child has a pane ("KTInstance").
bool ForwardChildNotification(HWND from, UINT message, WPARAM wParam, LPARAM lParam,
                              LRESULT* result);

// Clears the recorded click state (tests).
void ResetClickState();

}  // namespace controls
