// The built-in exception classes as records, a fresh instance of each, and the helpers that
// raise one. The classes themselves are described in runtime/objects/builtins/exceptions.def.
#include "runtime/exceptions/exceptions.h"

#include "runtime/exceptions/raise.h"
#include "runtime/objects/builtinclasses.h"

ClassRecord* BuiltinExceptionClass(BuiltinException which) {
  switch (which) {
    case BuiltinException::kRuntime:
      return AMX_BUILTIN_CLASS(RuntimeException);
    case BuiltinException::kNilObject:
      return AMX_BUILTIN_CLASS(NilObjectException);
    case BuiltinException::kIllegalCast:
      return AMX_BUILTIN_CLASS(IllegalCastException);
    case BuiltinException::kStackOverflow:
      return AMX_BUILTIN_CLASS(stackOverflowException);
    case BuiltinException::kTypeMismatch:
      return AMX_BUILTIN_CLASS(typeMismatchException);
    case BuiltinException::kOutOfBounds:
      return AMX_BUILTIN_CLASS(OutOfBoundsException);
    case BuiltinException::kEnd:
      return AMX_BUILTIN_CLASS(EndException);
  }
  return nullptr;
}

ObjectHeader* NewBuiltinException(BuiltinException which) {
  ClassRecord* cls = BuiltinExceptionClass(which);
  return cls != nullptr ? MakeObject(cls) : nullptr;
}

namespace {
void RaiseNew(BuiltinException which) { RaiseException(NewBuiltinException(which)); }
}  // namespace

void RaiseRuntimeException() { RaiseNew(BuiltinException::kRuntime); }
void RaiseNilObjectException() { RaiseNew(BuiltinException::kNilObject); }
void RaiseIllegalCastException() { RaiseNew(BuiltinException::kIllegalCast); }
void RaiseStackOverflowException() { RaiseNew(BuiltinException::kStackOverflow); }
void RaiseTypeMismatchException() { RaiseNew(BuiltinException::kTypeMismatch); }
void RaiseOutOfBoundsException() { RaiseNew(BuiltinException::kOutOfBounds); }
void RaiseEndException() { RaiseNew(BuiltinException::kEnd); }
