// Fast boolean arrays: one MemoryHandle whose buffer holds a signed 32-bit element count
// (upper bound + 1) followed by one byte per element. RuntimeCreateFastBooleanArray makes
// one; the other RuntimeFast*/RuntimeRedimFastBoolArray/RuntimeDisposeFastBooleanArray
// entries read, write, resize and free it.
#include <cstring>

#include "runtime/entries/entries.h"
#include "runtime/objects/array.h"

namespace {

constexpr int32_t kHeaderBytes = 4;

int32_t Count(const MemoryHandle* array) {
  int32_t count;
  std::memcpy(&count, array->buffer, 4);
  return count;
}

uint8_t* Bytes(MemoryHandle* array) { return array->buffer + kHeaderBytes; }

// Counts stay within 0 .. INT32_MAX - 4 so that the buffer size never wraps.
int32_t CountFor(int64_t count) {
  if (count < 0) return 0;
  if (count > INT32_MAX - kHeaderBytes) return INT32_MAX - kHeaderBytes;
  return static_cast<int32_t>(count);
}

void Resize(MemoryHandle* array, int32_t count) {
  ResizeMemoryHandle(array, count + kHeaderBytes);
  std::memcpy(array->buffer, &count, 4);
}

bool Check(const MemoryHandle* array) { return arrays::CheckArray(array); }

bool CheckIndex(const MemoryHandle* array, int32_t index, int32_t limit) {
  if (!Check(array)) return false;
  if (index < 0 || index >= limit) {
    arrays::RaiseIndexError();
    return false;
  }
  return true;
}

}  // namespace

AMX_ENTRY MemoryHandle* RuntimeCreateFastBooleanArray(int32_t upperBound) noexcept {
  int32_t count = CountFor(static_cast<int64_t>(upperBound) + 1);
  MemoryHandle* array = NewMemoryHandle(count + kHeaderBytes);
  std::memcpy(array->buffer, &count, 4);
  return array;
}

AMX_ENTRY int32_t RuntimeFastArrayUBound(MemoryHandle* array) noexcept {
  if (!Check(array)) return -1;
  return Count(array) - 1;
}

AMX_ENTRY ImageBool RuntimeFastReadBoolArray(MemoryHandle* array, int32_t i) noexcept {
  if (!CheckIndex(array, i, array ? Count(array) : 0)) return 0;
  return Bytes(array)[i];
}

AMX_ENTRY void RuntimeFastWriteBoolArray(MemoryHandle* array, int32_t i,
                                         ImageBool value) noexcept {
  if (!CheckIndex(array, i, array ? Count(array) : 0)) return;
  Bytes(array)[i] = value;
}

AMX_ENTRY void RuntimeRedimFastBoolArray(MemoryHandle* array, int32_t upperBound) noexcept {
  if (!Check(array)) return;
  Resize(array, CountFor(static_cast<int64_t>(upperBound) + 1));
}

AMX_ENTRY void RuntimeFastBooleanArrayInsert(MemoryHandle* array, int32_t i,
                                             ImageBool value) noexcept {
  // i may equal the count: that appends.
  if (!CheckIndex(array, i, array ? Count(array) + 1 : 0)) return;
  int32_t count = Count(array);
  if (count == CountFor(static_cast<int64_t>(count) + 1)) {
    arrays::RaiseIndexError();  // the array cannot grow any further
    return;
  }
  Resize(array, count + 1);
  uint8_t* bytes = Bytes(array);
  std::memmove(bytes + i + 1, bytes + i, static_cast<size_t>(count - i));
  bytes[i] = value;
}

AMX_ENTRY void RuntimeFastBooleanArrayAppend(MemoryHandle* array, ImageBool value) noexcept {
  if (!Check(array)) return;
  RuntimeFastBooleanArrayInsert(array, Count(array), value);
}

AMX_ENTRY void RuntimeFastBooleanArrayRemove(MemoryHandle* array, int32_t i) noexcept {
  if (!CheckIndex(array, i, array ? Count(array) : 0)) return;
  int32_t count = Count(array);
  uint8_t* bytes = Bytes(array);
  std::memmove(bytes + i, bytes + i + 1, static_cast<size_t>(count - i - 1));
  Resize(array, count - 1);
}

AMX_ENTRY void RuntimeDisposeFastBooleanArray(MemoryHandle* array) noexcept {
  FreeMemoryHandle(array);
}
