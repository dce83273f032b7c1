// The scalar TypeDescriptors and their conversions: String (the same record, counted),
// Integer and Color (decimal), Boolean ("True"/"False"; only the low byte of a Boolean
// word is the value). Names are made on first use. Entry point: ScalarType.
#include "runtime/objects/typedescriptor.h"

#include <cstring>

#include "runtime/objects/namefold.h"
#include "runtime/objects/objects.h"
#include "runtime/objects/strings.h"

namespace {

StringRecord* StringToText(uint32_t value) {
  return LockString(reinterpret_cast<StringRecord*>(value));
}

bool StringFromText(StringRecord* text, uint32_t* value) {
  *value = reinterpret_cast<uint32_t>(LockString(text));
  return true;
}

void StringRelease(uint32_t value) { UnlockString(reinterpret_cast<StringRecord*>(value)); }
void StringRetain(uint32_t value) { LockString(reinterpret_cast<StringRecord*>(value)); }

StringRecord* IntegerToText(uint32_t value) {
  return FormatInteger(static_cast<int32_t>(value));
}

bool IntegerFromText(StringRecord* text, uint32_t* value) {
  *value = static_cast<uint32_t>(ParseIntegerText(StringBytes(text), StringLength(text)));
  return true;
}

StringRecord* BooleanToText(uint32_t value) {
  return MakeStringFromC((value & 0xFF) != 0 ? "True" : "False");
}

bool BooleanFromText(StringRecord* text, uint32_t* value) {
  *value = NameBytesEqual(StringBytes(text), StringLength(text), "True", 4) ? 1 : 0;
  return true;
}

struct ScalarTypeRow {
  const char* name;
  ToTextOperation toText;
  FromTextOperation fromText;
  ValueOperation release;
  ValueOperation retain;
};

constexpr ScalarTypeRow kRows[kScalarTypeCount] = {
    {"String", StringToText, StringFromText, StringRelease, StringRetain},
    {"Integer", IntegerToText, IntegerFromText, nullptr, nullptr},
    {"Boolean", BooleanToText, BooleanFromText, nullptr, nullptr},
    {"Single", nullptr, nullptr, nullptr, nullptr},
    {"Double", nullptr, nullptr, nullptr, nullptr},
    {"Form", nullptr, nullptr, nullptr, nullptr},
    {"Color", IntegerToText, IntegerFromText, nullptr, nullptr},
};

TypeDescriptor gTypes[kScalarTypeCount];

void SetUpTypes() {
  static bool done = false;
  if (done) return;
  done = true;
  for (int32_t i = 0; i < kScalarTypeCount; ++i) {
    const ScalarTypeRow& row = kRows[i];
    gTypes[i] = TypeDescriptor{kTypeDescriptorKind, MakeStringFromC(row.name), row.toText,
                               row.fromText, row.release, row.retain};
  }
}

bool IsBlank(uint8_t byte) { return byte == ' ' || byte == '\t'; }

}  // namespace

TypeDescriptor* ScalarType(int32_t index) {
  if (index < 0 || index >= kScalarTypeCount) return nullptr;
  SetUpTypes();
  return &gTypes[index];
}

TypeDescriptor* FindTypeDescriptor(const char* name) {
  if (name == nullptr) return nullptr;
  int32_t length = static_cast<int32_t>(std::strlen(name));
  for (int32_t i = 0; i < kScalarTypeCount; ++i) {
    const char* typeName = kRows[i].name;
    if (NameBytesEqual(name, length, typeName, static_cast<int32_t>(std::strlen(typeName))))
      return ScalarType(i);
  }
  return nullptr;
}

void* ResolveTypeReference(const char* name) {
  if (name == nullptr || name[0] == 0) return nullptr;
  if (TypeDescriptor* type = FindTypeDescriptor(name)) return type;
  return FindBuiltinClass(name);
}

int32_t ParseIntegerText(const uint8_t* bytes, int32_t length) {
  int32_t i = 0;
  while (i < length && IsBlank(bytes[i])) ++i;
  bool negative = false;
  if (i < length && (bytes[i] == '-' || bytes[i] == '+')) negative = bytes[i++] == '-';
  int64_t magnitude = 0;
  for (; i < length && bytes[i] >= '0' && bytes[i] <= '9'; ++i) {
    magnitude = magnitude * 10 + (bytes[i] - '0');
    if (magnitude > 2147483648LL) magnitude = 2147483648LL;  // clamp, never overflow
  }
  int64_t value = negative ? -magnitude : magnitude;
  if (value > 2147483647LL) value = 2147483647LL;
  return static_cast<int32_t>(value);
}
