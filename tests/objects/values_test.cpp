// The scalar type descriptors with their text conversions, and the shared offset accessors
// that built-in properties use (counted strings and objects, bounds of the field).
#include <gtest/gtest.h>

#include "runtime/entries/entries.h"
#include "runtime/objects/typedescriptor.h"
#include "tests/objects/objecttestsupport.h"

namespace {

using namespace objects_test;

TEST(TypeDescriptors, SevenInOrderWithConversionsWhereTheyExist) {
  const char* names[] = {"String", "Integer", "Boolean", "Single", "Double", "Form", "Color"};
  for (int32_t i = 0; i < kScalarTypeCount; ++i) {
    TypeDescriptor* type = ScalarType(i);
    ASSERT_NE(type, nullptr);
    EXPECT_EQ(type->kind, kTypeDescriptorKind);
    EXPECT_STREQ(StringText(type->name), names[i]);
    EXPECT_EQ(FindTypeDescriptor(names[i]), type);
    bool converts = i <= 2 || i == 6;
    EXPECT_EQ(type->toText != nullptr, converts) << names[i];
    EXPECT_EQ(type->fromText != nullptr, converts) << names[i];
    EXPECT_EQ(type->retain != nullptr, i == 0) << names[i];
    EXPECT_EQ(type->release != nullptr, i == 0) << names[i];
    EXPECT_FALSE(IsClassReference(type));
  }
  EXPECT_EQ(ScalarType(7), nullptr);
  EXPECT_EQ(FindTypeDescriptor("color"), ScalarType(6));
  EXPECT_EQ(FindTypeDescriptor("Colour"), nullptr);
  EXPECT_TRUE(IsClassReference(ResolveTypeReference("Object")));
  EXPECT_EQ(ResolveTypeReference(""), nullptr);
}

std::string ToText(int32_t type, uint32_t value) {
  StringRecord* text = ScalarType(type)->toText(value);
  std::string result(StringView(text));
  UnlockString(text);
  return result;
}

uint32_t FromText(int32_t type, const char* text) {
  StringRecord* s = MakeStringFromC(text);
  uint32_t value = 0xDEADBEEF;
  EXPECT_TRUE(ScalarType(type)->fromText(s, &value));
  UnlockString(s);
  return value;
}

TEST(TypeDescriptors, IntegerAndColorText) {
  EXPECT_EQ(ToText(1, 0), "0");
  EXPECT_EQ(ToText(1, uint32_t(-42)), "-42");
  EXPECT_EQ(ToText(1, 0x80000000u), "-2147483648");
  EXPECT_EQ(ToText(6, 0x00FF8000u), "16744448");
  struct Case {
    const char* text;
    int32_t value;
  } cases[] = {{"123", 123},       {"  \t-45x", -45},       {"+7", 7},
               {"", 0},            {"abc", 0},              {"-", 0},
               {" 12 34", 12},     {"2147483647", 2147483647}, {"-2147483648", INT32_MIN},
               {"99999999999", INT32_MAX}, {"-99999999999", INT32_MIN}, {"007", 7}};
  for (const Case& c : cases) {
    EXPECT_EQ(int32_t(FromText(1, c.text)), c.value) << '"' << c.text << '"';
    EXPECT_EQ(int32_t(FromText(6, c.text)), c.value) << '"' << c.text << '"';
  }
}

TEST(TypeDescriptors, BooleanTextLooksAtTheLowByteOnly) {
  EXPECT_EQ(ToText(2, 1), "True");
  EXPECT_EQ(ToText(2, 0xFF), "True");
  EXPECT_EQ(ToText(2, 0), "False");
  EXPECT_EQ(ToText(2, 0x100), "False");  // garbage above the Boolean byte
  EXPECT_EQ(FromText(2, "True"), 1u);
  EXPECT_EQ(FromText(2, "TRUE"), 1u);
  EXPECT_EQ(FromText(2, "true "), 0u);
  EXPECT_EQ(FromText(2, "1"), 0u);
  EXPECT_EQ(FromText(2, ""), 0u);
}

TEST(TypeDescriptors, StringConversionsShareTheRecord) {
  TypeDescriptor* type = ScalarType(0);
  StringRecord* s = MakeStringFromC("shared");
  StringRecord* text = type->toText(reinterpret_cast<uint32_t>(s));
  EXPECT_EQ(text, s);
  EXPECT_EQ(s->refCount, 2);
  uint32_t value = 0;
  EXPECT_TRUE(type->fromText(s, &value));
  EXPECT_EQ(value, reinterpret_cast<uint32_t>(s));
  EXPECT_EQ(s->refCount, 3);
  type->retain(value);
  EXPECT_EQ(s->refCount, 4);
  type->release(value);
  type->release(value);
  type->release(value);
  EXPECT_EQ(s->refCount, 1);
  UnlockString(s);
  EXPECT_EQ(type->toText(0), nullptr);  // nil stays the empty string
}

// An object with room for every kind of field after the header (offsets 16..39).
ObjectHeader* NewHolder() { return MakeObject(NewClass("Holder", nullptr, 40)); }

TEST(OffsetAccessors, NumbersAndBytesStoreTheirWidth) {
  ObjectHeader* o = NewHolder();
  intSetter(o, 16, -5);
  EXPECT_EQ(intGetter(o, 16), -5);
  shortSetter(o, 20, 0x12345678);  // low 16 bits
  EXPECT_EQ(shortGetter(o, 20), 0x5678);
  shortSetter(o, 22, 0xFFFF);
  EXPECT_EQ(shortGetter(o, 22), -1);  // signed
  EXPECT_EQ(intGetter(o, 20), int32_t(0xFFFF5678));
  boolSetter(o, 24, 0xFF);
  EXPECT_EQ(boolGetter(o, 24), 0xFF);
  EXPECT_EQ(intGetter(o, 24), 0xFF);  // only the byte was written
  UnlockObject(o);
}

TEST(OffsetAccessors, FieldsOutsideTheObjectAreNeitherReadNorWritten) {
  ObjectHeader* o = NewHolder();
  int32_t count = o->refCount;
  intSetter(o, 0, 99);   // the header is not a field
  intSetter(o, 37, 99);  // would end past the 40 bytes
  intSetter(o, -4, 99);
  intSetter(o, 0x7FFFFFFF, 99);
  EXPECT_EQ(o->refCount, count);
  EXPECT_EQ(intGetter(o, 40), 0);
  EXPECT_EQ(intGetter(nullptr, 16), 0);
  stringSetter(nullptr, 16, nullptr);
  objSetter(o, 40, o);
  EXPECT_EQ(o->refCount, count);
  EXPECT_EQ(intGetter(o, 36), 0);
  UnlockObject(o);
}

TEST(OffsetAccessors, StringsAreCountedAndTheSameStringSurvives) {
  ObjectHeader* o = NewHolder();
  StringRecord* a = MakeStringFromC("alpha");
  StringRecord* b = MakeStringFromC("beta");
  stringSetter(o, 28, a);
  EXPECT_EQ(a->refCount, 2);
  stringSetter(o, 28, b);
  EXPECT_EQ(a->refCount, 1);
  EXPECT_EQ(b->refCount, 2);
  UnlockString(b);  // the field now holds the only reference
  stringSetter(o, 28, b);  // setting the same string again must not free it first
  EXPECT_EQ(b->refCount, 1);
  StringRecord* got = stringGetter(o, 28);
  EXPECT_STREQ(StringText(got), "beta");
  UnlockString(got);
  EXPECT_EQ(stringGetter(o, 32), nullptr);  // nil stays nil
  stringSetter(o, 28, nullptr);
  UnlockString(a);
  UnlockObject(o);
}

TEST(OffsetAccessors, ObjectsAreCountedAndTheSameObjectSurvives) {
  HookScope hooks;
  ObjectHeader* o = NewHolder();
  ClassRecord* cls = NewClass("Held");
  cls->destructor = LoggingDestructor;
  ObjectHeader* held = MakeObject(cls);
  objSetter(o, 32, held);
  UnlockObject(held);  // the field holds the only reference
  objSetter(o, 32, held);
  EXPECT_TRUE(Log().empty());
  ObjectHeader* got = objGetter(o, 32);
  EXPECT_EQ(got, held);
  EXPECT_EQ(held->refCount, 2);
  UnlockObject(got);
  objSetter(o, 32, nullptr);
  EXPECT_EQ(Log(), (std::vector<std::string>{"dtor Held"}));
  UnlockObject(o);
}

}  // namespace
