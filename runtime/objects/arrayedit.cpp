// Growing and shrinking one-dimensional arrays by an element: Runtime*ArrayAppend,
// Runtime*ArrayInsert and Runtime*ArrayRemove. Each keeps the storage lazy: elements that
// were never stored stay unstored, and the bound moves by exactly one.
#include "runtime/entries/entries.h"
#include "runtime/objects/array.h"

namespace arrays {
namespace {

// These entries work on the first dimension; a multi-dimensional array would have its
// sub-array pointers overwritten, so it is refused as an index error.
bool CheckEditable(ArrayRecord* array) {
  if (!CheckArray(array)) return false;
  if (array->dimensionCount > 1) {
    RaiseIndexError();
    return false;
  }
  return true;
}

void Insert(ArrayRecord* array, int32_t index, Element element, Value value) {
  if (!CheckEditable(array)) return;
  int32_t bound = array->upperBounds[0];
  if (index < 0 || index > bound || bound == INT32_MAX) {
    RaiseIndexError();
    return;
  }
  DynamicArray* level = &array->storage;
  PrepareLevel(level, element);
  array->upperBounds[0] = bound + 1;
  if (index >= level->count) {  // nothing stored from index on: nothing moves
    WriteElement(level, index, bound + 1, element, value);
    return;
  }
  if (element == Element::kDouble) {
    DynamicArrayInsertDouble(level, index, value.real);
    return;
  }
  DynamicArrayInsertWord(level, index, 0);
  StoreElement(level, index, element, value);
}

void Append(ArrayRecord* array, Element element, Value value) {
  if (!CheckEditable(array)) return;
  int32_t bound = array->upperBounds[0];
  if (bound == INT32_MAX) {
    RaiseIndexError();
    return;
  }
  PrepareLevel(&array->storage, element);
  array->upperBounds[0] = bound + 1;
  WriteElement(&array->storage, bound + 1, bound + 1, element, value);
}

void Remove(ArrayRecord* array, int32_t index, Element element) {
  if (!CheckEditable(array)) return;
  int32_t bound = array->upperBounds[0];
  if (index < 0 || index > bound) {
    RaiseIndexError();
    return;
  }
  DynamicArray* level = &array->storage;
  if (index < level->count) {
    if (element == Element::kString || element == Element::kObject)
      ReleaseElement(element, static_cast<uint32_t>(DynamicArrayGetWord(level, index)));
    DynamicArrayRemove(level, index);
  }
  array->upperBounds[0] = bound - 1;
}

}  // namespace
}  // namespace arrays

using namespace arrays;

AMX_ENTRY void RuntimeIntArrayAppend(ArrayRecord* array, int32_t value) noexcept {
  Append(array, Element::kInteger, Word(static_cast<uint32_t>(value)));
}
AMX_ENTRY void RuntimeStringArrayAppend(ArrayRecord* array, StringRecord* value) noexcept {
  Append(array, Element::kString, Word(Pointer(value)));
}
AMX_ENTRY void RuntimeObjectArrayAppend(ArrayRecord* array, ObjectHeader* value) noexcept {
  Append(array, Element::kObject, Word(Pointer(value)));
}
AMX_ENTRY void RuntimeSingleArrayAppend(ArrayRecord* array, double value) noexcept {
  Append(array, Element::kSingle, SingleBits(value));
}
AMX_ENTRY void RuntimeDoubleArrayAppend(ArrayRecord* array, double value) noexcept {
  Append(array, Element::kDouble, Real(value));
}

AMX_ENTRY void RuntimeIntArrayInsert(ArrayRecord* array, int32_t i, int32_t value) noexcept {
  Insert(array, i, Element::kInteger, Word(static_cast<uint32_t>(value)));
}
AMX_ENTRY void RuntimeStringArrayInsert(ArrayRecord* array, int32_t i,
                                        StringRecord* value) noexcept {
  Insert(array, i, Element::kString, Word(Pointer(value)));
}
AMX_ENTRY void RuntimeObjectArrayInsert(ArrayRecord* array, int32_t i,
                                        ObjectHeader* value) noexcept {
  Insert(array, i, Element::kObject, Word(Pointer(value)));
}
AMX_ENTRY void RuntimeSingleArrayInsert(ArrayRecord* array, int32_t i, double value) noexcept {
  Insert(array, i, Element::kSingle, SingleBits(value));
}
AMX_ENTRY void RuntimeDoubleArrayInsert(ArrayRecord* array, int32_t i, double value) noexcept {
  Insert(array, i, Element::kDouble, Real(value));
}

AMX_ENTRY void RuntimeIntArrayRemove(ArrayRecord* array, int32_t i) noexcept {
  Remove(array, i, Element::kInteger);
}
AMX_ENTRY void RuntimeStringArrayRemove(ArrayRecord* array, int32_t i) noexcept {
  Remove(array, i, Element::kString);
}
AMX_ENTRY void RuntimeObjectArrayRemove(ArrayRecord* array, int32_t i) noexcept {
  Remove(array, i, Element::kObject);
}
