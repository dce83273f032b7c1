// The small-block heap (HeapAlloc/HeapFree) against malloc/free for the 16..64-byte blocks
// that objects and strings use: a batch of blocks of mixed sizes is allocated, touched and
// released, as short-lived strings and objects are. Goal: the heap at least twice as fast.
// Run: build/bench/objects/bench_objects (under qemu-i386 emulation on this machine).
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdlib>
#include <thread>

#include "runtime/objects/heap.h"

namespace {

constexpr int kBatch = 256;

// Sizes 16, 20, ... 64 in a fixed shuffled order.
int32_t SizeOf(int i) { return 16 + ((i * 7) % 13) * 4; }

void BM_SmallBlockHeap(benchmark::State& state) {
  void* blocks[kBatch];
  for (auto _ : state) {
    for (int i = 0; i < kBatch; ++i) {
      blocks[i] = HeapAlloc(SizeOf(i));
      static_cast<uint32_t*>(blocks[i])[0] = static_cast<uint32_t>(i);
    }
    benchmark::DoNotOptimize(blocks);
    for (int i = 0; i < kBatch; ++i) HeapFree(blocks[i], SizeOf(i));
  }
  state.SetItemsProcessed(state.iterations() * kBatch);
}
BENCHMARK(BM_SmallBlockHeap);

// The same work with calloc, since HeapAlloc hands out zeroed blocks.
void BM_CallocFree(benchmark::State& state) {
  void* blocks[kBatch];
  for (auto _ : state) {
    for (int i = 0; i < kBatch; ++i) {
      blocks[i] = std::calloc(1, static_cast<size_t>(SizeOf(i)));
      static_cast<uint32_t*>(blocks[i])[0] = static_cast<uint32_t>(i);
    }
    benchmark::DoNotOptimize(blocks);
    for (int i = 0; i < kBatch; ++i) std::free(blocks[i]);
  }
  state.SetItemsProcessed(state.iterations() * kBatch);
}
BENCHMARK(BM_CallocFree);

void BM_MallocFree(benchmark::State& state) {
  void* blocks[kBatch];
  for (auto _ : state) {
    for (int i = 0; i < kBatch; ++i) {
      blocks[i] = std::malloc(static_cast<size_t>(SizeOf(i)));
      static_cast<uint32_t*>(blocks[i])[0] = static_cast<uint32_t>(i);
    }
    benchmark::DoNotOptimize(blocks);
    for (int i = 0; i < kBatch; ++i) std::free(blocks[i]);
  }
  state.SetItemsProcessed(state.iterations() * kBatch);
}
BENCHMARK(BM_MallocFree);

// Once a second thread has existed the heap takes its mutex on every operation. Registered
// last: starting the thread is permanent for the process.
void BM_SmallBlockHeapLocked(benchmark::State& state) {
  std::thread([] {}).join();
  BM_SmallBlockHeap(state);
}
BENCHMARK(BM_SmallBlockHeapLocked);

}  // namespace

BENCHMARK_MAIN();
