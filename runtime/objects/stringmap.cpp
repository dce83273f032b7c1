// StringMap: 256 hash buckets of chained nodes plus an insertion-order list. Nodes are
// tagged runtime records; the map keeps a reference to each key string.
#include "runtime/objects/stringmap.h"

#include <cstring>
#include <new>

#include "runtime/objects/heap.h"
#include "runtime/objects/namefold.h"
#include "runtime/objects/strings.h"

uint32_t StringMapHash(const void* bytes, int32_t length) {
  const auto* p = static_cast<const uint8_t*>(bytes);
  uint32_t hash = 0;
  for (int32_t i = 0; i < length; ++i) {
    uint8_t byte = p[i];
    if (byte >= 'a' && byte <= 'z') byte = static_cast<uint8_t>(byte - 'a' + 'A');
    hash = (hash << 2) ^ static_cast<uint32_t>(static_cast<int32_t>(static_cast<int8_t>(byte)));
  }
  return hash;
}

namespace {

bool KeyEquals(const StringMapEntry* entry, const void* bytes, int32_t length) {
  return NameBytesEqual(StringBytes(entry->key), StringLength(entry->key), bytes, length);
}

}  // namespace

StringMapEntry* StringMap::Find(const void* bytes, int32_t length) const {
  if (length < 0) length = 0;
  StringMapEntry* entry = buckets_[StringMapHash(bytes, length) & 0xFF];
  while (entry != nullptr && !KeyEquals(entry, bytes, length)) entry = entry->bucketNext;
  return entry;
}

void StringMap::Put(StringRecord* key, void* value) {
  StringMapEntry* existing = Find(StringBytes(key), StringLength(key));
  if (existing != nullptr) {
    existing->value = value;
    return;
  }
  auto* entry = static_cast<StringMapEntry*>(TaggedAlloc(sizeof(StringMapEntry)));
  entry->key = LockString(key);
  entry->value = value;
  uint32_t bucket = StringMapHash(StringBytes(key), StringLength(key)) & 0xFF;
  entry->bucketNext = buckets_[bucket];
  buckets_[bucket] = entry;
  entry->orderPrev = last_;
  entry->orderNext = nullptr;
  if (last_ != nullptr) last_->orderNext = entry; else first_ = entry;
  last_ = entry;
  ++count_;
}

void StringMap::Put(const char* key, void* value) {
  StringRecord* record = MakeStringFromC(key);
  Put(record, value);
  UnlockString(record);
}

void* StringMap::Get(const void* bytes, int32_t length) const {
  StringMapEntry* entry = Find(bytes, length);
  return entry != nullptr ? entry->value : nullptr;
}

void* StringMap::Get(const StringRecord* key) const {
  return Get(StringBytes(key), StringLength(key));
}

void* StringMap::Get(const char* key) const {
  return Get(key, key != nullptr ? static_cast<int32_t>(std::strlen(key)) : 0);
}

bool StringMap::Remove(const StringRecord* key) {
  StringMapEntry* entry = Find(StringBytes(key), StringLength(key));
  if (entry == nullptr) return false;
  uint32_t bucket = StringMapHash(StringBytes(entry->key), StringLength(entry->key)) & 0xFF;
  StringMapEntry** link = &buckets_[bucket];
  while (*link != entry) link = &(*link)->bucketNext;
  *link = entry->bucketNext;
  if (entry->orderPrev != nullptr) entry->orderPrev->orderNext = entry->orderNext;
  else first_ = entry->orderNext;
  if (entry->orderNext != nullptr) entry->orderNext->orderPrev = entry->orderPrev;
  else last_ = entry->orderPrev;
  UnlockString(entry->key);
  TaggedFree(entry);
  --count_;
  return true;
}

void StringMap::Clear() {
  StringMapEntry* entry = first_;
  while (entry != nullptr) {
    StringMapEntry* next = entry->orderNext;
    UnlockString(entry->key);
    TaggedFree(entry);
    entry = next;
  }
  std::memset(buckets_, 0, sizeof(buckets_));
  first_ = last_ = nullptr;
  count_ = 0;
}

StringMap* NewStringMap() {
  return new (TaggedAlloc(sizeof(StringMap))) StringMap();
}

void DeleteStringMap(StringMap* map) {
  if (map == nullptr) return;
  map->~StringMap();
  TaggedFree(map);
}
