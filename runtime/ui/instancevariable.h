// A window's implicit-instance variable: the second word of the slot pair that follows the
// window's description record in data1. Description streams have any length, so the word
// is usually not 4-byte aligned; every read and write of it goes through these two.
#pragma once
#include <cstring>

struct ObjectHeader;

inline ObjectHeader* LoadInstanceVariable(ObjectHeader* const* variable) {
  ObjectHeader* held;
  std::memcpy(&held, static_cast<const void*>(variable), sizeof held);
  return held;
}

inline void StoreInstanceVariable(ObjectHeader** variable, ObjectHeader* value) {
  std::memcpy(static_cast<void*>(variable), &value, sizeof value);
}
