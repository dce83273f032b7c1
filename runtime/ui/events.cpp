// Raising built-in events: FindEventHandler gives the image's (or the runtime's own)
// handler, CallImage calls it with the receiver first. Entry points: HasEventHandler,
// RaiseEvent, RaiseBoolEvent.
#include "runtime/ui/events.h"

#include "runtime/exceptions/imagecall.h"
#include "runtime/objects/objects.h"

namespace {

constexpr int32_t kMaxEventArguments = 8;

// Calls the handler with the receiver and the arguments; false (and *result untouched) when
// there is none.
bool CallHandler(ObjectHeader* receiver, EventDeclaration* declaration, int32_t argc,
                 const uint32_t* args, uint32_t* result) {
  if (receiver == nullptr || declaration == nullptr) return false;
  CodeAddress handler = FindEventHandler(receiver, declaration);
  if (handler == nullptr) return false;
  uint32_t words[kMaxEventArguments + 1] = {};
  words[0] = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(receiver));
  if (argc < 0) argc = 0;
  if (argc > kMaxEventArguments) argc = kMaxEventArguments;
  for (int32_t i = 0; i < argc; ++i) words[i + 1] = args[i];
  // The receiver stays alive for the whole call even when the handler closes its window.
  LockObject(receiver);
  *result = CallImage(handler, argc + 1, words);
  UnlockObject(receiver);
  return true;
}

}  // namespace

bool HasEventHandler(ObjectHeader* receiver, EventDeclaration* declaration) {
  return receiver != nullptr && declaration != nullptr &&
         FindEventHandler(receiver, declaration) != nullptr;
}

bool RaiseEvent(ObjectHeader* receiver, EventDeclaration* declaration, int32_t argc,
                const uint32_t* args) {
  uint32_t result = 0;
  return CallHandler(receiver, declaration, argc, args, &result);
}

bool RaiseBoolEvent(ObjectHeader* receiver, EventDeclaration* declaration, int32_t argc,
                    const uint32_t* args) {
  uint32_t result = 0;
  if (!CallHandler(receiver, declaration, argc, args, &result)) return false;
  return (result & 0xFF) != 0;  // only the low byte carries a Boolean
}
