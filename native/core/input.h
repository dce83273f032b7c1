// How a backend hands the user's actions to the window manager: pointer moves and buttons at
// screen points, keys with their characters, menu choices and close requests. Each turns into
// the messages the system would queue for it (activation and capture included).
// Entry points: InputPointer, InputKey, ChooseMenuItem, RequestClose.
#pragma once

#include <string>
#include <vector>

#include "native/core/state.h"

namespace native {

enum class PointerAction { kMove, kLeftDown, kLeftUp, kRightDown, kRightUp };

// Moves the pointer to a screen point (the backend already knows it is there) and queues
// the message for the window under it, or the capturing window.
void InputPointer(PointerAction action, POINT screen);

// The wheel turned by notches (positive: away from the user) with the pointer at a screen
// point: WM_MOUSEWHEEL to the focus, else the window under the pointer.
void InputWheel(int notches, POINT screen);

// One key going down or up; ch is its Windows-1252 character (0 for none). modifiers are
// kKeyShift/kKeyControl/kKeyAlt as held while the key is pressed.
void InputKey(int virtualKey, bool down, char ch, uint32_t modifiers);

// A complete key press with modifiers: modifier keys down, the key down and up, modifiers up.
void InputKeyPress(int virtualKey, char ch, uint32_t modifiers);

// The window that receives keys: the focus, else the active window.
HWND KeyTarget();

// Sends WM_INITMENU (and WM_INITMENUPOPUP for each menu on the way) to the window, then, if
// the item at the end of the path of positions exists and is enabled, posts its WM_COMMAND.
// Returns an empty string on success, else why it failed.
std::string ChooseMenuItem(HWND window, const std::vector<int>& positions);

// The close box of a top-level window: posts WM_CLOSE.
void RequestClose(HWND window);

// The user moved or resized a top-level window to a new client rectangle on the screen; a
// size change is offered to the window as WM_SIZING first. Returns the client rectangle the
// window ends up with.
RECT UserMovedWindow(HWND window, RECT clientOnScreen, bool sizing);

// Queues an input message with the key state it happened under.
void PostInput(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, uint32_t keyState);

// The current pointer position as the backend reports it.
POINT PointerPosition();

}  // namespace native
