// Class questions: is-a and casts (classes and interfaces), the event handler lookups with
// their shadowing rule, virtual and interface tables, and the built-in class registry.
#include <gtest/gtest.h>

#include "runtime/entries/entries.h"
#include "runtime/entries/entrytable.h"
#include "runtime/objects/builtinclasses.h"
#include "runtime/objects/builtins/builtins.h"
#include "runtime/objects/typedescriptor.h"
#include "tests/objects/objecttestsupport.h"

namespace {

using namespace objects_test;

TEST(Isa, ClassesAndSuperclassesButNotSubclassesOrStrangers) {
  ClassRecord* base = NewClass("Base");
  ClassRecord* derived = NewClass("Derived", base);
  ClassRecord* other = NewClass("Other");
  ObjectHeader* object = MakeObject(derived);
  EXPECT_TRUE(ObjectIsa(object, derived));
  EXPECT_TRUE(ObjectIsa(object, base));
  EXPECT_FALSE(ObjectIsa(object, other));
  ObjectHeader* baseObject = MakeObject(base);
  EXPECT_FALSE(ObjectIsa(baseObject, derived));
  EXPECT_FALSE(ObjectIsa(nullptr, base));
  EXPECT_FALSE(ObjectIsa(object, nullptr));
  UnlockObject(object);
  UnlockObject(baseObject);
}

TEST(Isa, InterfacesListedByTheClassOrASuperclass) {
  ClassRecord* printable = NewClass("Printable");
  printable->isInterface = 1;
  ClassRecord* base = NewClass("Base");
  ClassRecord* derived = NewClass("Derived", base);
  Implements(base, printable);
  ObjectHeader* object = MakeObject(derived);
  EXPECT_TRUE(ObjectIsa(object, printable));
  ObjectHeader* plain = MakeObject(NewClass("Plain"));
  EXPECT_FALSE(ObjectIsa(plain, printable));
  UnlockObject(object);
  UnlockObject(plain);
}

TEST(Isa, ASuperclassChainThatLoopsEnds) {
  ClassRecord* a = NewClass("A");
  ClassRecord* b = NewClass("B", a);
  a->superclass = b;  // only a damaged image could do this
  EXPECT_FALSE(ClassIsa(a, NewClass("C")));
  a->superclass = nullptr;
}

TEST(EventHandler, HandlerClosestToTheDeclaringClassWins) {
  ClassRecord* declaring = NewClass("Control");
  EventDeclaration* action = Declare(declaring, "Action");
  ClassRecord* middle = NewClass("Middle", declaring);
  ClassRecord* leaf = NewClass("Leaf", middle);
  AddHandler(middle, "Action", Code(1));
  AddHandler(leaf, "action", Code(2));  // names compare ignoring case
  ObjectHeader* object = MakeObject(leaf);
  EXPECT_EQ(FindEventHandler(object, action), Code(1));
  UnlockObject(object);
}

TEST(EventHandler, LaterEntriesOfOneClassWin) {
  ClassRecord* declaring = NewClass("Control");
  EventDeclaration* action = Declare(declaring, "Action");
  ClassRecord* leaf = NewClass("Leaf", declaring);
  AddHandler(leaf, "Action", Code(1));
  AddHandler(leaf, "Action", Code(2));
  ObjectHeader* object = MakeObject(leaf);
  EXPECT_EQ(FindEventHandler(object, action), Code(2));
  UnlockObject(object);
}

TEST(EventHandler, RedeclarationHidesHandlersBelowIt) {
  ClassRecord* declaring = NewClass("Control");
  EventDeclaration* open = Declare(declaring, "Open");
  ClassRecord* middle = NewClass("Middle", declaring);
  Declare(middle, "Open");  // its own event of the same name
  ClassRecord* leaf = NewClass("Leaf", middle);
  AddHandler(leaf, "Open", Code(1));
  ObjectHeader* object = MakeObject(leaf);
  EXPECT_EQ(FindEventHandler(object, open), nullptr);
  // A handler above the redeclaring class still handles the outer declaration.
  AddHandler(middle, "Open", Code(3));
  EXPECT_EQ(FindEventHandler(object, open), Code(3));
  UnlockObject(object);
}

TEST(EventHandler, DeclaringClassNeverHandlesItsOwnEvent) {
  ClassRecord* declaring = NewClass("Control");
  EventDeclaration* action = Declare(declaring, "Action");
  AddHandler(declaring, "Action", Code(1));
  ObjectHeader* object = MakeObject(declaring);
  EXPECT_EQ(FindEventHandler(object, action), nullptr);
  UnlockObject(object);
}

TEST(EventHandler, DeclarationOutsideTheChainFindsNothing) {
  ClassRecord* elsewhere = NewClass("Elsewhere");
  EventDeclaration* action = Declare(elsewhere, "Action");
  ClassRecord* leaf = NewClass("Leaf");
  AddHandler(leaf, "Action", Code(1));
  ObjectHeader* object = MakeObject(leaf);
  EXPECT_EQ(FindEventHandler(object, action), nullptr);
  UnlockObject(object);
}

TEST(EventHandler, NilObjectAndNilDeclaration) {
  HookScope hooks;
  ClassRecord* declaring = NewClass("Control");
  EventDeclaration* action = Declare(declaring, "Action");
  EXPECT_EQ(FindEventHandler(nullptr, action), nullptr);
  EXPECT_TRUE(Log().empty());
  ObjectHeader* object = MakeObject(declaring);
  EXPECT_EQ(FindEventHandler(object, nullptr), nullptr);
  EXPECT_EQ(Log(), (std::vector<std::string>{"assert 4 objects 5799"}));
  UnlockObject(object);
}

TEST(HookCode, FirstMatchingKeyFromTheObjectsClassUp) {
  ClassRecord* base = NewClass("Base");
  ClassRecord* leaf = NewClass("Leaf", base);
  AddHandler(base, "Changed", Code(1), 7);
  AddHandler(base, "Other", Code(2), 8);
  AddHandler(leaf, "Changed", Code(3), 7);
  AddHandler(leaf, "Changed", Code(4), 7);
  ObjectHeader* object = MakeObject(leaf);
  EXPECT_EQ(RuntimeFindHookCode(object, 7), Code(3));
  EXPECT_EQ(RuntimeFindHookCode(object, 8), Code(2));
  EXPECT_EQ(RuntimeFindHookCode(object, 9), nullptr);
  EXPECT_EQ(RuntimeFindHookCode(nullptr, 7), nullptr);
  UnlockObject(object);
}

TEST(VTable, SlotOfTheObjectsClass) {
  ClassRecord* cls = NewClass("Virtual");
  CodeAddress table[3] = {Code(0), Code(1), Code(2)};
  cls->vtable = table;
  cls->vtableLength = 3;
  ObjectHeader* object = MakeObject(cls);
  EXPECT_EQ(FindVTableCode(object, 2), Code(2));
  EXPECT_EQ(FindVTableCode(object, 3), nullptr);
  EXPECT_EQ(FindVTableCode(object, -1), nullptr);
  EXPECT_EQ(FindVTableCode(nullptr, 0), nullptr);
  UnlockObject(object);
}

TEST(Registry, BuiltInClassesAreRegisteredAndDescribed) {
  ClassRecord* object = FindBuiltinClass("object");
  ASSERT_NE(object, nullptr);
  EXPECT_EQ(object, AMX_BUILTIN_CLASS(Object));
  EXPECT_EQ(object->superclass, nullptr);
  EXPECT_EQ(object->instanceSize, 24);
  EXPECT_EQ(object->builtIn, 1);
  EXPECT_EQ(object->kind, kClassRecordKind);
  EXPECT_EQ(object->constructor, nullptr);
  EXPECT_EQ(object->properties, nullptr);

  ClassRecord* runtime = FindBuiltinClass("RUNTIME");
  ASSERT_NE(runtime, nullptr);
  EXPECT_EQ(runtime->instanceSize, 28);
  EXPECT_EQ(runtime->superclass, object);
  MethodEntry* count = FindMethod(runtime, "objectcount");
  ASSERT_NE(count, nullptr);
  EXPECT_EQ(count->entry, reinterpret_cast<CodeAddress>(&RuntimeDebugObjectCount));
  EXPECT_EQ(count->returnType, FindTypeDescriptor("Integer"));
  EXPECT_EQ(count->parameterCount, 0);
  MethodEntry* id = FindMethod(runtime, "ObjectID");
  ASSERT_NE(id, nullptr);
  ASSERT_EQ(id->parameterCount, 1);
  EXPECT_EQ(id->parameterTypes[0], FindTypeDescriptor("Integer"));
  EXPECT_EQ(FindBuiltinClass("NoSuchClass"), nullptr);
}

TEST(Registry, EveryDescribedClassHasARecordInTheListOfAllClasses) {
  for (int32_t i = 0; i < builtins::kClassCount; ++i) {
    const builtins::ClassInfo& info = builtins::kClasses[i];
    ClassRecord* cls = FindBuiltinClass(info.name);
    if (cls == nullptr) continue;  // a family only the compiler reads so far
    EXPECT_EQ(cls->instanceSize, info.instanceSize) << info.name;
    bool listed = false;
    for (ClassRecord* at = AllClasses(); at != nullptr; at = at->nextClass) listed |= at == cls;
    EXPECT_TRUE(listed) << info.name;
    if (info.superclass[0] != 0) {
      ASSERT_NE(cls->superclass, nullptr) << info.name;
      EXPECT_STREQ(StringText(cls->superclass->name), info.superclass);
    }
  }
}

// The compiler links accessor and method calls by the entry names of the shared description;
// every name of a class the runtime builds must be a routine of the EntryTable, and the
// runtime's record must hold that very routine.
TEST(Registry, DescribedEntryNamesResolveToTheRoutinesTheRecordsHold) {
  for (int32_t i = 0; i < builtins::kPropertyCount; ++i) {
    const builtins::PropertyInfo& info = builtins::kProperties[i];
    ClassRecord* cls = FindBuiltinClass(info.className);
    if (cls == nullptr) continue;  // described for the compiler only so far
    SCOPED_TRACE(std::string(info.className) + "." + info.name);
    PropertyEntry* property = FindProperty(cls, info.name);
    ASSERT_NE(property, nullptr);
    if (info.getter != nullptr) EXPECT_EQ(FindEntryAtLink(info.getter), property->getter);
    if (info.setter != nullptr) EXPECT_EQ(FindEntryAtLink(info.setter), property->setter);
    EXPECT_EQ(property->parameter, info.parameter);
  }
  for (int32_t i = 0; i < builtins::kMethodCount; ++i) {
    const builtins::MethodInfo& info = builtins::kMethods[i];
    ClassRecord* cls = FindBuiltinClass(info.className);
    if (cls == nullptr) continue;
    SCOPED_TRACE(std::string(info.className) + "." + info.name);
    MethodEntry* method = FindMethod(cls, info.name);
    ASSERT_NE(method, nullptr);
    EXPECT_NE(method->entry, nullptr);
    EXPECT_EQ(FindEntryAtLink(info.entry), method->entry);
  }
  for (int32_t i = 0; i < builtins::kEventCount; ++i) {
    const builtins::EventInfo& info = builtins::kEvents[i];
    ClassRecord* cls = FindBuiltinClass(info.className);
    if (cls == nullptr) continue;
    EXPECT_NE(FindEventDeclaration(cls, info.name), nullptr) << info.className << "." << info.name;
  }
}

TEST(Registry, BuiltInEventSlotsHoldTheDeclarations) {
  ClassRecord* application = FindBuiltinClass("Application");
  if (application == nullptr) GTEST_SKIP() << "no Application class described yet";
  EventDeclaration* open = FindEventDeclaration(application, "Open");
  ASSERT_NE(open, nullptr);
  EventDeclaration* document = FindEventDeclaration(application, "OpenDocument");
  ASSERT_NE(document, nullptr);
  EXPECT_STREQ(StringText(document->parameterText), "item As FolderItem");
  EXPECT_EQ(document->returnText, nullptr);
  EventDeclaration* apple = FindEventDeclaration(application, "HandleAppleEvent");
  ASSERT_NE(apple, nullptr);
  EXPECT_STREQ(StringText(apple->returnText), "Boolean");
  EXPECT_STREQ(StringText(application->secondName), "RUDozudivovoz");
}

TEST(Registry, RegisteringTheSameNameReplaces) {
  ClassRecord* first = NewClass("TestRegistered");
  ClassRecord* second = NewClass("testregistered");
  RegisterClass(first);
  RegisterClass(second);
  EXPECT_EQ(FindBuiltinClass("TESTREGISTERED"), second);
  RegisterClass(NewClass(nullptr));  // unnamed: ignored
}

}  // namespace
