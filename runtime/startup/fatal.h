// Fatal conditions and the debug-message hook. Fatal conditions end the process with exit
// code 0; debug messages go to a hook that shows nothing unless a test or developer sets one.
#pragma once

// Ends any drawing in progress (the drawing layer's hook), hands the out-of-memory text to
// the debug hook and ends the process at once with exit code 0, without a message box.
[[noreturn]] void FatalOutOfMemory();

void DebugMessage(const char* text);
using DebugMessageHook = void (*)(const char* text);
DebugMessageHook SetDebugMessageHook(DebugMessageHook hook);

// The drawing layer installs what releases the current graphics state and detaches the
// current drawing pane; nothing by default.
using EndDrawingHook = void (*)();
EndDrawingHook SetEndDrawingHook(EndDrawingHook hook);
