// The Runtime class and the object dump: the single instance and its lifetime, the debug
// methods over the live-object list (leaving the instance out), and the dump file's lines.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <unistd.h>

#include "runtime/entries/entries.h"
#include "runtime/objects/builtinclasses.h"
#include "tests/objects/objecttestsupport.h"

namespace {

using namespace objects_test;

TEST(RuntimeInstance, MadeOnceThenSharedThenForgottenWhenDestroyed) {
  ObjectHeader* first = RuntimeDebugInstance();
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(first->cls, AMX_BUILTIN_CLASS(Runtime));
  EXPECT_EQ(first->refCount, 1);  // only the caller's reference
  EXPECT_EQ(ObjectAllocationSize(first->cls), 28);
  ObjectHeader* again = RuntimeDebugInstance();
  EXPECT_EQ(again, first);
  EXPECT_EQ(first->refCount, 2);
  UnlockObject(again);
  int32_t live = LiveObjectCount();
  UnlockObject(first);  // destroyed: the runtime forgets it
  EXPECT_EQ(LiveObjectCount(), live - 1);
  ObjectHeader* fresh = RuntimeDebugInstance();
  EXPECT_EQ(fresh->refCount, 1);
  UnlockObject(fresh);
}

TEST(RuntimeInstance, MethodsSeeLiveObjectsNewestFirstWithoutTheInstance) {
  ClassRecord* named = NewClass("Named");
  ClassRecord* unnamedSub = NewClass(nullptr, named);
  ClassRecord* empty = NewClass("");
  ClassRecord* orphan = NewClass(nullptr, empty);
  ObjectHeader* older = MakeObject(named);
  ObjectHeader* self = RuntimeDebugInstance();  // between the two: still left out
  ObjectHeader* newer = MakeObject(unnamedSub);
  ObjectHeader* nameless = MakeObject(orphan);
  LockObject(newer);

  EXPECT_EQ(RuntimeDebugObjectCount(self), LiveObjectCount() - 1);
  EXPECT_EQ(uint32_t(RuntimeDebugObjectID(self, 1)), reinterpret_cast<uint32_t>(newer) ^ 0x15C7A3u);
  EXPECT_EQ(uint32_t(RuntimeDebugObjectID(self, 2)), reinterpret_cast<uint32_t>(older) ^ 0x15C7A3u);
  EXPECT_EQ(RuntimeDebugObjectRefs(self, 1), 2);
  StringRecord* name = RuntimeDebugObjectClass(self, 1);  // first named class up the chain
  EXPECT_STREQ(StringText(name), "Named");
  EXPECT_EQ(name->refCount, 2);  // the class record's and the caller's
  UnlockString(name);
  EXPECT_EQ(RuntimeDebugObjectClass(self, 0), nullptr);  // no class with a non-empty name

  int32_t count = RuntimeDebugObjectCount(self);
  for (int32_t outside : {-1, count, count + 5}) {
    EXPECT_EQ(RuntimeDebugObjectID(self, outside), 0);
    EXPECT_EQ(RuntimeDebugObjectClass(self, outside), nullptr);
    EXPECT_EQ(RuntimeDebugObjectRefs(self, outside), 0);
  }
  EXPECT_EQ(RuntimeDebugMemoryUsed(self), HeapBytesInUse());
  UnlockObject(newer);
  for (ObjectHeader* o : {older, self, newer, nameless}) UnlockObject(o);
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

TEST(ObjectDump, WritesTotalsThenOneLinePerObjectWithCarriageReturns) {
  ObjectHeader* unnamed = MakeObject(NewClass(nullptr));
  ObjectHeader* named = MakeObject(NewClass("Dumped"));
  std::string path = "/tmp/amx_dump_" + std::to_string(getpid()) + ".txt";
  StringRecord* pathString = MakeStringFromC(path.c_str());
  int32_t heap = HeapBytesInUse();
  int32_t live = LiveObjectCount();
  debugDumpObjects(pathString);
  std::string text = ReadFile(path);
  std::string expectedStart = std::to_string(heap) + " used in heap1\r" +
                              std::to_string(live) + " objects\rDumped\r<Unnamed object class>\r";
  EXPECT_EQ(text.substr(0, expectedStart.size()), expectedStart);
  EXPECT_EQ(text.find('\n'), std::string::npos);
  size_t lines = 0;
  for (char c : text) lines += c == '\r';
  EXPECT_EQ(lines, size_t(live) + 2);

  // Truncated when written again.
  UnlockObject(named);
  debugDumpObjects(pathString);
  EXPECT_LT(ReadFile(path).size(), text.size());
  std::remove(path.c_str());
  UnlockString(pathString);
  UnlockObject(unnamed);
}

TEST(ObjectDump, UncreatableFileWritesNothing) {
  StringRecord* path = MakeStringFromC("/nonexistent-directory/dump.txt");
  debugDumpObjects(path);  // no crash, no file
  EXPECT_FALSE(std::ifstream("/nonexistent-directory/dump.txt").good());
  UnlockString(path);
  debugDumpObjects(nullptr);  // the empty path cannot be created either
}

}  // namespace
