// Making, measuring, redimensioning and disposing of language arrays (RuntimeCreateArray,
// RuntimeArrayCreateAddIndex, RuntimeUBound, RuntimeDispose*Array, RuntimeRedim*ArrayLevel),
// and the element rules the other array entries share.
#include "runtime/objects/array.h"

#include <algorithm>
#include <cstring>

#include "runtime/entries/entries.h"
#include "runtime/exceptions/exceptions.h"
#include "runtime/objects/heap.h"
#include "runtime/objects/objects.h"
#include "runtime/objects/strings.h"
#include "runtime/startup/assertion.h"

namespace arrays {
namespace {

const char kUnit[] = "commonruntime";

bool HoldsReferences(Element element) {
  return element == Element::kString || element == Element::kObject;
}

void RetainElement(Element element, uint32_t word) {
  if (element == Element::kString)
    LockString(reinterpret_cast<StringRecord*>(static_cast<uintptr_t>(word)));
  else if (element == Element::kObject)
    LockObject(reinterpret_cast<ObjectHeader*>(static_cast<uintptr_t>(word)));
}

// Clamp a computed bound into -1 .. INT32_MAX: -1 is an empty dimension.
int32_t ClampBound(int64_t bound) {
  return static_cast<int32_t>(std::clamp<int64_t>(bound, -1, INT32_MAX));
}

void DisposeArray(ArrayRecord* array, Element element) {
  if (array == nullptr) return;
  ClearLevel(array, &array->storage, 0, element);
  TaggedFree(array);
}

// Cuts every level at depth `target` to at most `keep` elements.
void CutLevel(ArrayRecord* array, DynamicArray* level, int32_t depth, int32_t target,
              int32_t keep, Element element) {
  if (depth < target) {
    for (int32_t i = 0; i < level->count; ++i) {
      auto* next = static_cast<DynamicArray*>(DynamicArrayGetPointer(level, i));
      if (next != nullptr) CutLevel(array, next, depth + 1, target, keep, element);
    }
    return;
  }
  if (level->count <= keep) return;
  ReleaseFrom(array, level, depth, keep, element);
  SetDynamicArrayCount(level, keep);
}

void Redim(ArrayRecord* array, int32_t dimension, int32_t upperBound, Element element) {
  if (!CheckArray(array)) return;
  // An array made without dimensions takes its first one here.
  if (array->dimensionCount == 0 && dimension == 0) array->dimensionCount = 1;
  if (dimension < 0 || dimension >= array->dimensionCount) {
    FailedAssertion(4, kUnit, kBadDimensionLine);
    return;
  }
  int32_t bound = ClampBound(upperBound);
  array->upperBounds[dimension] = bound;
  CutLevel(array, &array->storage, 0, dimension, bound + 1, element);
}

}  // namespace

bool CheckArray(const void* array) {
  if (array != nullptr) return true;
  FailedAssertion(4, kUnit, kNilArrayLine);
  return false;
}

int32_t LevelCount(const ArrayRecord* array) {
  return array->dimensionCount > 1 ? array->dimensionCount : 1;
}

void PrepareLevel(DynamicArray* level, Element element) {
  SetDynamicArrayElementSize(level, element == Element::kDouble ? 8 : 4);
}

void ReleaseElement(Element element, uint32_t word) {
  if (element == Element::kString)
    UnlockString(reinterpret_cast<StringRecord*>(static_cast<uintptr_t>(word)));
  else if (element == Element::kObject)
    UnlockObject(reinterpret_cast<ObjectHeader*>(static_cast<uintptr_t>(word)));
}

Value ReadElement(const DynamicArray* level, int32_t index, Element element) {
  Value value;
  if (index >= level->count) return value;
  if (element == Element::kDouble) {
    value.real = DynamicArrayGetDouble(level, index);
  } else {
    value.word = static_cast<uint32_t>(DynamicArrayGetWord(level, index));
    RetainElement(element, value.word);
  }
  return value;
}

void StoreElement(DynamicArray* level, int32_t index, Element element, Value value) {
  if (element == Element::kDouble) {
    DynamicArraySetDouble(level, index, value.real);
    return;
  }
  // Take the new reference before dropping the old: they may be the same record.
  RetainElement(element, value.word);
  uint32_t old = static_cast<uint32_t>(DynamicArrayGetWord(level, index));
  DynamicArraySetWord(level, index, static_cast<int32_t>(value.word));
  ReleaseElement(element, old);
}

void WriteElement(DynamicArray* level, int32_t index, int32_t upperBound, Element element,
                  Value value) {
  if (index >= level->count) {
    int64_t grown = std::min<int64_t>(static_cast<int64_t>(index) + 16,
                                      static_cast<int64_t>(upperBound) + 1);
    SetDynamicArrayCount(level, static_cast<int32_t>(grown));
  }
  StoreElement(level, index, element, value);
}

void ReleaseFrom(const ArrayRecord* array, DynamicArray* level, int32_t depth, int32_t from,
                 Element element) {
  bool last = depth >= LevelCount(array) - 1;
  for (int32_t i = from; i < level->count; ++i) {
    if (!last) {
      auto* next = static_cast<DynamicArray*>(DynamicArrayGetPointer(level, i));
      if (next != nullptr) {
        ClearLevel(array, next, depth + 1, element);
        TaggedFree(next);
      }
    } else if (HoldsReferences(element)) {
      ReleaseElement(element, static_cast<uint32_t>(DynamicArrayGetWord(level, i)));
    }
  }
}

void ClearLevel(const ArrayRecord* array, DynamicArray* level, int32_t depth, Element element) {
  ReleaseFrom(array, level, depth, 0, element);
  ClearDynamicArray(level);
}

void RaiseIndexError() { RaiseOutOfBoundsException(); }

}  // namespace arrays

