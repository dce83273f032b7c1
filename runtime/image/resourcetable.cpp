// Resource-table lookups. The table's header is re-read per lookup (it is small) so that a
// damaged count can never index past what the file holds.
#include "runtime/image/resourcetable.h"

#include <string>

#include "runtime/image/loader.h"
#include "runtime/image/pickle.h"

namespace {

FILE* gTable = nullptr;
uint64_t gTableOffset = 0;
bool gTableTried = false;

bool ReadBigEndian(FILE* file, uint64_t at, uint32_t& value) {
  uint8_t b[4];
  if (fseeko(file, off_t(at), SEEK_SET) != 0 || fread(b, 1, 4, file) != 4) return false;
  value = uint32_t(b[0]) << 24 | uint32_t(b[1]) << 16 | uint32_t(b[2]) << 8 | b[3];
  return true;
}

FILE* Table() {
  if (gTableTried) return gTable;
  gTableTried = true;
  uint32_t offset = LoadedResourceOffset();
  if (LoadedInDevelopmentMode() || offset == 0) {
    gTable = fopen("data3.dat", "rb");
    gTableOffset = 0;
  } else if (offset != kNoResourceTable) {
    gTable = fopen("/proc/self/exe", "rb");
    gTableOffset = offset;
  }
  return gTable;
}

}  // namespace

void UseResourceTable(const char* path, uint32_t offset) {
  if (gTable) fclose(gTable);
  gTable = fopen(path, "rb");
  gTableOffset = offset;
  gTableTried = true;
}

bool FindResourceEntry(int32_t index, ResourceEntry& entry) {
  FILE* file = Table();
  uint32_t count = 0, offset = 0;
  if (file == nullptr || index < 1 || !ReadBigEndian(file, gTableOffset, count) ||
      uint32_t(index) > count || !ReadBigEndian(file, gTableOffset + 4 * uint64_t(index), offset))
    return false;
  entry = ResourceEntry{file, gTableOffset + 4 + 4 * uint64_t(count) + offset};
  return true;
}

bool ReadCursorResource(int32_t index, CursorResource& cursor) {
  ResourceEntry entry;
  uint8_t bytes[68];
  if (!FindResourceEntry(index, entry) || fseeko(entry.file, off_t(entry.position), SEEK_SET) != 0 ||
      fread(bytes, 1, sizeof bytes, entry.file) != sizeof bytes)
    return false;
  for (int i = 0; i < 32; ++i) {
    cursor.image[i] = bytes[i];
    cursor.mask[i] = bytes[32 + i];
  }
  cursor.hotSpotVertical = int16_t(bytes[64] << 8 | bytes[65]);
  cursor.hotSpotHorizontal = int16_t(bytes[66] << 8 | bytes[67]);
  return true;
}
