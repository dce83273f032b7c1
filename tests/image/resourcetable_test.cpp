// The resource table: big-endian count and offsets, 1-based indexes, 68-byte cursor entries,
// and tables whose numbers point past the file.
#include <gtest/gtest.h>

#include <fstream>

#include "runtime/image/resourcetable.h"
#include "tests/image/imagetestsupport.h"

namespace {

using imagekit::Bytes;

void AppendBigEndian(Bytes& b, uint32_t v) {
  for (int shift = 24; shift >= 0; shift -= 8) b.push_back(uint8_t(v >> shift));
}

// A file with `lead` bytes before a table of two entries: a cursor, then 3 other bytes.
std::string WriteTable(const ScratchDir& dir, size_t lead, uint32_t count) {
  Bytes file(lead, 0xEE);
  AppendBigEndian(file, count);
  AppendBigEndian(file, 0);   // entry 1 at the start of the data
  AppendBigEndian(file, 68);  // entry 2 after the cursor
  for (int i = 0; i < 64; ++i) file.push_back(uint8_t(i));
  file.insert(file.end(), {0x00, 0x07, 0xFF, 0xFE});  // hot spot: vertical 7, horizontal -2
  file.insert(file.end(), {1, 2, 3});
  std::string path = dir.path() + "/data3.dat";
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(file.data()), std::streamsize(file.size()));
  return path;
}

TEST(ResourceTable, IndexesCountFromOneAndCursorsDecode) {
  ScratchDir dir;
  UseResourceTable(WriteTable(dir, 100, 2).c_str(), 100);
  ResourceEntry entry;
  ASSERT_TRUE(FindResourceEntry(1, entry));
  EXPECT_EQ(entry.position, 100u + 4 + 8);
  ASSERT_TRUE(FindResourceEntry(2, entry));
  EXPECT_EQ(entry.position, 100u + 4 + 8 + 68);
  for (int32_t bad : {0, -1, 3}) EXPECT_FALSE(FindResourceEntry(bad, entry)) << bad;
  CursorResource cursor;
  ASSERT_TRUE(ReadCursorResource(1, cursor));
  EXPECT_EQ(cursor.image[31], 31);
  EXPECT_EQ(cursor.mask[0], 32);
  EXPECT_EQ(cursor.hotSpotVertical, 7);
  EXPECT_EQ(cursor.hotSpotHorizontal, -2);
  EXPECT_FALSE(ReadCursorResource(2, cursor));  // only 3 bytes: not a cursor
}

TEST(ResourceTable, CountsBeyondTheFileFindNothing) {
  ScratchDir dir;
  UseResourceTable(WriteTable(dir, 0, 1000).c_str(), 0);
  ResourceEntry entry;
  CursorResource cursor;
  EXPECT_FALSE(FindResourceEntry(500, entry));  // its offset word is past the end
  EXPECT_FALSE(ReadCursorResource(2, cursor));
  UseResourceTable((dir.path() + "/missing").c_str(), 0);
  EXPECT_FALSE(FindResourceEntry(1, entry));
}

}  // namespace