using arrays::Element;

AMX_ENTRY ArrayRecord* RuntimeCreateArray() noexcept {
  auto* array = static_cast<ArrayRecord*>(TaggedAlloc(sizeof(ArrayRecord)));
  std::memset(array, 0, sizeof(ArrayRecord));
  InitDynamicArray(&array->storage);
  return array;
}

AMX_ENTRY ArrayRecord* RuntimeArrayCreateAddIndex(ArrayRecord* array, int32_t lower,
                                                  int32_t upper) noexcept {
  if (array == nullptr) {
    FailedAssertion(4, arrays::kUnit, arrays::kAddIndexNilLine);
    return nullptr;
  }
  if (array->dimensionCount >= kMaxArrayDimensions) {
    FailedAssertion(4, arrays::kUnit, arrays::kTooManyDimensionsLine);
    return array;
  }
  int64_t bound = static_cast<int64_t>(upper) - lower;
  array->upperBounds[array->dimensionCount++] = arrays::ClampBound(bound);
  return array;
}

AMX_ENTRY int32_t RuntimeUBound(ArrayRecord* array) noexcept {
  if (!arrays::CheckArray(array)) return -1;
  return array->upperBounds[0];
}

AMX_ENTRY void RuntimeDisposeIntArray(ArrayRecord* array) noexcept {
  arrays::DisposeArray(array, Element::kInteger);
}
AMX_ENTRY void RuntimeDisposeStringArray(ArrayRecord* array) noexcept {
  arrays::DisposeArray(array, Element::kString);
}
AMX_ENTRY void RuntimeDisposeObjectArray(ArrayRecord* array) noexcept {
  arrays::DisposeArray(array, Element::kObject);
}

AMX_ENTRY void RuntimeRedimIntArrayLevel(ArrayRecord* array, int32_t dimension,
                                         int32_t upperBound) noexcept {
  arrays::Redim(array, dimension, upperBound, Element::kInteger);
}
AMX_ENTRY void RuntimeRedimStringArrayLevel(ArrayRecord* array, int32_t dimension,
                                            int32_t upperBound) noexcept {
  arrays::Redim(array, dimension, upperBound, Element::kString);
}
AMX_ENTRY void RuntimeRedimObjectArrayLevel(ArrayRecord* array, int32_t dimension,
                                            int32_t upperBound) noexcept {
  arrays::Redim(array, dimension, upperBound, Element::kObject);
}
