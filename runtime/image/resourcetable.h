// The application's resource table (cursors, pictures, sounds, movies): big-endian count N,
// N offsets, then the entries. It is the file behind the locating resource's second word,
// or "data3.dat" in development mode (or when that word is 0). The file is opened on first
// use and stays open. Entry points: FindResourceEntry, ReadCursorResource.
#pragma once
#include <cstdint>
#include <cstdio>

struct ResourceEntry {
  FILE* file;        // the open table file
  uint64_t position;  // where entry's data begins
};

// index counts from 1; false for an index outside 1..N or when there is no table.
bool FindResourceEntry(int32_t index, ResourceEntry& entry);

struct CursorResource {
  uint8_t image[32];  // 16 x 16 pixels, one bit a pixel
  uint8_t mask[32];
  int16_t hotSpotVertical;
  int16_t hotSpotHorizontal;
};
bool ReadCursorResource(int32_t index, CursorResource& cursor);

// Uses the table at offset of path from now on (closing any table opened before).
void UseResourceTable(const char* path, uint32_t offset);
