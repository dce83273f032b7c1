// FatalOutOfMemory and DebugMessage. The debug hook shows nothing by default.
#include "runtime/startup/fatal.h"

#include <unistd.h>

namespace {
DebugMessageHook gDebugHook = nullptr;
EndDrawingHook gEndDrawingHook = nullptr;
}  // namespace

DebugMessageHook SetDebugMessageHook(DebugMessageHook hook) {
  DebugMessageHook previous = gDebugHook;
  gDebugHook = hook;
  return previous;
}

EndDrawingHook SetEndDrawingHook(EndDrawingHook hook) {
  EndDrawingHook previous = gEndDrawingHook;
  gEndDrawingHook = hook;
  return previous;
}

void DebugMessage(const char* text) {
  if (gDebugHook != nullptr) gDebugHook(text);
}

void FatalOutOfMemory() {
  // The hook is taken off first: running out of memory again inside it must not loop.
  EndDrawingHook endDrawing = gEndDrawingHook;
  gEndDrawingHook = nullptr;
  if (endDrawing != nullptr) endDrawing();
  DebugMessage("This application has run out of memory and must quit now.");
  _exit(0);
}
