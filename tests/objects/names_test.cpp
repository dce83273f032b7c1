// The name fold table, name comparison, and StringMap: hashing, case-insensitive keys,
// replacement, removal and insertion-order iteration.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "runtime/objects/heap.h"
#include "runtime/objects/namefold.h"
#include "runtime/objects/stringmap.h"
#include "runtime/objects/strings.h"

namespace {

TEST(NameFold, LettersAndTheUpperHalfPairs) {
  struct Case {
    uint8_t from, to;
  } cases[] = {{'a', 'A'}, {'z', 'Z'}, {'A', 'A'}, {'0', '0'},  {'_', '_'},  {0x87, 0xE7},
               {0x8A, 0x80}, {0x9F, 0x86}, {0xBE, 0xAE}, {0xBF, 0xAF}, {0xCF, 0xCE}, {0xD8, 0xD9},
               {0xF5, 0x49}, {0xE7, 0xE7}, {0x80, 0x80}, {0xFF, 0xFF}, {0x00, 0x00}, {'{', '{'}};
  for (const Case& c : cases) EXPECT_EQ(NameFold(c.from), c.to) << int(c.from);
  int changed = 0;
  for (int i = 0; i < 256; ++i) changed += kNameFoldTable[i] != i;
  EXPECT_EQ(changed, 26 + 30);
}

TEST(NameFold, ComparisonFoldsThenOrdersByByteThenLength) {
  struct Case {
    const char* a;
    const char* b;
    int32_t expected;
  } cases[] = {
      {"Open", "OPEN", 0},   {"open", "opens", -1}, {"Close", "Clos", 1},
      {"", "", 0},           {"a", "", 1},          {"abc", "abd", -1},
      {"\x8A", "\x80", 0},   {"\xF5", "i", 0},      {"\xFF", "a", 1},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(CompareNameBytes(c.a, int32_t(strlen(c.a)), c.b, int32_t(strlen(c.b))), c.expected)
        << c.a << " / " << c.b;
  }
  EXPECT_TRUE(NameBytesEqual(nullptr, 0, "", 0));
}

TEST(StringMapHash, SignedBytesShiftedAndFolded) {
  EXPECT_EQ(StringMapHash("", 0), 0u);
  EXPECT_EQ(StringMapHash("A", 1), 0x41u);
  EXPECT_EQ(StringMapHash("ab", 2), (0x41u << 2) ^ 0x42u);
  EXPECT_EQ(StringMapHash("AB", 2), StringMapHash("ab", 2));
  // 0xE9 is taken as -23: the XOR sign-extends.
  EXPECT_EQ(StringMapHash("\xE9", 1), 0xFFFFFFE9u);
  EXPECT_EQ(StringMapHash("a\xE9", 2), (0x41u << 2) ^ 0xFFFFFFE9u);
  // Bytes of the upper half are not folded by the hash (only a-z are).
  EXPECT_NE(StringMapHash("\x8A", 1), StringMapHash("\x80", 1));
}

TEST(StringMap, KeysCompareIgnoringCaseAndReplace) {
  StringMap map;
  int one = 1, two = 2, three = 3;
  map.Put("PushButton", &one);
  map.Put("EditField", &two);
  EXPECT_EQ(map.Get("pushbutton"), &one);
  EXPECT_EQ(map.Get("EDITFIELD"), &two);
  EXPECT_EQ(map.Get("Push"), nullptr);
  map.Put("PUSHBUTTON", &three);
  EXPECT_EQ(map.Count(), 2);
  EXPECT_EQ(map.Get("PushButton"), &three);
  EXPECT_STREQ(StringText(map.First()->key), "PushButton");  // first spelling kept
}

TEST(StringMap, IterationFollowsInsertionOrderAcrossBuckets) {
  StringMap map;
  std::vector<std::string> names;
  for (int i = 0; i < 600; ++i) names.push_back("Item" + std::to_string(i * 7919 % 1000));
  for (size_t i = 0; i < names.size(); ++i) map.Put(names[i].c_str(), reinterpret_cast<void*>(i + 1));
  std::vector<std::string> seen;
  for (StringMapEntry* e = map.First(); e != nullptr; e = e->orderNext)
    seen.emplace_back(StringView(e->key));
  EXPECT_EQ(seen, names);
  for (size_t i = 0; i < names.size(); ++i)
    ASSERT_EQ(map.Get(names[i].c_str()), reinterpret_cast<void*>(i + 1));
}

TEST(StringMap, RemoveKeepsOrderAndLookups) {
  StringMap map;
  for (const char* name : {"a", "b", "c", "d"}) map.Put(name, const_cast<char*>(name));
  StringRecord* b = MakeStringFromC("B");
  StringRecord* d = MakeStringFromC("d");
  StringRecord* x = MakeStringFromC("x");
  EXPECT_TRUE(map.Remove(b));
  EXPECT_TRUE(map.Remove(d));  // the last one
  EXPECT_FALSE(map.Remove(x));
  std::string order;
  for (StringMapEntry* e = map.First(); e != nullptr; e = e->orderNext) order += StringView(e->key);
  EXPECT_EQ(order, "ac");
  EXPECT_EQ(map.Get("b"), nullptr);
  EXPECT_NE(map.Get("c"), nullptr);
  map.Put("e", nullptr);
  EXPECT_EQ(map.Count(), 3);
  for (StringRecord* s : {b, d, x}) UnlockString(s);
}

TEST(StringMap, EmptyAndNilKeysAreTheEmptyName) {
  StringMap map;
  int value = 5;
  map.Put(static_cast<StringRecord*>(nullptr), &value);
  EXPECT_EQ(map.Get(""), &value);
  EXPECT_EQ(map.Get(static_cast<const char*>(nullptr)), &value);
}

TEST(StringMap, HoldsKeysAndReleasesEverythingItMade) {
  int32_t before = HeapBytesInUse();
  StringMap* map = NewStringMap();
  StringRecord* key = MakeStringFromC("Window1");
  map->Put(key, nullptr);
  EXPECT_EQ(key->refCount, 2);
  for (int i = 0; i < 50; ++i) map->Put(("k" + std::to_string(i)).c_str(), nullptr);
  DeleteStringMap(map);
  EXPECT_EQ(key->refCount, 1);
  UnlockString(key);
  EXPECT_EQ(HeapBytesInUse(), before);
}

}  // namespace
