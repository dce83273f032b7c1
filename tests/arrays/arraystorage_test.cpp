// DynamicArray and MemoryHandle: growth by 16 on insert, exact counts, zero-filling, the
// element width switch, and the assertion each bad index reports (with its neutral result).
#include <gtest/gtest.h>

#include "runtime/objects/arraystorage.h"
#include "tests/arrays/arrayhooks.h"

namespace {

using array_test::HookedTest;
using array_test::Reports;

class DynamicArrayTest : public HookedTest {
 protected:
  void SetUp() override {
    HookedTest::SetUp();
    InitDynamicArray(&a_);
  }
  void TearDown() override {
    ClearDynamicArray(&a_);
    HookedTest::TearDown();
  }
  DynamicArray a_;
};

TEST_F(DynamicArrayTest, InsertGrowsCapacityBySixteenAndMovesElementsUp) {
  for (int32_t i = 0; i < 17; ++i) DynamicArrayAppendWord(&a_, i);
  EXPECT_EQ(a_.count, 17);
  EXPECT_EQ(a_.capacity, 32);
  DynamicArrayInsertWord(&a_, 0, -1);
  EXPECT_EQ(DynamicArrayGetWord(&a_, 0), -1);
  EXPECT_EQ(DynamicArrayGetWord(&a_, 17), 16);
  DynamicArrayRemove(&a_, 0);
  EXPECT_EQ(DynamicArrayGetWord(&a_, 0), 0);
  EXPECT_EQ(a_.count, 17);
  EXPECT_TRUE(TakeAssertions().empty());
}

TEST_F(DynamicArrayTest, SetCountIsExactAndZeroFillsEvenAfterRemovals) {
  for (int32_t i = 1; i <= 5; ++i) DynamicArrayAppendWord(&a_, i);
  DynamicArrayRemove(&a_, 4);
  DynamicArrayRemove(&a_, 3);
  SetDynamicArrayCount(&a_, 6);
  EXPECT_EQ(a_.capacity, 6);
  EXPECT_EQ(a_.storage->size, 24);
  EXPECT_EQ(DynamicArrayGetWord(&a_, 2), 3);
  for (int32_t i = 3; i < 6; ++i) EXPECT_EQ(DynamicArrayGetWord(&a_, i), 0) << i;
  SetDynamicArrayCount(&a_, -3);
  EXPECT_EQ(a_.count, 0);
}

TEST_F(DynamicArrayTest, DoubleElementsUseEightByteSlots) {
  DynamicArrayAppendWord(&a_, 7);
  SetDynamicArrayElementSize(&a_, 8);  // the count stays, the old word does not
  EXPECT_EQ(a_.count, 1);
  EXPECT_EQ(DynamicArrayGetDouble(&a_, 0), 0.0);
  DynamicArrayAppendDouble(&a_, 2.5);
  DynamicArrayInsertDouble(&a_, 0, -1.25);
  EXPECT_EQ(DynamicArrayGetDouble(&a_, 0), -1.25);
  EXPECT_EQ(DynamicArrayGetDouble(&a_, 2), 2.5);
  EXPECT_EQ(a_.storage->size, a_.capacity * 8);
}

TEST_F(DynamicArrayTest, BadIndexesReportTheirLineAndChangeNothing) {
  DynamicArrayAppendWord(&a_, 1);
  EXPECT_EQ(DynamicArrayGetWord(&a_, 1), 0);
  DynamicArraySetWord(&a_, -1, 5);
  DynamicArrayInsertWord(&a_, 2, 5);
  DynamicArrayRemove(&a_, 1);
  SetDynamicArrayElementSize(&a_, 8);
  EXPECT_EQ(DynamicArrayGetDouble(&a_, 3), 0.0);
  DynamicArraySetDouble(&a_, 1, 1.0);
  DynamicArrayInsertDouble(&a_, -1, 1.0);
  EXPECT_EQ(TakeAssertions(), (Reports{"4 array 68", "4 array 95", "4 array 132",
                                       "4 array 168", "4 array 82", "4 array 107",
                                       "4 array 157"}));
  EXPECT_EQ(a_.count, 1);
}

TEST(MemoryHandle, ResizeKeepsTheSmallerSizeAndZeroFills) {
  MemoryHandle* h = NewMemoryHandle(4);
  h->buffer[0] = 9;
  h->buffer[3] = 8;
  uint8_t* before = h->buffer;
  ResizeMemoryHandle(h, 4);
  EXPECT_EQ(h->buffer, before);  // same size: left alone
  ResizeMemoryHandle(h, 2);
  ResizeMemoryHandle(h, 6);
  EXPECT_EQ(h->buffer[0], 9);
  EXPECT_EQ(h->buffer[3], 0);
  EXPECT_EQ(h->buffer[5], 0);
  ResizeMemoryHandle(h, 0);
  EXPECT_EQ(h->buffer, nullptr);
  FreeMemoryHandle(h);
  FreeMemoryHandle(nullptr);
}

}  // namespace
