// The quitting procedure shared by ApplicationQuit and the MDI frame's close: every window
// may refuse ("CancelClose"), then the application's "Close" fires and every window closes.
// Entry point: QuitApplication.
#pragma once

// True when the quit went ahead. False when a quit is already under way or a window
// refused; nothing is closed then.
bool QuitApplication();
// Closes every open window, the first of the list each time, until none is left.
void CloseAllWindows();
