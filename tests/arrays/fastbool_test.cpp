// Fast boolean arrays: bounds, insert at the count, remove, redim with false elements, the
// count word in front of the bytes, and nil arrays.
#include <gtest/gtest.h>

#include <cstring>

#include "runtime/entries/entries.h"
#include "runtime/objects/arraystorage.h"
#include "tests/arrays/arrayhooks.h"

namespace {

using array_test::HookedTest;
using array_test::kOutOfBounds;
using array_test::Reports;

using FastBoolean = HookedTest;

std::string Bits(MemoryHandle* a) {
  std::string s;
  for (int32_t i = 0; i <= RuntimeFastArrayUBound(a); ++i)
    s += RuntimeFastReadBoolArray(a, i) ? '1' : '0';
  return s;
}

TEST_F(FastBoolean, UpperBoundThreeAcceptsZeroToThree) {
  MemoryHandle* a = RuntimeCreateFastBooleanArray(3);
  EXPECT_EQ(a->size, 8);  // count word + 4 bytes
  int32_t count;
  std::memcpy(&count, a->buffer, 4);
  EXPECT_EQ(count, 4);
  EXPECT_EQ(RuntimeFastArrayUBound(a), 3);
  RuntimeFastWriteBoolArray(a, 3, 1);
  RuntimeFastWriteBoolArray(a, 0, 7);  // any non-zero byte is true
  EXPECT_EQ(Bits(a), "1001");
  EXPECT_TRUE(TakeRaised().empty());
  RuntimeFastWriteBoolArray(a, 4, 1);
  EXPECT_EQ(TakeRaised(), kOutOfBounds);
  EXPECT_EQ(RuntimeFastReadBoolArray(a, -1), 0);
  EXPECT_EQ(TakeRaised(), kOutOfBounds);
  RuntimeDisposeFastBooleanArray(a);
}

TEST_F(FastBoolean, InsertRemoveAppendAndRedim) {
  MemoryHandle* a = RuntimeCreateFastBooleanArray(-1);
  EXPECT_EQ(RuntimeFastArrayUBound(a), -1);
  RuntimeFastBooleanArrayInsert(a, 0, 1);  // index = count appends
  RuntimeFastBooleanArrayAppend(a, 0);
  RuntimeFastBooleanArrayAppend(a, 1);
  RuntimeFastBooleanArrayInsert(a, 1, 1);
  EXPECT_EQ(Bits(a), "1101");
  RuntimeFastBooleanArrayInsert(a, 5, 1);
  RuntimeFastBooleanArrayRemove(a, 4);
  EXPECT_EQ(TakeRaised(), (Reports{"OutOfBoundsException", "OutOfBoundsException"}));
  RuntimeFastBooleanArrayRemove(a, 0);
  EXPECT_EQ(Bits(a), "101");
  RuntimeRedimFastBoolArray(a, 5);
  EXPECT_EQ(Bits(a), "101000");
  RuntimeRedimFastBoolArray(a, 0);
  EXPECT_EQ(Bits(a), "1");
  RuntimeRedimFastBoolArray(a, -7);
  EXPECT_EQ(RuntimeFastArrayUBound(a), -1);
  RuntimeDisposeFastBooleanArray(a);
}

TEST_F(FastBoolean, NilArraysAreReportedNotRead) {
  EXPECT_EQ(RuntimeFastArrayUBound(nullptr), -1);
  EXPECT_EQ(RuntimeFastReadBoolArray(nullptr, 0), 0);
  RuntimeFastWriteBoolArray(nullptr, 0, 1);
  RuntimeFastBooleanArrayAppend(nullptr, 1);
  RuntimeDisposeFastBooleanArray(nullptr);
  EXPECT_EQ(TakeAssertions().size(), 4u);
  EXPECT_TRUE(TakeRaised().empty());
}

}  // namespace
