// RaiseException. Until the frame walk exists, an installed hook receives the exception;
// without one the exception is reported as unhandled and the process ends.
#include "runtime/exceptions/raise.h"

#include <cstdio>
#include <unistd.h>

namespace {
RaiseHook gRaiseHook = nullptr;
}

RaiseHook SetRaiseHook(RaiseHook hook) {
  RaiseHook previous = gRaiseHook;
  gRaiseHook = hook;
  return previous;
}

void RaiseException(ObjectHeader* exception) {
  if (gRaiseHook != nullptr) {
    gRaiseHook(exception);
    return;
  }
  std::fprintf(stderr, "Unhandled exception\n");
  _exit(0);
}
