// FatalOutOfMemory and DebugMessage. The debug hook shows nothing by default.
#include "runtime/startup/fatal.h"

#include <unistd.h>

namespace {
DebugMessageHook gDebugHook = nullptr;
}

DebugMessageHook SetDebugMessageHook(DebugMessageHook hook) {
  DebugMessageHook previous = gDebugHook;
  gDebugHook = hook;
  return previous;
}

void DebugMessage(const char* text) {
  if (gDebugHook != nullptr) gDebugHook(text);
}

void FatalOutOfMemory() {
  DebugMessage("This application has run out of memory and must quit now.");
  _exit(0);
}
