// The small-block heap and tagged records: size classes, recycling, the in-use total, and
// the tag check on release.
#include <gtest/gtest.h>

#include <cstdint>
#include <thread>
#include <vector>

#include "runtime/objects/heap.h"
#include "runtime/startup/assertion.h"

namespace {

std::vector<int32_t> gAssertions;
void RecordAssertion(int32_t number, const char*, int32_t line) {
  gAssertions.push_back(number * 100000 + line);
}

TEST(Heap, NonPositiveSizesGiveNil) {
  EXPECT_EQ(HeapAlloc(0), nullptr);
  EXPECT_EQ(HeapAlloc(-4), nullptr);
}

TEST(Heap, InUseCountsRequestedSmallSizesOnly) {
  int32_t before = HeapBytesInUse();
  void* a = HeapAlloc(10);
  void* b = HeapAlloc(252);
  void* big = HeapAlloc(253);
  EXPECT_EQ(HeapBytesInUse() - before, 10 + 252);
  HeapFree(a, 10);
  HeapFree(b, 252);
  HeapFree(big, 253);
  EXPECT_EQ(HeapBytesInUse(), before);
}

TEST(Heap, SizesNearTheTopOfTheRangeNeverWrapIntoASmallSizeClass) {
  int32_t before = HeapBytesInUse();
  for (int32_t size : {INT32_MAX, INT32_MAX - 1, INT32_MAX - 3}) {
    void* block = HeapAlloc(size, /*mayFail=*/true);  // the general heap, or nil
    EXPECT_EQ(HeapBytesInUse(), before) << size;
    HeapFree(block, size);
  }
  EXPECT_EQ(HeapBytesInUse(), before);
}

TEST(Heap, FreedBlockIsReusedByItsSizeClassZeroed) {
  auto* a = static_cast<uint8_t*>(HeapAlloc(13));  // size class of 16 bytes
  a[0] = 0xAA;
  HeapFree(a, 13);
  auto* b = static_cast<uint8_t*>(HeapAlloc(16));
  EXPECT_EQ(a, b);
  EXPECT_EQ(b[0], 0);
  HeapFree(b, 16);
}

TEST(Heap, BlocksAcrossChunksDoNotOverlap) {
  std::vector<uint32_t*> blocks;
  for (int i = 0; i < 2000; ++i) {
    auto* p = static_cast<uint32_t*>(HeapAlloc(24));
    for (int w = 0; w < 6; ++w) p[w] = static_cast<uint32_t>(i);
    blocks.push_back(p);
  }
  for (int i = 0; i < 2000; ++i)
    for (int w = 0; w < 6; ++w) ASSERT_EQ(blocks[i][w], static_cast<uint32_t>(i));
  for (auto* p : blocks) HeapFree(p, 24);
}

// Several threads allocating and freeing at once: the heap lock keeps every block private
// to its owner and the in-use total exact.
TEST(Heap, ConcurrentThreadsNeverShareABlock) {
  int32_t before = HeapBytesInUse();
  std::vector<std::thread> threads;
  std::vector<int> failures(4, 0);
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([t, &failures] {
      std::vector<uint32_t*> blocks;
      for (int round = 0; round < 200; ++round) {
        for (int i = 0; i < 50; ++i) {
          auto* p = static_cast<uint32_t*>(HeapAlloc(16 + 4 * (i % 8)));
          p[0] = static_cast<uint32_t>(t);
          blocks.push_back(p);
        }
        for (size_t i = 0; i < blocks.size(); ++i) {
          if (blocks[i][0] != static_cast<uint32_t>(t)) ++failures[t];
          HeapFree(blocks[i], 16 + 4 * (int(i) % 8));
        }
        blocks.clear();
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  EXPECT_EQ(failures, std::vector<int>(4, 0));
  EXPECT_EQ(HeapBytesInUse(), before);
}

TEST(TaggedAlloc, CarriesSizeAndTagAndChecksOnFree) {
  auto* p = static_cast<uint32_t*>(TaggedAlloc(20));
  EXPECT_EQ(p[-2], 20u);
  EXPECT_EQ(p[-1], kTaggedAllocTag);
  TaggedFree(p);
  EXPECT_EQ(p[-1], kTaggedFreeTag);

  gAssertions.clear();
  AssertionHook old = SetAssertionHook(RecordAssertion);
  TaggedFree(p);  // the tag is no longer 0xDEADBEEF: reported, not freed twice
  SetAssertionHook(old);
  ASSERT_EQ(gAssertions.size(), 1u);
  EXPECT_EQ(gAssertions[0], 4 * 100000 + 64);
}

}  // namespace
