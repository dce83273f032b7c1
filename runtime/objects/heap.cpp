// The small-block heap: HeapAlloc/HeapFree and TaggedAlloc/TaggedFree. Sizes round up to
// whole words; each size class (1..63 words) has its own free list, refilled by carving the
// current 8192-byte chunk. Freed small blocks are recycled, never returned.
#include "runtime/objects/heap.h"

#include <cstdlib>
#include <mutex>

#include "runtime/startup/assertion.h"
#include "runtime/startup/fatal.h"

namespace {

constexpr int32_t kChunkSize = 8192;
constexpr int32_t kLargestSmall = 252;  // 253 bytes and more go to the general heap
constexpr int kSizeClasses = kLargestSmall / 4 + 1;

struct FreeBlock {
  FreeBlock* next;
};

struct SmallHeap {
  std::mutex lock;  // the process-wide heap lock
  FreeBlock* freeLists[kSizeClasses] = {};
  uint8_t* chunk = nullptr;  // carving position in the current chunk
  int32_t chunkLeft = 0;
  int32_t bytesInUse = 0;
};

SmallHeap& Heap() {
  static SmallHeap* heap = new SmallHeap;  // never destroyed: blocks outlive static teardown
  return *heap;
}

// In 64 bits: a size near INT32_MAX must not wrap to a negative (small) size class.
int64_t RoundToWord(int32_t size) { return (static_cast<int64_t>(size) + 3) & ~int64_t{3}; }

void* GeneralAlloc(int64_t size, bool mayFail) {
  void* block = std::calloc(1, static_cast<size_t>(size));
  if (block == nullptr && !mayFail) FatalOutOfMemory();
  return block;
}

void* CarveSmall(SmallHeap& heap, int32_t rounded, bool mayFail) {
  // The caller holds the heap lock; a fatal exit here ends the process with it held.
  if (heap.chunkLeft < rounded) {
    auto* chunk = static_cast<uint8_t*>(GeneralAlloc(kChunkSize, mayFail));
    if (chunk == nullptr) return nullptr;
    heap.chunk = chunk;  // the rest of the old chunk is abandoned
    heap.chunkLeft = kChunkSize;
  }
  void* block = heap.chunk;
  heap.chunk += rounded;
  heap.chunkLeft -= rounded;
  return block;
}

}  // namespace

void* HeapAlloc(int32_t size, bool mayFail) {
  if (size <= 0) return nullptr;
  int64_t roundedSize = RoundToWord(size);
  if (roundedSize > kLargestSmall) return GeneralAlloc(roundedSize, mayFail);
  auto rounded = static_cast<int32_t>(roundedSize);
  SmallHeap& heap = Heap();
  std::lock_guard<std::mutex> guard(heap.lock);
  FreeBlock*& list = heap.freeLists[rounded / 4];
  void* block;
  if (list != nullptr) {
    block = list;
    list = list->next;
  } else {
    block = CarveSmall(heap, rounded, mayFail);
    if (block == nullptr) return nullptr;
  }
  __builtin_memset(block, 0, static_cast<size_t>(rounded));
  heap.bytesInUse += size;
  return block;
}

void HeapFree(void* block, int32_t size) {
  if (block == nullptr || size <= 0) return;
  int64_t roundedSize = RoundToWord(size);
  if (roundedSize > kLargestSmall) {
    std::free(block);
    return;
  }
  auto rounded = static_cast<int32_t>(roundedSize);
  SmallHeap& heap = Heap();
  std::lock_guard<std::mutex> guard(heap.lock);
  auto* freed = static_cast<FreeBlock*>(block);
  freed->next = heap.freeLists[rounded / 4];
  heap.freeLists[rounded / 4] = freed;
  heap.bytesInUse -= size;
}

int32_t HeapBytesInUse() {
  SmallHeap& heap = Heap();
  std::lock_guard<std::mutex> guard(heap.lock);
  return heap.bytesInUse;
}

void* TaggedAlloc(int32_t size) {
  if (size < 0 || size > INT32_MAX - 8) FatalOutOfMemory();  // no record is that large
  auto* words = static_cast<uint32_t*>(HeapAlloc(size + 8));
  words[0] = static_cast<uint32_t>(size);
  words[1] = kTaggedAllocTag;
  return words + 2;
}

void TaggedFree(void* block) {
  if (block == nullptr) return;
  uint32_t* words = static_cast<uint32_t*>(block) - 2;
  if (words[1] != kTaggedAllocTag) {
    FailedAssertion(4, "dump", 64);
    return;
  }
  words[1] = kTaggedFreeTag;
  HeapFree(words, static_cast<int32_t>(words[0]) + 8);
}
