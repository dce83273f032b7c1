// MemoryHandle and DynamicArray. Byte sizes are computed in 64 bits: a size that does not
// fit the 32-bit heap is treated like an exhausted heap (fatal), never wrapped.
#include "runtime/objects/arraystorage.h"

#include <cstdlib>
#include <cstring>

#include "runtime/objects/heap.h"
#include "runtime/startup/assertion.h"
#include "runtime/startup/fatal.h"

namespace {

const char kUnit[] = "array";
constexpr int32_t kGetWordLine = 68;
constexpr int32_t kGetDoubleLine = 82;
constexpr int32_t kSetWordLine = 95;
constexpr int32_t kSetDoubleLine = 107;
constexpr int32_t kInsertWordLine = 132;
constexpr int32_t kInsertDoubleLine = 157;
constexpr int32_t kRemoveLine = 168;

int32_t ByteSize(int32_t elements, int32_t elementSize) {
  int64_t bytes = static_cast<int64_t>(elements) * elementSize;
  if (bytes > INT32_MAX) FatalOutOfMemory();
  return static_cast<int32_t>(bytes);
}

bool IndexIn(const DynamicArray* array, int32_t index, int32_t limit, int32_t line) {
  if (array != nullptr && index >= 0 && index < limit) return true;
  FailedAssertion(4, kUnit, line);
  return false;
}

uint8_t* ElementAt(const DynamicArray* array, int32_t index) {
  return array->storage->buffer + static_cast<size_t>(index) * array->elementSize;
}

// Room for one more element: capacity grows by kDynamicArrayGrowth when full.
void Reserve(DynamicArray* array, int32_t needed) {
  if (needed <= array->capacity) return;
  int64_t grown = static_cast<int64_t>(array->capacity) + kDynamicArrayGrowth;
  if (grown > INT32_MAX) FatalOutOfMemory();
  int32_t capacity = static_cast<int32_t>(grown);
  int32_t bytes = ByteSize(capacity, array->elementSize);
  if (array->storage == nullptr)
    array->storage = NewMemoryHandle(bytes);
  else
    ResizeMemoryHandle(array->storage, bytes);
  array->capacity = capacity;
}

// Opens a gap at index (0 <= index <= count) and returns it.
uint8_t* OpenGap(DynamicArray* array, int32_t index) {
  Reserve(array, array->count + 1);
  uint8_t* at = ElementAt(array, index);
  std::memmove(at + array->elementSize, at,
               static_cast<size_t>(array->count - index) * array->elementSize);
  ++array->count;
  return at;
}

}  // namespace

MemoryHandle* NewMemoryHandle(int32_t size) {
  auto* handle = static_cast<MemoryHandle*>(HeapAlloc(sizeof(MemoryHandle)));
  handle->buffer = nullptr;
  handle->size = 0;
  ResizeMemoryHandle(handle, size);
  return handle;
}

void ResizeMemoryHandle(MemoryHandle* handle, int32_t size) {
  if (size < 0) size = 0;
  if (size == handle->size) return;
  if (size == 0) {
    std::free(handle->buffer);
    handle->buffer = nullptr;
    handle->size = 0;
    return;
  }
  // realloc keeps min(old, new) bytes like a fresh buffer and a copy would, but can grow
  // in place (large buffers are remapped, not copied), so growing an array element by
  // element stays linear.
  auto* buffer = static_cast<uint8_t*>(std::realloc(handle->buffer, static_cast<size_t>(size)));
  if (buffer == nullptr) FatalOutOfMemory();
  if (size > handle->size)
    std::memset(buffer + handle->size, 0, static_cast<size_t>(size - handle->size));
  handle->buffer = buffer;
  handle->size = size;
}

void FreeMemoryHandle(MemoryHandle* handle) {
  if (handle == nullptr) return;
  std::free(handle->buffer);
  HeapFree(handle, sizeof(MemoryHandle));
}

