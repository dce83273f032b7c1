// StringMap: the runtime's map from a name to a 32-bit value (the class registry, the entry
// name map, a window's controls). 256 buckets; names compare ignoring case through the name
// fold table; iteration follows insertion order. Entry points: NewStringMap, Put, Get.
#pragma once
#include <cstdint>

#include "runtime/objects/string.h"

// Hash of a key: over its bytes in order, a-z taken as A-Z and each byte as a signed 8-bit
// value, hash = (hash << 2) ^ byte from 0. The bucket is the low 8 bits.
uint32_t StringMapHash(const void* bytes, int32_t length);

struct StringMapEntry {
  StringRecord* key;  // the map's own reference
  void* value;
  StringMapEntry* bucketNext;
  StringMapEntry* orderPrev;  // insertion order
  StringMapEntry* orderNext;
};

// Nodes are tagged runtime records (TaggedAlloc). The map holds a reference to every key;
// values are not counted (a holder that wants counted values locks them itself).
class StringMap {
 public:
  static constexpr int32_t kBucketCount = 256;

  StringMap() = default;
  StringMap(const StringMap&) = delete;
  StringMap& operator=(const StringMap&) = delete;
  ~StringMap() { Clear(); }

  // Inserting an existing key (ignoring case) replaces its value and keeps its place and its
  // first spelling. A nil key is the empty name.
  void Put(StringRecord* key, void* value);
  void Put(const char* key, void* value);
  // nil when absent.
  void* Get(const StringRecord* key) const;
  void* Get(const char* key) const;
  void* Get(const void* bytes, int32_t length) const;
  StringMapEntry* Find(const void* bytes, int32_t length) const;
  bool Remove(const StringRecord* key);
  void Clear();

  int32_t Count() const { return count_; }
  // Insertion order: for (auto* e = map.First(); e; e = e->orderNext).
  StringMapEntry* First() const { return first_; }

 private:
  StringMapEntry* buckets_[kBucketCount] = {};
  StringMapEntry* first_ = nullptr;
  StringMapEntry* last_ = nullptr;
  int32_t count_ = 0;
};

// A map in a tagged runtime record, for holders that keep a pointer.
StringMap* NewStringMap();
void DeleteStringMap(StringMap* map);
