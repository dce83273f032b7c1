// Language arrays through their entry points: bounds and lazy storage, every element type,
// references held by String and Object arrays, append/insert/remove, the multi-dimensional
// protocol, redim and dispose (nothing leaks), and misuse by compiled code.
#include <gtest/gtest.h>

#include <string>

#include "runtime/entries/entries.h"
#include "runtime/exceptions/exceptions.h"
#include "runtime/objects/array.h"
#include "runtime/objects/heap.h"
#include "tests/arrays/arrayhooks.h"
#include "tests/numbers/entrycall.h"

namespace {

using array_test::HookedTest;
using array_test::kNone;
using array_test::kOutOfBounds;
using array_test::Reports;

ArrayRecord* OneDim(int32_t upper) {
  return RuntimeArrayCreateAddIndex(RuntimeCreateArray(), 0, upper);
}

class ArrayTest : public HookedTest {
 protected:
  void SetUp() override {
    HookedTest::SetUp();
    SetUpBuiltinClasses();
  }
};

TEST_F(ArrayTest, IntegerBoundsAndLazyStorage) {
  ArrayRecord* a = OneDim(8);
  EXPECT_EQ(RuntimeUBound(a), 8);
  EXPECT_EQ(RuntimeDirectReadIntArray(a, 5), 0);  // nothing stored yet
  EXPECT_EQ(a->storage.storage, nullptr);
  RuntimeDirectWriteIntArray(a, 1, 60);
  EXPECT_EQ(a->storage.count, 9);  // min(1 + 16, 8 + 1)
  EXPECT_EQ(RuntimeDirectReadIntArray(a, 1), 60);
  EXPECT_EQ(RuntimeDirectReadIntArray(a, 8), 0);
  EXPECT_TRUE(TakeRaised().empty());
  EXPECT_EQ(RuntimeDirectReadIntArray(a, 9), 0);
  EXPECT_EQ(RuntimeDirectReadIntArray(a, -1), 0);
  RuntimeDirectWriteIntArray(a, 9, 5);
  EXPECT_EQ(TakeRaised(), (Reports{"OutOfBoundsException", "OutOfBoundsException",
                                   "OutOfBoundsException"}));
  EXPECT_EQ(a->storage.count, 9);
  RuntimeDisposeIntArray(a);
}

TEST_F(ArrayTest, StorageGrowsInStepsOfSixteenUpToTheBound) {
  ArrayRecord* a = OneDim(1000);
  RuntimeDirectWriteIntArray(a, 100, 1);
  EXPECT_EQ(a->storage.count, 116);
  RuntimeDirectWriteIntArray(a, 990, 1);
  EXPECT_EQ(a->storage.count, 1001);
  RuntimeDisposeIntArray(a);
}

TEST_F(ArrayTest, FloatingPointElements) {
  ArrayRecord* s = OneDim(3);
  RuntimeDirectWriteSingleArray(s, 2, 0.1);  // narrowed to a Single
  EXPECT_EQ(RuntimeDirectReadSingleArray(s, 2), static_cast<double>(0.1f));
  EXPECT_EQ(RuntimeDirectReadSingleArray(s, 0), 0.0);
  ArrayRecord* d = OneDim(3);
  RuntimeDirectWriteDoubleArray(d, 3, 0.1);
  EXPECT_EQ(RuntimeDirectReadDoubleArray(d, 3), 0.1);
  EXPECT_EQ(d->storage.elementSize, 8);
  using entry_call::Args;
  EXPECT_EQ(entry_call::CallDouble(reinterpret_cast<void*>(&RuntimeDirectReadDoubleArray),
                                   Args().Int(static_cast<int32_t>(reinterpret_cast<uintptr_t>(d))).Int(3)),
            0.1);
  RuntimeDoubleArrayAppend(d, -2.0);
  RuntimeDoubleArrayInsert(d, 0, 7.0);
  EXPECT_EQ(RuntimeUBound(d), 5);
  EXPECT_EQ(RuntimeDirectReadDoubleArray(d, 0), 7.0);
  EXPECT_EQ(RuntimeDirectReadDoubleArray(d, 4), 0.1);
  EXPECT_EQ(RuntimeDirectReadDoubleArray(d, 5), -2.0);
  RuntimeDisposeIntArray(s);  // no separate dispose for Single and Double arrays
  RuntimeDisposeIntArray(d);
  EXPECT_TRUE(TakeRaised().empty());
}

TEST_F(ArrayTest, StringElementsHoldOneReferenceEach) {
  StringRecord* hello = MakeStringFromC("hello");
  StringRecord* world = MakeStringFromC("world");
  ArrayRecord* a = OneDim(2);
  RuntimeDirectWriteStringArray(a, 0, hello);
  RuntimeDirectWriteStringArray(a, 1, hello);
  EXPECT_EQ(hello->refCount, 3);
  RuntimeDirectWriteStringArray(a, 1, hello);  // the same string again
  EXPECT_EQ(hello->refCount, 3);
  RuntimeDirectWriteStringArray(a, 1, world);
  EXPECT_EQ(hello->refCount, 2);
  StringRecord* read = RuntimeDirectReadStringArray(a, 1);
  EXPECT_EQ(read, world);
  EXPECT_EQ(world->refCount, 3);  // the caller's, the array's, the result's
  UnlockString(read);
  EXPECT_EQ(RuntimeDirectReadStringArray(a, 2), nullptr);
  RuntimeStringArrayRemove(a, 0);  // releases that string once
  EXPECT_EQ(hello->refCount, 1);
  EXPECT_EQ(RuntimeUBound(a), 1);
  RuntimeDisposeStringArray(a);
  EXPECT_EQ(world->refCount, 1);
  UnlockString(hello);
  UnlockString(world);
}

TEST_F(ArrayTest, ObjectElementsHoldOneReferenceEach) {
  ObjectHeader* object = NewBuiltinException(BuiltinException::kRuntime);
  ASSERT_NE(object, nullptr);
  ArrayRecord* a = OneDim(-1);
  RuntimeObjectArrayAppend(a, object);
  RuntimeObjectArrayInsert(a, 0, object);
  EXPECT_EQ(object->refCount, 3);
  ObjectHeader* read = RuntimeDirectReadObjectArray(a, 1);
  EXPECT_EQ(read, object);
  UnlockObject(read);
  RuntimeDirectWriteObjectArray(a, 1, nullptr);
  EXPECT_EQ(object->refCount, 2);
  RuntimeDisposeObjectArray(a);
  EXPECT_EQ(object->refCount, 1);
  UnlockObject(object);
}

TEST_F(ArrayTest, AppendInsertAndRemoveMoveTheBoundByOne) {
  ArrayRecord* a = OneDim(-1);
  RuntimeIntArrayAppend(a, 10);  // upper bound -1: the first element
  EXPECT_EQ(RuntimeUBound(a), 0);
  EXPECT_EQ(RuntimeDirectReadIntArray(a, 0), 10);
  RuntimeIntArrayAppend(a, 30);
  RuntimeIntArrayInsert(a, 1, 20);
  RuntimeIntArrayInsert(a, 0, 0);
  for (int32_t i = 0; i < 4; ++i) EXPECT_EQ(RuntimeDirectReadIntArray(a, i), i * 10);
  RuntimeIntArrayInsert(a, 4, 99);  // only 0..upper bound
  RuntimeIntArrayRemove(a, 4);
  EXPECT_EQ(TakeRaised(), (Reports{"OutOfBoundsException", "OutOfBoundsException"}));
  RuntimeIntArrayRemove(a, 0);
  EXPECT_EQ(RuntimeUBound(a), 2);
  EXPECT_EQ(RuntimeDirectReadIntArray(a, 0), 10);
  EXPECT_EQ(RuntimeDirectReadIntArray(a, 2), 30);
  RuntimeDisposeIntArray(a);

  ArrayRecord* empty = OneDim(-1);
  RuntimeIntArrayInsert(empty, 0, 1);
  RuntimeIntArrayRemove(empty, 0);
  EXPECT_EQ(TakeRaised(), (Reports{"OutOfBoundsException", "OutOfBoundsException"}));
  EXPECT_EQ(RuntimeUBound(empty), -1);
  RuntimeDisposeIntArray(empty);
}

TEST_F(ArrayTest, EditingALazyArrayStoresOnlyUpToTheElement) {
  ArrayRecord* a = OneDim(99);
  RuntimeIntArrayInsert(a, 50, 7);  // nothing stored at 50 or after: nothing moves
  EXPECT_EQ(RuntimeUBound(a), 100);
  EXPECT_EQ(a->storage.count, 66);
  EXPECT_EQ(RuntimeDirectReadIntArray(a, 50), 7);
  RuntimeIntArrayRemove(a, 80);  // beyond the stored part: only the bound moves
  EXPECT_EQ(RuntimeUBound(a), 99);
  EXPECT_EQ(a->storage.count, 66);
  RuntimeIntArrayAppend(a, 5);
  EXPECT_EQ(RuntimeDirectReadIntArray(a, 100), 5);
  EXPECT_EQ(RuntimeDirectReadIntArray(a, 99), 0);
  RuntimeDisposeIntArray(a);
}

TEST_F(ArrayTest, MultiDimensionalAccess) {
  ArrayRecord* a = RuntimeCreateArray();
  RuntimeArrayCreateAddIndex(a, 0, 2);
  RuntimeArrayCreateAddIndex(a, 0, 3);
  RuntimeArrayCreateAddIndex(a, 1, 5);  // upper bound 5 - 1
  EXPECT_EQ(a->dimensionCount, 3);
  EXPECT_EQ(a->upperBounds[2], 4);
  auto write = [&](int32_t i, int32_t j, int32_t k, int32_t v) {
    RuntimeArrayStartWriteAccess(a, i);
    RuntimeArrayAddWriteIndex(a, j);
    RuntimeWriteIntArray(a, k, v);
  };
  auto read = [&](int32_t i, int32_t j, int32_t k) {
    RuntimeArrayStartReadAccess(a, i);
    RuntimeArrayAddReadIndex(a, j);
    return RuntimeReadIntArray(a, k);
  };
  write(1, 2, 3, 123);
  write(2, 3, 4, 234);
  EXPECT_EQ(read(1, 2, 3), 123);
  EXPECT_EQ(read(2, 3, 4), 234);
  EXPECT_EQ(read(0, 0, 0), 0);  // row never stored
  EXPECT_EQ(read(1, 1, 0), 0);
  EXPECT_EQ(a->accessCursor, nullptr);
  EXPECT_TRUE(TakeRaised().empty());
  // Each index against its own bound, whether or not its row is stored.
  const int32_t outside[][3] = {{3, 0, 0}, {0, 4, 0}, {1, 2, 5}, {-1, 0, 0}};
  for (const auto& i : outside) {
    EXPECT_EQ(read(i[0], i[1], i[2]), 0);
    Reports raised = TakeRaised();
    ASSERT_FALSE(raised.empty());
    EXPECT_EQ(raised[0], "OutOfBoundsException");
  }
  // Too few or too many indexes.
  RuntimeArrayStartReadAccess(a, 0);
  EXPECT_EQ(RuntimeReadIntArray(a, 0), 0);
  RuntimeArrayStartReadAccess(a, 0);
  RuntimeArrayAddReadIndex(a, 0);
  RuntimeArrayAddReadIndex(a, 0);
  EXPECT_EQ(TakeRaised().size(), 2u);
  RuntimeDisposeIntArray(a);
}

TEST_F(ArrayTest, MultiDimensionalStringsAndDoubles) {
  StringRecord* s = MakeStringFromC("x");
  ArrayRecord* a = RuntimeArrayCreateAddIndex(OneDim(1), 0, 1);
  RuntimeArrayStartWriteAccess(a, 1);
  RuntimeWriteStringArray(a, 0, s);
  RuntimeArrayStartWriteAccess(a, 0);
  RuntimeWriteStringArray(a, 1, s);
  EXPECT_EQ(s->refCount, 3);
  RuntimeArrayStartReadAccess(a, 1);
  StringRecord* r = RuntimeReadStringArray(a, 0);
  EXPECT_EQ(r, s);
  UnlockString(r);
  RuntimeDisposeStringArray(a);
  EXPECT_EQ(s->refCount, 1);
  UnlockString(s);

  ArrayRecord* d = RuntimeArrayCreateAddIndex(OneDim(1), 0, 1);
  RuntimeArrayStartWriteAccess(d, 1);
  RuntimeWriteDoubleArray(d, 1, 2.75);
  RuntimeArrayStartReadAccess(d, 1);
  EXPECT_EQ(RuntimeReadDoubleArray(d, 1), 2.75);
  RuntimeArrayStartReadAccess(d, 0);
  EXPECT_EQ(RuntimeReadDoubleArray(d, 1), 0.0);
  RuntimeDisposeIntArray(d);
}

TEST_F(ArrayTest, DisposeAndRedimFreeWhatTheyDrop) {
  int32_t before = HeapBytesInUse();
  ArrayRecord* a = RuntimeArrayCreateAddIndex(OneDim(9), 0, 9);
  for (int32_t i = 0; i < 10; ++i) {
    RuntimeArrayStartWriteAccess(a, i);
    RuntimeWriteIntArray(a, i, i);
  }
  int32_t full = HeapBytesInUse();
  RuntimeRedimIntArrayLevel(a, 0, 4);  // drops rows 5..9
  EXPECT_EQ(a->storage.count, 5);
  EXPECT_LT(HeapBytesInUse(), full);
  RuntimeArrayStartReadAccess(a, 4);
  EXPECT_EQ(RuntimeReadIntArray(a, 4), 4);
  RuntimeArrayStartReadAccess(a, 5);
  EXPECT_EQ(TakeRaised(), kOutOfBounds);
  RuntimeRedimIntArrayLevel(a, 1, 100);  // growing only moves the bound
  EXPECT_EQ(a->upperBounds[1], 100);
  RuntimeDisposeIntArray(a);
  EXPECT_EQ(HeapBytesInUse(), before);
}

TEST_F(ArrayTest, RedimReleasesStringsItCuts) {
  StringRecord* s = MakeStringFromC("note");
  ArrayRecord* a = OneDim(5);
  for (int32_t i = 0; i < 6; ++i) RuntimeDirectWriteStringArray(a, i, s);
  EXPECT_EQ(s->refCount, 7);
  RuntimeRedimStringArrayLevel(a, 0, 1);
  EXPECT_EQ(s->refCount, 3);
  EXPECT_EQ(RuntimeUBound(a), 1);
  RuntimeRedimStringArrayLevel(a, 0, -1);
  EXPECT_EQ(s->refCount, 1);
  RuntimeDisposeStringArray(a);
  UnlockString(s);
}

TEST_F(ArrayTest, MisuseIsReportedAndHarmless) {
  EXPECT_EQ(RuntimeArrayCreateAddIndex(nullptr, 0, 3), nullptr);
  EXPECT_EQ(RuntimeDirectReadIntArray(nullptr, 0), 0);
  RuntimeDirectWriteIntArray(nullptr, 0, 1);
  EXPECT_EQ(RuntimeDirectReadSingleArray(nullptr, 0), 0.0);
  EXPECT_EQ(RuntimeDirectReadStringArray(nullptr, 0), nullptr);
  RuntimeIntArrayAppend(nullptr, 1);
  RuntimeIntArraySort(nullptr);
  RuntimeDisposeIntArray(nullptr);  // allowed
  EXPECT_EQ(TakeAssertions(),
            (Reports{"4 commonruntime 199", "4 commonruntime 210", "4 commonruntime 210",
                     "4 commonruntime 210", "4 commonruntime 210", "4 commonruntime 210",
                     "4 commonruntime 210"}));

  ArrayRecord* a = RuntimeCreateArray();
  for (int i = 0; i < 21; ++i) RuntimeArrayCreateAddIndex(a, 0, 1);
  EXPECT_EQ(a->dimensionCount, 20);
  EXPECT_EQ(TakeAssertions(), (Reports{"4 commonruntime 200"}));
  RuntimeRedimIntArrayLevel(a, 20, 0);
  RuntimeRedimIntArrayLevel(a, -1, 0);
  EXPECT_EQ(TakeAssertions(), (Reports{"4 commonruntime 220", "4 commonruntime 220"}));
  // One-dimensional entries on a many-dimensional array would overwrite row pointers.
  RuntimeDirectWriteIntArray(a, 0, 1);
  RuntimeDirectWriteDoubleArray(a, 0, 1);
  RuntimeIntArrayAppend(a, 1);
  RuntimeIntArraySort(a);
  EXPECT_EQ(TakeRaised().size(), 4u);
  RuntimeDisposeIntArray(a);

  ArrayRecord* b = OneDim(3);
  RuntimeArrayStartWriteAccess(b, 0);  // one dimension: no sub-arrays to walk
  EXPECT_EQ(TakeRaised(), kOutOfBounds);
  EXPECT_EQ(b->storage.storage, nullptr);
  RuntimeDisposeIntArray(b);
}

TEST_F(ArrayTest, BoundsAreClampedNotWrapped) {
  ArrayRecord* a = RuntimeArrayCreateAddIndex(RuntimeCreateArray(), -2147483647 - 1, 2147483647);
  EXPECT_EQ(RuntimeUBound(a), INT32_MAX);
  RuntimeIntArrayAppend(a, 1);
  EXPECT_EQ(TakeRaised(), kOutOfBounds);
  EXPECT_EQ(RuntimeUBound(a), INT32_MAX);
  RuntimeDisposeIntArray(a);
  ArrayRecord* b = RuntimeArrayCreateAddIndex(RuntimeCreateArray(), 5, 0);
  EXPECT_EQ(RuntimeUBound(b), -1);
  RuntimeDisposeIntArray(b);
}

}  // namespace