void InitDynamicArray(DynamicArray* array) {
  array->storage = nullptr;
  array->count = 0;
  array->capacity = 0;
  array->elementSize = 4;
}

DynamicArray* NewDynamicArray() {
  auto* array = static_cast<DynamicArray*>(TaggedAlloc(sizeof(DynamicArray)));
  InitDynamicArray(array);
  return array;
}

void ClearDynamicArray(DynamicArray* array) {
  FreeMemoryHandle(array->storage);
  array->storage = nullptr;
  array->count = 0;
  array->capacity = 0;
}

void FreeDynamicArray(DynamicArray* array) {
  if (array == nullptr) return;
  ClearDynamicArray(array);
  TaggedFree(array);
}

void SetDynamicArrayElementSize(DynamicArray* array, int32_t elementSize) {
  if (array->elementSize == elementSize) return;
  int32_t count = array->count;
  ClearDynamicArray(array);
  array->elementSize = elementSize;
  SetDynamicArrayCount(array, count);
}

void SetDynamicArrayCount(DynamicArray* array, int32_t n) {
  if (n < 0) n = 0;
  int32_t bytes = ByteSize(n, array->elementSize);
  if (array->storage == nullptr) {
    if (n > 0) array->storage = NewMemoryHandle(bytes);
  } else {
    ResizeMemoryHandle(array->storage, bytes);  // slots past count are already zero
  }
  array->count = n;
  array->capacity = n;
}

int32_t DynamicArrayGetWord(const DynamicArray* array, int32_t index) {
  if (!IndexIn(array, index, array ? array->count : 0, kGetWordLine)) return 0;
  int32_t value;
  std::memcpy(&value, ElementAt(array, index), 4);
  return value;
}

double DynamicArrayGetDouble(const DynamicArray* array, int32_t index) {
  if (!IndexIn(array, index, array ? array->count : 0, kGetDoubleLine) ||
      array->elementSize != 8) return 0;
  double value;
  std::memcpy(&value, ElementAt(array, index), 8);
  return value;
}

void DynamicArraySetWord(DynamicArray* array, int32_t index, int32_t value) {
  if (!IndexIn(array, index, array ? array->count : 0, kSetWordLine)) return;
  std::memcpy(ElementAt(array, index), &value, 4);
}

void DynamicArraySetDouble(DynamicArray* array, int32_t index, double value) {
  if (!IndexIn(array, index, array ? array->count : 0, kSetDoubleLine) ||
      array->elementSize != 8) return;
  std::memcpy(ElementAt(array, index), &value, 8);
}

void DynamicArrayInsertWord(DynamicArray* array, int32_t index, int32_t value) {
  if (!IndexIn(array, index, array ? array->count + 1 : 0, kInsertWordLine)) return;
  std::memcpy(OpenGap(array, index), &value, 4);
}

void DynamicArrayInsertDouble(DynamicArray* array, int32_t index, double value) {
  if (!IndexIn(array, index, array ? array->count + 1 : 0, kInsertDoubleLine) ||
      array->elementSize != 8) return;
  std::memcpy(OpenGap(array, index), &value, 8);
}

void DynamicArrayAppendWord(DynamicArray* array, int32_t value) {
  DynamicArrayInsertWord(array, array ? array->count : 0, value);
}

void DynamicArrayAppendDouble(DynamicArray* array, double value) {
  DynamicArrayInsertDouble(array, array ? array->count : 0, value);
}

void DynamicArrayRemove(DynamicArray* array, int32_t index) {
  if (!IndexIn(array, index, array ? array->count : 0, kRemoveLine)) return;
  uint8_t* at = ElementAt(array, index);
  size_t tail = static_cast<size_t>(array->count - index - 1) * array->elementSize;
  std::memmove(at, at + array->elementSize, tail);
  std::memset(at + tail, 0, static_cast<size_t>(array->elementSize));
  --array->count;
}
