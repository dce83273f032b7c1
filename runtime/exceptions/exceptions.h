// The built-in exception classes and one helper per class that creates a fresh instance and
// raises it. Runtime code calls these where the language raises an error: a nil use, an
// index out of range, a failed cast, a type mismatch, a stack overflow, the end of the run.
#pragma once
#include <cstdint>

struct ObjectHeader;
struct ClassRecord;

// Each helper raises through RaiseException (runtime/exceptions/raise.h). A caught exception
// never returns here (the walk resumes in the image's handler); the helpers do return when a
// test hook is installed, or for an EndException nobody catches, so callers must carry on
// safely afterwards (return a neutral value, leave state unchanged).
void RaiseRuntimeException();
void RaiseNilObjectException();
void RaiseIllegalCastException();
void RaiseStackOverflowException();
void RaiseTypeMismatchException();
void RaiseOutOfBoundsException();
void RaiseEndException();

// Which built-in exception class; the order is the registration order of the classes.
enum class BuiltinException : int32_t {
  kRuntime,
  kNilObject,
  kIllegalCast,
  kStackOverflow,
  kTypeMismatch,
  kOutOfBounds,
  kEnd,
};

// The class record of a built-in exception class once the built-in classes are registered;
// nil before that.
ClassRecord* BuiltinExceptionClass(BuiltinException which);
// A new instance (reference count 1) of a built-in exception class; nil before registration.
ObjectHeader* NewBuiltinException(BuiltinException which);
