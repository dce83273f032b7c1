// RaiseException: the one way the runtime raises a language exception object. The frame
// walk that finds a catch clause lives in runtime/exceptions/raise.cpp; tests may install
// a hook that sees the exception first and returns instead of unwinding.
#pragma once

struct ObjectHeader;

// Takes over the caller's reference to exception. Returns only when a hook is installed.
void RaiseException(ObjectHeader* exception);

using RaiseHook = void (*)(ObjectHeader* exception);
RaiseHook SetRaiseHook(RaiseHook hook);
