// Runtime{Int,String,Single,Double}ArraySort: ascending, in place, without recursion. The
// storage is first made exactly upper bound + 1 elements (unstored elements sort as 0, 0.0
// or ""). Partitions of more than five elements are split around their middle element;
// shorter ones are finished by selection sort. Equal elements may change order.
#include <cstring>
#include <utility>

#include "runtime/entries/entries.h"
#include "runtime/objects/array.h"

namespace arrays {
namespace {

constexpr int32_t kSelectionLimit = 4;  // end - start <= 4: five elements or fewer

// Pending ranges. Only the larger part of each split is pushed while the smaller is sorted
// at once, so the stack never holds more than log2(2^31) ranges.
struct RangeStack {
  struct Range {
    int32_t start, end;
  };
  Range ranges[40];
  int32_t size = 0;
  void Push(int32_t start, int32_t end) { ranges[size++] = {start, end}; }
  bool Pop(int32_t& start, int32_t& end) {
    if (size == 0) return false;
    --size;
    start = ranges[size].start;
    end = ranges[size].end;
    return true;
  }
};

// Order: Less(a, b) for the pivot test of strings, NotGreater(a, b) for the others.
template <typename T, typename Compare>
void SelectionSort(T* a, int32_t start, int32_t end, Compare compare) {
  for (int32_t last = end; last > start; --last) {
    int32_t largest = start;
    for (int32_t i = start + 1; i <= last; ++i)
      if (compare(a[largest], a[i]) < 0) largest = i;
    std::swap(a[largest], a[last]);
  }
}

// compare(x, y) < 0, == 0, > 0. strictLeft: only elements less than the pivot go left
// (strings); otherwise every element not greater than the pivot does.
template <typename T, typename Compare>
int32_t Partition(T* a, int32_t start, int32_t end, Compare compare, bool strictLeft) {
  std::swap(a[start], a[start + (end - start) / 2]);
  int32_t last = start;
  for (int32_t i = start + 1; i <= end; ++i) {
    int c = compare(a[i], a[start]);
    if (strictLeft ? c < 0 : c <= 0) std::swap(a[++last], a[i]);
  }
  std::swap(a[start], a[last]);
  return last;
}

template <typename T, typename Compare>
void QuickSort(T* a, int32_t count, Compare compare, bool strictLeft) {
  RangeStack pending;
  int32_t start = 0, end = count - 1;
  for (;;) {
    while (end - start > kSelectionLimit) {
      int32_t pivot = Partition(a, start, end, compare, strictLeft);
      if (pivot - start < end - pivot) {
        pending.Push(pivot + 1, end);
        end = pivot - 1;
      } else {
        pending.Push(start, pivot - 1);
        start = pivot + 1;
      }
    }
    if (end > start) SelectionSort(a, start, end, compare);
    if (!pending.Pop(start, end)) return;
  }
}

// NaN compares as neither less nor greater, like the language's own comparisons.
template <typename T>
int CompareNumbers(T x, T y) {
  return x < y ? -1 : (x > y ? 1 : 0);
}

int CompareStrings(StringRecord* x, StringRecord* y) { return StringStrCompare(x, y, 1); }

template <typename T>
T* Elements(DynamicArray* level) {
  return level->storage == nullptr ? nullptr : reinterpret_cast<T*>(level->storage->buffer);
}

void Sort(ArrayRecord* array, Element element) {
  if (!CheckArray(array)) return;
  if (array->dimensionCount > 1) {
    RaiseIndexError();
    return;
  }
  DynamicArray* level = &array->storage;
  PrepareLevel(level, element);
  SetDynamicArrayCount(level, array->upperBounds[0] + 1);
  int32_t n = level->count;
  if (n < 2) return;
  switch (element) {
    case Element::kInteger:
      QuickSort(Elements<int32_t>(level), n, CompareNumbers<int32_t>, false);
      break;
    case Element::kSingle:
      QuickSort(Elements<float>(level), n, CompareNumbers<float>, false);
      break;
    case Element::kDouble:
      QuickSort(Elements<double>(level), n, CompareNumbers<double>, false);
      break;
    case Element::kString:
      QuickSort(Elements<StringRecord*>(level), n, CompareStrings, true);
      break;
    case Element::kObject:
      break;
  }
}

}  // namespace
}  // namespace arrays

using namespace arrays;

AMX_ENTRY void RuntimeIntArraySort(ArrayRecord* array) noexcept {
  Sort(array, Element::kInteger);
}
AMX_ENTRY void RuntimeStringArraySort(ArrayRecord* array) noexcept {
  Sort(array, Element::kString);
}
AMX_ENTRY void RuntimeSingleArraySort(ArrayRecord* array) noexcept {
  Sort(array, Element::kSingle);
}
AMX_ENTRY void RuntimeDoubleArraySort(ArrayRecord* array) noexcept {
  Sort(array, Element::kDouble);
}
