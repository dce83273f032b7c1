// The link-time name comparison (ASCII letters without case, every other byte as itself)
// and the walk over a table of slots. Kept apart from the table itself so that tools and
// benchmarks can use it on tables of their own.
#include "runtime/entries/entrytable.h"

namespace {

inline unsigned char AsciiUpper(unsigned char c) { return c >= 'a' && c <= 'z' ? c - 32 : c; }

bool NamesEqualIgnoringCase(const char* a, const char* b) {
  for (; *a && *b; ++a, ++b)
    if (AsciiUpper(*a) != AsciiUpper(*b)) return false;
  return *a == *b;
}

}  // namespace

int32_t FindEntrySlotIn(const EntrySlot* table, size_t slots, const char* name) {
  // Most names differ in their first letter: test it before walking the rest.
  unsigned char first = AsciiUpper(static_cast<unsigned char>(name[0]));
  for (size_t i = 0; i < slots; ++i) {
    const char* slotName = table[i].name;
    if (slotName && AsciiUpper(static_cast<unsigned char>(slotName[0])) == first &&
        NamesEqualIgnoringCase(slotName, name))
      return int32_t(i);
  }
  return -1;
}
