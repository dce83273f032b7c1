// Making and destroying objects: constructors root-down, destructors leaf-up, zeroed
// fields, the live-object list, reference counting with its assertion, and destruction that
// never recurses when a destructor releases other objects.
#include <gtest/gtest.h>

#include "runtime/entries/entries.h"
#include "tests/objects/objecttestsupport.h"

namespace {

using namespace objects_test;

TEST(Lifecycle, ConstructorsRunRootDownAndDestructorsLeafUp) {
  HookScope hooks;
  ClassRecord* a = NewClass("A");
  ClassRecord* b = NewClass("B", a, 28);
  ClassRecord* c = NewClass("C", b, 40);
  for (ClassRecord* cls : {a, b, c}) {
    cls->constructor = LoggingConstructor;
    cls->destructor = LoggingDestructor;
  }
  ObjectHeader* object = MakeObject(c);
  UnlockObject(object);
  EXPECT_EQ(Log(), (std::vector<std::string>{"ctor A", "ctor B", "ctor C", "dtor C", "dtor B",
                                             "dtor A"}));
}

TEST(Lifecycle, ClassesWithoutHooksAreSkipped) {
  HookScope hooks;
  ClassRecord* a = NewClass("A");
  ClassRecord* b = NewClass("B", a);
  ClassRecord* c = NewClass("C", b);
  b->constructor = LoggingConstructor;
  b->destructor = LoggingDestructor;
  UnlockObject(MakeObject(c));
  EXPECT_EQ(Log(), (std::vector<std::string>{"ctor B", "dtor B"}));
}

TEST(Lifecycle, NewObjectHasCountOneClassAndZeroFields) {
  ClassRecord* cls = NewClass("Fields", nullptr, 37);  // rounds up to 40 bytes
  auto* object = MakeObject(cls);
  EXPECT_EQ(object->refCount, 1);
  EXPECT_EQ(object->cls, cls);
  auto* words = reinterpret_cast<uint32_t*>(object);
  for (int i = 4; i < 10; ++i) EXPECT_EQ(words[i], 0u) << "word " << i;
  EXPECT_EQ(ObjectAllocationSize(cls), 40);
  UnlockObject(object);
}

TEST(Lifecycle, LiveListPutsNewestFirstAndUnlinksOnDestruction) {
  ClassRecord* cls = NewClass("Live");
  int32_t before = LiveObjectCount();
  ObjectHeader* first = MakeObject(cls);
  ObjectHeader* second = MakeObject(cls);
  ObjectHeader* third = MakeObject(cls);
  EXPECT_EQ(LiveObjects(), third);
  EXPECT_EQ(third->next, second);
  EXPECT_EQ(second->prev, third);
  EXPECT_EQ(LiveObjectCount(), before + 3);

  UnlockObject(second);  // from the middle
  EXPECT_EQ(third->next, first);
  EXPECT_EQ(first->prev, third);
  UnlockObject(third);  // the head
  EXPECT_EQ(LiveObjects(), first);
  EXPECT_EQ(first->prev, nullptr);
  UnlockObject(first);
  EXPECT_EQ(LiveObjectCount(), before);
}

TEST(Lifecycle, MemoryIsReturnedToTheHeap) {
  ClassRecord* cls = NewClass("Sized", nullptr, 100);
  int32_t before = HeapBytesInUse();
  ObjectHeader* object = MakeObject(cls);
  EXPECT_EQ(HeapBytesInUse() - before, 100);
  UnlockObject(object);
  EXPECT_EQ(HeapBytesInUse(), before);
}

TEST(Lifecycle, LockAndUnlockCountAndAcceptNil) {
  ObjectHeader* object = MakeObject(NewClass("Counted"));
  EXPECT_EQ(RuntimeLockObject(object), object);
  EXPECT_EQ(object->refCount, 2);
  RuntimeUnlockObject(object);
  EXPECT_EQ(object->refCount, 1);
  EXPECT_EQ(RuntimeLockObject(nullptr), nullptr);
  RuntimeUnlockObject(nullptr);
  RuntimeUnlockObject(object);
}

TEST(Lifecycle, UnlockingAtZeroIsReportedAndFreesNothing) {
  HookScope hooks;
  ClassRecord* cls = NewClass("Zero");
  cls->destructor = LoggingDestructor;
  ObjectHeader* object = MakeObject(cls);
  int32_t live = LiveObjectCount();
  object->refCount = 0;
  UnlockObject(object);
  object->refCount = -3;
  UnlockObject(object);
  EXPECT_EQ(Log(), (std::vector<std::string>{"assert 4 objects 462", "assert 4 objects 462"}));
  EXPECT_EQ(LiveObjectCount(), live);
  object->refCount = 1;
  UnlockObject(object);
}

// A destructor that drops the last reference to another object: that object is destroyed
// after the current one is freed, never in the middle of it.
ObjectHeader* gHeld = nullptr;
void ReleasingDestructor(ObjectHeader* object, ClassRecord* cls) {
  Log().push_back("dtor " + std::string(StringView(cls->name)) + " start");
  UnlockObject(gHeld);
  Log().push_back("dtor " + std::string(StringView(cls->name)) + " end");
}

TEST(Lifecycle, DestructionOfAReleasedObjectWaitsForTheCurrentOne) {
  HookScope hooks;
  ClassRecord* outer = NewClass("Outer");
  ClassRecord* inner = NewClass("Inner");
  outer->destructor = ReleasingDestructor;
  inner->destructor = LoggingDestructor;
  gHeld = MakeObject(inner);
  UnlockObject(MakeObject(outer));
  EXPECT_EQ(Log(), (std::vector<std::string>{"dtor Outer start", "dtor Outer end",
                                             "dtor Inner"}));
}

// References taken and dropped by a destructor cannot bring the object to 0 a second time.
void ResurrectingDestructor(ObjectHeader* object, ClassRecord*) {
  Log().push_back("count " + std::to_string(object->refCount));
  LockObject(object);
  UnlockObject(object);
}

TEST(Lifecycle, DestructorMayLockAndUnlockItsObject) {
  HookScope hooks;
  ClassRecord* cls = NewClass("Self");
  cls->destructor = ResurrectingDestructor;
  int32_t live = LiveObjectCount();
  UnlockObject(MakeObject(cls));
  EXPECT_EQ(Log(), (std::vector<std::string>{"count 1"}));
  EXPECT_EQ(LiveObjectCount(), live);
}

// A constructor that releases the object it constructs: the object is destroyed only after
// all constructors ran and it was listed, the caller gets nil, and the list stays intact.
void OverReleasingConstructor(ObjectHeader* object, ClassRecord* cls) {
  LoggingConstructor(object, cls);
  UnlockObject(object);
}

TEST(Lifecycle, ObjectReleasedByItsOwnConstructorIsDestroyedAfterConstruction) {
  HookScope hooks;
  ObjectHeader* survivor = MakeObject(NewClass("Survivor"));
  int32_t live = LiveObjectCount();
  ClassRecord* base = NewClass("Base");
  base->constructor = OverReleasingConstructor;
  base->destructor = LoggingDestructor;
  ClassRecord* leaf = NewClass("Leaf", base);
  leaf->constructor = LoggingConstructor;
  int32_t heap = HeapBytesInUse();
  EXPECT_EQ(MakeObject(leaf), nullptr);
  EXPECT_EQ(Log(), (std::vector<std::string>{"ctor Base", "ctor Leaf", "dtor Base"}));
  EXPECT_EQ(LiveObjects(), survivor);
  EXPECT_EQ(LiveObjectCount(), live);
  EXPECT_EQ(HeapBytesInUse(), heap);
  UnlockObject(survivor);
}

// A long chain (each object holding the next) is destroyed one after another, so the depth
// of the native stack does not grow with the chain.
void ChainDestructor(ObjectHeader* object, ClassRecord*) {
  UnlockObject(reinterpret_cast<ObjectHeader**>(object)[4]);
}

TEST(Lifecycle, LongChainsAreDestroyedIteratively) {
  ClassRecord* cls = NewClass("Link");
  cls->destructor = ChainDestructor;
  int32_t live = LiveObjectCount();
  int32_t heap = HeapBytesInUse();
  ObjectHeader* head = nullptr;
  for (int i = 0; i < 100000; ++i) {
    ObjectHeader* link = MakeObject(cls);
    reinterpret_cast<ObjectHeader**>(link)[4] = head;
    head = link;
  }
  UnlockObject(head);
  EXPECT_EQ(LiveObjectCount(), live);
  EXPECT_EQ(HeapBytesInUse(), heap);
}

}  // namespace
