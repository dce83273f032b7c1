// The seven scalar types of the language as TypeDescriptors ("String", "Integer",
// "Boolean", "Single", "Double", "Form", "Color", in this order) with their text
// conversions. Entry points: FindTypeDescriptor, ResolveTypeReference.
#pragma once
#include <cstdint>

#include "runtime/objects/class.h"

constexpr int32_t kScalarTypeCount = 7;
// index 0..6 in the order above; nil outside.
TypeDescriptor* ScalarType(int32_t index);
// By name, ignoring case; nil when the name is not a scalar type.
TypeDescriptor* FindTypeDescriptor(const char* name);
// A scalar type or a built-in class by name; "" and unknown names give nil.
void* ResolveTypeReference(const char* name);

// The Integer reading of a text: leading blanks (space, tab), an optional sign, then the
// decimal digits up to the first other byte; no digits gives 0. Values beyond the 32-bit
// range are clamped to it.
int32_t ParseIntegerText(const uint8_t* bytes, int32_t length);
