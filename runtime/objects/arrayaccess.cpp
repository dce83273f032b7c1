// Element access: the one-dimensional RuntimeDirectRead*/RuntimeDirectWrite* entries and the
// multi-dimensional protocol (RuntimeArrayStart*Access, RuntimeArrayAdd*Index, then
// RuntimeRead*/RuntimeWrite* with the last index). Every index is checked against its
// dimension's bound; an index error raises OutOfBoundsException and changes nothing.
#include "runtime/entries/entries.h"
#include "runtime/objects/array.h"
#include "runtime/objects/strings.h"

namespace arrays {
namespace {

bool InBound(int32_t index, int32_t upperBound) { return index >= 0 && index <= upperBound; }

// One-dimensional access needs a one-dimensional array. Arrays made without a dimension are
// let through for Integer elements, reading slot 0 of the bounds as the original does.
bool CheckDirect(ArrayRecord* array, Element element, int32_t index) {
  if (!CheckArray(array)) return false;
  bool shapeOk = element == Element::kInteger ? array->dimensionCount <= 1
                                              : array->dimensionCount == 1;
  if (!shapeOk || !InBound(index, array->upperBounds[0])) {
    RaiseIndexError();
    return false;
  }
  return true;
}

Value DirectRead(ArrayRecord* array, int32_t index, Element element) {
  if (!CheckDirect(array, element, index)) return Value();
  PrepareLevel(&array->storage, element);
  return ReadElement(&array->storage, index, element);
}

void DirectWrite(ArrayRecord* array, int32_t index, Element element, Value value) {
  if (!CheckDirect(array, element, index)) return;
  PrepareLevel(&array->storage, element);
  WriteElement(&array->storage, index, array->upperBounds[0], element, value);
}

DynamicArray* SubArray(DynamicArray* level, int32_t index) {
  if (index >= level->count) return nullptr;
  return static_cast<DynamicArray*>(DynamicArrayGetPointer(level, index));
}

// The sub-array at index of a pointer level, made (and the level extended) when missing.
DynamicArray* MakeSubArray(DynamicArray* level, int32_t index) {
  if (index >= level->count) SetDynamicArrayCount(level, index + 1);
  DynamicArray* next = SubArray(level, index);
  if (next == nullptr) {
    next = NewDynamicArray();
    DynamicArraySetWord(level, index, static_cast<int32_t>(reinterpret_cast<uintptr_t>(next)));
  }
  return next;
}

void ResetAccess(ArrayRecord* array) {
  array->accessDepth = 0;
  array->accessCursor = nullptr;
}

void StartAccess(ArrayRecord* array, int32_t index, bool write) {
  if (!CheckArray(array)) return;
  ResetAccess(array);
  if (array->dimensionCount < 2 || !InBound(index, array->upperBounds[0])) {
    RaiseIndexError();
    return;
  }
  array->accessDepth = 1;
  array->accessCursor = write ? MakeSubArray(&array->storage, index)
                              : SubArray(&array->storage, index);
}

// A middle index is checked whether or not the level below it is stored: an index beyond
// its bound is an error even where nothing has been written yet.
void AddIndex(ArrayRecord* array, int32_t index, bool write) {
  if (!CheckArray(array)) return;
  int32_t depth = array->accessDepth;
  if (depth < 1 || depth >= array->dimensionCount - 1 ||
      !InBound(index, array->upperBounds[depth])) {
    RaiseIndexError();
    return;
  }
  if (array->accessCursor != nullptr)
    array->accessCursor = write ? MakeSubArray(array->accessCursor, index)
                                : SubArray(array->accessCursor, index);
  array->accessDepth = depth + 1;
}

// The last index: the access must have reached the last dimension.
bool CheckLast(ArrayRecord* array, int32_t index) {
  if (!CheckArray(array)) return false;
  int32_t depth = array->accessDepth;
  if (depth < 1 || depth != array->dimensionCount - 1 ||
      !InBound(index, array->upperBounds[depth])) {
    RaiseIndexError();
    return false;
  }
  return true;
}

Value LastRead(ArrayRecord* array, int32_t index, Element element) {
  if (!CheckLast(array, index)) return Value();
  DynamicArray* level = array->accessCursor;
  ResetAccess(array);
  if (level == nullptr) return Value();
  PrepareLevel(level, element);
  return ReadElement(level, index, element);
}

void LastWrite(ArrayRecord* array, int32_t index, Element element, Value value) {
  if (!CheckLast(array, index)) return;
  DynamicArray* level = array->accessCursor;
  int32_t bound = array->upperBounds[array->accessDepth];
  ResetAccess(array);
  if (level == nullptr) return;
  PrepareLevel(level, element);
  WriteElement(level, index, bound, element, value);
}

}  // namespace
}  // namespace arrays

using namespace arrays;

// ---- One dimension ----------------------------------------------------------------------

