// Fatal conditions and the debug-message hook. Fatal conditions end the process with exit
// code 0; debug messages go to a hook that shows nothing unless a test or developer sets one.
#pragma once

[[noreturn]] void FatalOutOfMemory();

void DebugMessage(const char* text);
using DebugMessageHook = void (*)(const char* text);
DebugMessageHook SetDebugMessageHook(DebugMessageHook hook);
