// Sorting against a reference sort on random data: every element type, sizes around the
// selection-sort limit, many duplicates, presorted and reversed input, unstored elements,
// and strings in the locale order with case significant.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "runtime/entries/entries.h"
#include "runtime/objects/array.h"
#include "tests/arrays/arrayhooks.h"

namespace {

using array_test::HookedTest;

const int32_t kSizes[] = {0, 1, 2, 3, 5, 6, 7, 16, 100, 1000, 5000};

enum class Shape { kRandom, kFewValues, kSorted, kReversed };
const Shape kShapes[] = {Shape::kRandom, Shape::kFewValues, Shape::kSorted, Shape::kReversed};

std::vector<int32_t> Data(int32_t n, Shape shape, std::mt19937& gen) {
  std::vector<int32_t> v(static_cast<size_t>(n));
  std::uniform_int_distribution<int32_t> any(INT32_MIN, INT32_MAX);
  std::uniform_int_distribution<int32_t> few(-2, 2);
  for (auto& x : v) x = shape == Shape::kFewValues ? few(gen) : any(gen);
  if (shape == Shape::kSorted) std::sort(v.begin(), v.end());
  if (shape == Shape::kReversed) std::sort(v.rbegin(), v.rend());
  return v;
}

using ArraySort = HookedTest;

TEST_F(ArraySort, IntegersMatchTheReferenceSort) {
  std::mt19937 gen(7);
  for (int32_t n : kSizes)
    for (Shape shape : kShapes) {
      std::vector<int32_t> v = Data(n, shape, gen);
      ArrayRecord* a = RuntimeArrayCreateAddIndex(RuntimeCreateArray(), 0, n - 1);
      for (int32_t i = 0; i < n; ++i) RuntimeDirectWriteIntArray(a, i, v[static_cast<size_t>(i)]);
      RuntimeIntArraySort(a);
      std::sort(v.begin(), v.end());
      for (int32_t i = 0; i < n; ++i)
        ASSERT_EQ(RuntimeDirectReadIntArray(a, i), v[static_cast<size_t>(i)]) << n << " " << i;
      RuntimeDisposeIntArray(a);
    }
}

TEST_F(ArraySort, UnstoredElementsSortInAsZeros) {
  ArrayRecord* a = RuntimeArrayCreateAddIndex(RuntimeCreateArray(), 0, 40);
  RuntimeDirectWriteIntArray(a, 0, 5);
  RuntimeDirectWriteIntArray(a, 1, -5);  // stored count 17 of 41
  RuntimeIntArraySort(a);
  EXPECT_EQ(a->storage.count, 41);
  EXPECT_EQ(RuntimeDirectReadIntArray(a, 0), -5);
  EXPECT_EQ(RuntimeDirectReadIntArray(a, 1), 0);
  EXPECT_EQ(RuntimeDirectReadIntArray(a, 39), 0);
  EXPECT_EQ(RuntimeDirectReadIntArray(a, 40), 5);
  RuntimeDisposeIntArray(a);
}

TEST_F(ArraySort, SinglesAndDoublesMatchTheReferenceSort) {
  std::mt19937 gen(11);
  std::uniform_real_distribution<double> real(-1e6, 1e6);
  for (int32_t n : kSizes) {
    std::vector<double> v(static_cast<size_t>(n));
    for (auto& x : v) x = real(gen);
    if (n > 3) v[1] = v[2];  // a duplicate
    ArrayRecord* s = RuntimeArrayCreateAddIndex(RuntimeCreateArray(), 0, n - 1);
    ArrayRecord* d = RuntimeArrayCreateAddIndex(RuntimeCreateArray(), 0, n - 1);
    for (int32_t i = 0; i < n; ++i) {
      RuntimeDirectWriteSingleArray(s, i, v[static_cast<size_t>(i)]);
      RuntimeDirectWriteDoubleArray(d, i, v[static_cast<size_t>(i)]);
    }
    RuntimeSingleArraySort(s);
    RuntimeDoubleArraySort(d);
    std::vector<double> singles;
    for (double x : v) singles.push_back(static_cast<float>(x));
    std::sort(v.begin(), v.end());
    std::sort(singles.begin(), singles.end());
    for (int32_t i = 0; i < n; ++i) {
      ASSERT_EQ(RuntimeDirectReadDoubleArray(d, i), v[static_cast<size_t>(i)]);
      ASSERT_EQ(RuntimeDirectReadSingleArray(s, i), singles[static_cast<size_t>(i)]);
    }
    RuntimeDisposeIntArray(s);
    RuntimeDisposeIntArray(d);
  }
}

TEST_F(ArraySort, StringsFollowTheLocaleOrderAndKeepTheirReferences) {
  std::mt19937 gen(3);
  const char* words[] = {"re", "Re", "do", "mi", "fa", "sol", "la", "si", "", "Do", "do#", "b"};
  for (int32_t n : {0, 1, 5, 6, 50, 300}) {
    std::vector<StringRecord*> v;
    std::uniform_int_distribution<size_t> pick(0, std::size(words) - 1);
    for (int32_t i = 0; i < n; ++i) v.push_back(MakeStringFromC(words[pick(gen)]));
    ArrayRecord* a = RuntimeArrayCreateAddIndex(RuntimeCreateArray(), 0, n - 1);
    for (int32_t i = 0; i < n; ++i) RuntimeDirectWriteStringArray(a, i, v[static_cast<size_t>(i)]);
    RuntimeStringArraySort(a);
    std::vector<StringRecord*> expected = v;
    std::stable_sort(expected.begin(), expected.end(), [](StringRecord* x, StringRecord* y) {
      return StringStrCompare(x, y, 1) < 0;
    });
    for (int32_t i = 0; i < n; ++i) {
      StringRecord* got = RuntimeDirectReadStringArray(a, i);
      ASSERT_EQ(StringStrCompare(got, expected[static_cast<size_t>(i)], 1), 0) << i;
      UnlockString(got);
    }
    RuntimeDisposeStringArray(a);
    for (StringRecord* s : v) {
      if (s != nullptr) {
        EXPECT_EQ(s->refCount, 1);
      }
      UnlockString(s);
    }
  }
}

}  // namespace