AMX_ENTRY int32_t RuntimeDirectReadIntArray(ArrayRecord* array, int32_t i) noexcept {
  return static_cast<int32_t>(DirectRead(array, i, Element::kInteger).word);
}
AMX_ENTRY double RuntimeDirectReadSingleArray(ArrayRecord* array, int32_t i) noexcept {
  return FromSingleBits(DirectRead(array, i, Element::kSingle));
}
AMX_ENTRY double RuntimeDirectReadDoubleArray(ArrayRecord* array, int32_t i) noexcept {
  return DirectRead(array, i, Element::kDouble).real;
}
AMX_ENTRY StringRecord* RuntimeDirectReadStringArray(ArrayRecord* array, int32_t i) noexcept {
  return AsPointer<StringRecord>(DirectRead(array, i, Element::kString));
}
AMX_ENTRY ObjectHeader* RuntimeDirectReadObjectArray(ArrayRecord* array, int32_t i) noexcept {
  return AsPointer<ObjectHeader>(DirectRead(array, i, Element::kObject));
}

AMX_ENTRY void RuntimeDirectWriteIntArray(ArrayRecord* array, int32_t i, int32_t value) noexcept {
  DirectWrite(array, i, Element::kInteger, Word(static_cast<uint32_t>(value)));
}
AMX_ENTRY void RuntimeDirectWriteSingleArray(ArrayRecord* array, int32_t i,
                                             double value) noexcept {
  DirectWrite(array, i, Element::kSingle, SingleBits(value));
}
AMX_ENTRY void RuntimeDirectWriteDoubleArray(ArrayRecord* array, int32_t i,
                                             double value) noexcept {
  DirectWrite(array, i, Element::kDouble, Real(value));
}
AMX_ENTRY void RuntimeDirectWriteStringArray(ArrayRecord* array, int32_t i,
                                             StringRecord* value) noexcept {
  DirectWrite(array, i, Element::kString, Word(Pointer(value)));
}
AMX_ENTRY void RuntimeDirectWriteObjectArray(ArrayRecord* array, int32_t i,
                                             ObjectHeader* value) noexcept {
  DirectWrite(array, i, Element::kObject, Word(Pointer(value)));
}

// ---- Several dimensions -----------------------------------------------------------------

AMX_ENTRY void RuntimeArrayStartReadAccess(ArrayRecord* array, int32_t i) noexcept {
  StartAccess(array, i, false);
}
AMX_ENTRY void RuntimeArrayStartWriteAccess(ArrayRecord* array, int32_t i) noexcept {
  StartAccess(array, i, true);
}
AMX_ENTRY void RuntimeArrayAddReadIndex(ArrayRecord* array, int32_t i) noexcept {
  AddIndex(array, i, false);
}
AMX_ENTRY void RuntimeArrayAddWriteIndex(ArrayRecord* array, int32_t i) noexcept {
  AddIndex(array, i, true);
}

AMX_ENTRY int32_t RuntimeReadIntArray(ArrayRecord* array, int32_t i) noexcept {
  return static_cast<int32_t>(LastRead(array, i, Element::kInteger).word);
}
AMX_ENTRY double RuntimeReadSingleArray(ArrayRecord* array, int32_t i) noexcept {
  return FromSingleBits(LastRead(array, i, Element::kSingle));
}
AMX_ENTRY double RuntimeReadDoubleArray(ArrayRecord* array, int32_t i) noexcept {
  return LastRead(array, i, Element::kDouble).real;
}
AMX_ENTRY StringRecord* RuntimeReadStringArray(ArrayRecord* array, int32_t i) noexcept {
  return AsPointer<StringRecord>(LastRead(array, i, Element::kString));
}
AMX_ENTRY ObjectHeader* RuntimeReadObjectArray(ArrayRecord* array, int32_t i) noexcept {
  return AsPointer<ObjectHeader>(LastRead(array, i, Element::kObject));
}

AMX_ENTRY void RuntimeWriteIntArray(ArrayRecord* array, int32_t i, int32_t value) noexcept {
  LastWrite(array, i, Element::kInteger, Word(static_cast<uint32_t>(value)));
}
AMX_ENTRY void RuntimeWriteSingleArray(ArrayRecord* array, int32_t i, double value) noexcept {
  LastWrite(array, i, Element::kSingle, SingleBits(value));
}
AMX_ENTRY void RuntimeWriteDoubleArray(ArrayRecord* array, int32_t i, double value) noexcept {
  LastWrite(array, i, Element::kDouble, Real(value));
}
AMX_ENTRY void RuntimeWriteStringArray(ArrayRecord* array, int32_t i,
                                       StringRecord* value) noexcept {
  LastWrite(array, i, Element::kString, Word(Pointer(value)));
}
AMX_ENTRY void RuntimeWriteObjectArray(ArrayRecord* array, int32_t i,
                                       ObjectHeader* value) noexcept {
  LastWrite(array, i, Element::kObject, Word(Pointer(value)));
}
