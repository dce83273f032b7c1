// The runtime's generic growable storage: MemoryHandle (a resizable buffer from the general
// heap) and DynamicArray (elements of 4 or 8 bytes with a count and a capacity). Language
// arrays (array.h) are built on them, and so are the runtime's own lists (windows,
// controls, menu items). A bad index is failed assertion 4 ("array", line below); reads
// then give 0 and changes do nothing. Exhaustion of the general heap is fatal.
#pragma once
#include <cstddef>
#include <cstdint>

// A buffer and its size in bytes. The handle itself is 8 bytes of the small-block heap.
struct MemoryHandle {
  uint8_t* buffer;  // general heap; nil while size is 0
  int32_t size;
};
static_assert(sizeof(MemoryHandle) == 8);
static_assert(offsetof(MemoryHandle, buffer) == 0);
static_assert(offsetof(MemoryHandle, size) == 4);

// New handle with a zero-filled buffer of size bytes (size <= 0: no buffer).
MemoryHandle* NewMemoryHandle(int32_t size);
// Resizing keeps the first min(old, new) bytes and zero-fills the rest; the same size
// leaves the buffer alone.
void ResizeMemoryHandle(MemoryHandle* handle, int32_t size);
void FreeMemoryHandle(MemoryHandle* handle);  // nil allowed

// Invariant: storage is nil or holds capacity * elementSize bytes, 0 <= count <= capacity,
// and the slots from count to capacity are zero (so growing the count zero-fills).
struct DynamicArray {
  MemoryHandle* storage;  // nil until the first element
  int32_t count;
  int32_t capacity;
  int32_t elementSize;  // 4 when made; 8 for Double elements
};
static_assert(sizeof(DynamicArray) == 16);
static_assert(offsetof(DynamicArray, storage) == 0);
static_assert(offsetof(DynamicArray, count) == 4);
static_assert(offsetof(DynamicArray, capacity) == 8);
static_assert(offsetof(DynamicArray, elementSize) == 12);

constexpr int32_t kDynamicArrayGrowth = 16;  // elements added when an insert finds it full

void InitDynamicArray(DynamicArray* array);  // empty, element size 4
DynamicArray* NewDynamicArray();             // a TaggedAlloc record, initialised
void ClearDynamicArray(DynamicArray* array);  // frees the elements' storage; keeps the record
void FreeDynamicArray(DynamicArray* array);   // ClearDynamicArray, then the TaggedAlloc record

// 8 for Double storage, 4 otherwise. Changing the size of an array that has storage keeps
// its count and zero-fills it: elements are never reinterpreted in another width.
void SetDynamicArrayElementSize(DynamicArray* array, int32_t elementSize);
// Exactly n elements (n < 0 counts as 0); new elements are zero; capacity becomes n.
void SetDynamicArrayCount(DynamicArray* array, int32_t n);

// Elements by 0-based index, 0 <= index < count.
int32_t DynamicArrayGetWord(const DynamicArray* array, int32_t index);
double DynamicArrayGetDouble(const DynamicArray* array, int32_t index);
void DynamicArraySetWord(DynamicArray* array, int32_t index, int32_t value);
void DynamicArraySetDouble(DynamicArray* array, int32_t index, double value);
// Insert at 0 <= index <= count; later elements move up.
void DynamicArrayInsertWord(DynamicArray* array, int32_t index, int32_t value);
void DynamicArrayInsertDouble(DynamicArray* array, int32_t index, double value);
void DynamicArrayAppendWord(DynamicArray* array, int32_t value);
void DynamicArrayAppendDouble(DynamicArray* array, double value);
// Remove at 0 <= index < count; later elements move down.
void DynamicArrayRemove(DynamicArray* array, int32_t index);

// Pointer elements for the runtime's own lists (pointers are 32-bit words here).
inline void* DynamicArrayGetPointer(const DynamicArray* array, int32_t index) {
  return reinterpret_cast<void*>(static_cast<uintptr_t>(
      static_cast<uint32_t>(DynamicArrayGetWord(array, index))));
}
inline void DynamicArrayAppendPointer(DynamicArray* array, void* value) {
  DynamicArrayAppendWord(array, static_cast<int32_t>(reinterpret_cast<uintptr_t>(value)));
}
