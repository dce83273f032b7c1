// The EntryTable lookups: names in any letter case, empty slots skipped, the earlier of two
// equal names wins; the name map for plug-ins answers like the link-time lookup.
#include <gtest/gtest.h>

#include <string>

#include "runtime/entries/entrytable.h"
#include "runtime/entries/namemap.h"
#include "runtime/objects/stringmap.h"

namespace {

int gFirst, gSecond, gOther;

const EntrySlot kSlots[] = {
    {nullptr, nullptr, 0, 0},
    {"RuntimeInit", &gFirst, 0, 0},
    {"getSerialPortCount", &gOther, 0, 0},
    {"RUNTIMEINIT", &gSecond, 0, 0},
    {nullptr, nullptr, 0, 0},
};

TEST(EntryLookup, CaseIsIgnoredAndTheEarlierSlotWins) {
  struct Case {
    const char* name;
    int32_t slot;
  };
  const Case cases[] = {
      {"RuntimeInit", 1}, {"runtimeinit", 1}, {"RUNTIMEINIT", 1}, {"GETSERIALPORTCOUNT", 2},
      {"RuntimeIni", -1}, {"RuntimeInitX", -1}, {"", -1},
  };
  for (const Case& c : cases) EXPECT_EQ(FindEntrySlotIn(kSlots, 5, c.name), c.slot) << c.name;
}

TEST(EntryLookup, OnlyAsciiLettersFoldForTheLinker) {
  const EntrySlot slots[] = {{"caf\xE9", &gFirst, 0, 0}};
  EXPECT_EQ(FindEntrySlotIn(slots, 1, "CAF\xE9"), 0);
  EXPECT_EQ(FindEntrySlotIn(slots, 1, "CAF\xC9"), -1);
}

TEST(EntryTableShape, EveryNamedSlotIsReachableAndReservedWordsAreZero) {
  size_t named = 0;
  for (size_t i = 0; i < kEntryTableSlots; ++i) {
    const EntrySlot& slot = EntryTable[i];
    EXPECT_EQ(slot.reserved1, 0u);
    EXPECT_EQ(slot.reserved2, 0u);
    if (slot.name == nullptr) continue;
    ++named;
    EXPECT_NE(slot.routine, nullptr) << slot.name;
    int32_t found = FindEntrySlot(slot.name);
    ASSERT_GE(found, 0) << slot.name;
    EXPECT_LE(size_t(found), i) << slot.name;  // a repeated name resolves to its first slot
  }
  EXPECT_EQ(EntryTable[kEntryTableSlots - 1].name, nullptr);  // spare slots at the end
  if (named > 0) {
    std::string lower = EntryTable[0].name;
    for (char& c : lower) c = char(tolower(c));
    EXPECT_EQ(FindEntryAtLink(lower.c_str()), EntryTable[0].routine);
  }
}

TEST(EntryNameMap, FirstSlotKeepsANameAndCaseIsIgnored) {
  StringMap* map = BuildEntryNameMap(kSlots, 5);
  EXPECT_EQ(map->Count(), 2);
  auto routineOf = [&](const char* name) {
    auto* slot = static_cast<const EntrySlot*>(map->Get(name));
    return slot ? slot->routine : nullptr;
  };
  EXPECT_EQ(routineOf("runtimeINIT"), &gFirst);
  EXPECT_EQ(routineOf("GetSerialPortCount"), &gOther);
  EXPECT_EQ(routineOf("Missing"), nullptr);
  DeleteStringMap(map);
}

TEST(EntryNameMap, PluginLookupIsBuiltOnceOnFirstUse) {
  EXPECT_EQ(LookupEntryByName("NoSuchEntryAnywhere"), nullptr);
  EXPECT_TRUE(EntryNameMapBuilt());
  EXPECT_EQ(LookupEntryByName(nullptr), nullptr);
  for (size_t i = 0; i < kEntryTableSlots; ++i) {
    if (EntryTable[i].name == nullptr) continue;
    EXPECT_EQ(LookupEntryByName(EntryTable[i].name), FindEntryAtLink(EntryTable[i].name))
        << EntryTable[i].name;
  }
}

}  // namespace
