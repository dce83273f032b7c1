// RaiseException: the one way the runtime raises a language exception object. It walks the
// frames of compiled code (runtime/exceptions/framewalk.h) and resumes in the first catch
// clause that takes the exception; nobody catching it is reported (unhandled.h). Tests may
// install a hook that sees the exception first and returns instead of unwinding.
#pragma once

struct ObjectHeader;

// Takes over the caller's reference to exception (nil raises a NilObjectException). Returns
// only when a hook is installed or when an EndException is not caught; a caught exception
// continues in the image's handler and never comes back.
void RaiseException(ObjectHeader* exception);

using RaiseHook = void (*)(ObjectHeader* exception);
RaiseHook SetRaiseHook(RaiseHook hook);
