// ArrayRecord: an array of the application language. Compiled code reaches it only through
// the typed entry points of runtime/entries/lists/arrays.def (array*.cpp), one per element
// type, because the record does not know its element type. Lower bounds are always 0.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "runtime/objects/arraystorage.h"

constexpr int32_t kMaxArrayDimensions = 20;

// One dimension: storage holds the elements. n dimensions: storage holds pointers to
// DynamicArrays (TaggedAlloc records) of the next dimension, down to the last, which holds
// the elements. Storage is lazy: a level may store fewer than upper bound + 1 elements, and
// the rest read as 0, 0.0 or nil. String and Object elements hold one reference each.
struct ArrayRecord {
  DynamicArray storage;  // the first dimension
  int32_t dimensionCount;
  int32_t upperBounds[kMaxArrayDimensions];  // slot k for dimension k; -1 or more
  int32_t accessDepth;         // indexes given so far in a multi-dimensional access
  DynamicArray* accessCursor;  // the level the next index applies to, or nil
};
static_assert(sizeof(ArrayRecord) == 108);
static_assert(offsetof(ArrayRecord, storage) == 0);
static_assert(offsetof(ArrayRecord, dimensionCount) == 16);
static_assert(offsetof(ArrayRecord, upperBounds) == 20);
static_assert(offsetof(ArrayRecord, accessDepth) == 100);
static_assert(offsetof(ArrayRecord, accessCursor) == 104);

namespace arrays {

enum class Element { kInteger, kSingle, kDouble, kString, kObject };

// One element as the entries pass it: Integer, Single (as float bits), String and Object in
// word; Double in real.
struct Value {
  uint32_t word = 0;
  double real = 0;
};

inline Value Word(uint32_t word) {
  Value v;
  v.word = word;
  return v;
}
inline Value Real(double real) {
  Value v;
  v.real = real;
  return v;
}
// A Single arrives widened to a Double and is narrowed when stored.
inline Value SingleBits(double value) {
  float narrowed = static_cast<float>(value);
  uint32_t bits;
  std::memcpy(&bits, &narrowed, 4);
  return Word(bits);
}
inline double FromSingleBits(const Value& v) {
  float value;
  std::memcpy(&value, &v.word, 4);
  return value;
}
inline uint32_t Pointer(const void* p) {
  return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(p));
}
template <typename T>
T* AsPointer(const Value& v) {
  return reinterpret_cast<T*>(static_cast<uintptr_t>(v.word));
}

// Misuse by compiled code: failed assertion 4 in "commonruntime" at these lines.
constexpr int32_t kAddIndexNilLine = 199;
constexpr int32_t kTooManyDimensionsLine = 200;
constexpr int32_t kNilArrayLine = 210;
constexpr int32_t kBadDimensionLine = 220;

// Nil (an ArrayRecord or a fast boolean array): failed assertion (kNilArrayLine) and false.
bool CheckArray(const void* array);
// Levels of storage: the dimension count, at least 1.
int32_t LevelCount(const ArrayRecord* array);
// The storage of a level, prepared for the element type (8-byte slots for Double).
void PrepareLevel(DynamicArray* level, Element element);

// Element access on one level, with the reference rules of String and Object elements.
Value ReadElement(const DynamicArray* level, int32_t index, Element element);  // + reference
void StoreElement(DynamicArray* level, int32_t index, Element element, Value value);
// index within the dimension's bound; the level's count grows (by up to 16, never past the
// bound) when index lies beyond it.
void WriteElement(DynamicArray* level, int32_t index, int32_t upperBound, Element element,
                  Value value);
void ReleaseElement(Element element, uint32_t word);

// Releases elements from..count-1 of a level at depth (0 = storage): deeper levels are
// freed, String and Object elements at the last level released; the count is the caller's.
void ReleaseFrom(const ArrayRecord* array, DynamicArray* level, int32_t depth, int32_t from,
                 Element element);
// ReleaseFrom the whole level, then empties it. The level's own record is not freed.
void ClearLevel(const ArrayRecord* array, DynamicArray* level, int32_t depth, Element element);

// Language index errors: raises OutOfBoundsException (the caller then returns neutrally).
void RaiseIndexError();

}  // namespace arrays
