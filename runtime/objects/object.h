// ObjectHeader: the first four words of every object of the language. Compiled code reads
// these words directly, so the layout is fixed. Classes and the live-object list are in
// runtime/objects/class.h and runtime/objects/objects.cpp.
#pragma once
#include <cstddef>
#include <cstdint>

struct ClassRecord;

struct ObjectHeader {
  int32_t refCount;     // starts at 1; never stays at 0 (destruction resets it to 1)
  ClassRecord* cls;     // the object's class
  ObjectHeader* prev;   // toward the head of the live-object list (nil at the head)
  ObjectHeader* next;   // away from the head (nil at the end)
};
static_assert(sizeof(ObjectHeader) == 16);
static_assert(offsetof(ObjectHeader, refCount) == 0);
static_assert(offsetof(ObjectHeader, cls) == 4);
static_assert(offsetof(ObjectHeader, prev) == 8);
static_assert(offsetof(ObjectHeader, next) == 12);
