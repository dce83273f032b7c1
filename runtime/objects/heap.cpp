// The small-block heap: HeapAlloc/HeapFree and TaggedAlloc/TaggedFree. Sizes round up to
// whole words; each size class (1..63 words) has its own free list, refilled by carving the
// current 8192-byte chunk. Freed small blocks are recycled, never returned. Blocks are
// handed out zeroed.
#include "runtime/objects/heap.h"

#include <sys/single_threaded.h>

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

// Constant-initialised and never destroyed (std::mutex has a constexpr constructor and a
// trivial destructor here), so blocks stay valid through static construction and teardown.
struct SmallHeap {
  std::mutex lock;  // the process-wide heap lock
  FreeBlock* freeLists[kSizeClasses] = {};
  uint8_t* chunk = nullptr;  // carving position in the current chunk
  int32_t chunkLeft = 0;
  int32_t bytesInUse = 0;
};
constinit SmallHeap gHeap;

// Holds the heap lock. While the process has a single thread nobody can contend for it,
// and the C library's flag says so (it turns false before a second thread starts running
// and never back): the lock is then skipped, because under emulation locking a mutex costs
// more than the whole allocation.
class HeapLock {
 public:
  HeapLock() : locked_(!__libc_single_threaded) {
    if (locked_) gHeap.lock.lock();
  }
  ~HeapLock() {
    if (locked_) gHeap.lock.unlock();
  }
  HeapLock(const HeapLock&) = delete;
  HeapLock& operator=(const HeapLock&) = delete;

 private:
  bool locked_;
};

// In 64 bits: a size near INT32_MAX must not wrap to a negative (small) size class.
int64_t RoundToWord(int32_t size) { return (static_cast<int64_t>(size) + 3) & ~int64_t{3}; }

void* GeneralAlloc(int64_t size, bool mayFail) {
  void* block = std::calloc(1, static_cast<size_t>(size));
  if (block == nullptr && !mayFail) FatalOutOfMemory();
  return block;
}

// The caller holds the heap lock (a fatal exit ends the process with it held).
void* CarveSmall(int32_t rounded, bool mayFail) {
  if (gHeap.chunkLeft < rounded) {
    auto* chunk = static_cast<uint8_t*>(GeneralAlloc(kChunkSize, mayFail));
    if (chunk == nullptr) return nullptr;
    gHeap.chunk = chunk;  // the rest of the old chunk is abandoned
    gHeap.chunkLeft = kChunkSize;
  }
  void* block = gHeap.chunk;
  gHeap.chunk += rounded;
  gHeap.chunkLeft -= rounded;
  return block;
}

void ZeroWords(void* block, int32_t rounded) {
  auto* words = static_cast<uint32_t*>(block);
  for (int32_t i = 0; i < rounded / 4; ++i) words[i] = 0;
}

}  // namespace

void* HeapAlloc(int32_t size, bool mayFail) {
  if (size <= 0) return nullptr;
  int64_t roundedSize = RoundToWord(size);
  if (roundedSize > kLargestSmall) return GeneralAlloc(roundedSize, mayFail);
  auto rounded = static_cast<int32_t>(roundedSize);
  void* block;
  {
    HeapLock guard;
    FreeBlock*& list = gHeap.freeLists[rounded / 4];
    if (list != nullptr) {
      block = list;
      list = list->next;
    } else {
      block = CarveSmall(rounded, mayFail);
      if (block == nullptr) return nullptr;
    }
    gHeap.bytesInUse += size;
  }
  ZeroWords(block, rounded);  // the block is the caller's alone now
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
  HeapLock guard;
  auto* freed = static_cast<FreeBlock*>(block);
  freed->next = gHeap.freeLists[rounded / 4];
  gHeap.freeLists[rounded / 4] = freed;
  gHeap.bytesInUse -= size;
}

int32_t HeapBytesInUse() {
  HeapLock guard;
  return gHeap.bytesInUse;
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
