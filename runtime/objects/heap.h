// The runtime's memory: the small-block heap (per-size free lists carved from 8192-byte
// chunks, one process-wide lock) for objects and strings, and tagged runtime records.
// Exhaustion where failure is not allowed is fatal (FatalOutOfMemory).
#pragma once
#include <cstdint>

// Blocks of 1..252 bytes come from the small-block lists; larger ones from the general heap.
// Every block is handed out zeroed.
// size <= 0 gives nil. With mayFail, exhaustion returns nil instead of ending the process.
void* HeapAlloc(int32_t size, bool mayFail = false);
// Must be given the size that was requested; nil is ignored.
void HeapFree(void* block, int32_t size);
// Bytes currently handed out as small blocks (requested sizes), for "MemoryUsed".
int32_t HeapBytesInUse();

constexpr uint32_t kTaggedAllocTag = 0xDEADBEEF;
constexpr uint32_t kTaggedFreeTag = 0xDEADDEAD;
// A small-block allocation of size + 8 bytes: size word, tag word, then the caller's bytes.
void* TaggedAlloc(int32_t size);
void TaggedFree(void* block);
