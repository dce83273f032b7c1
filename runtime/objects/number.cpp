// Integer and float conversions, Hex/Oct text and the bitwise operations: FPToInt,
// SingleToInt, IntToFP, RuntimeShortToInteger, RuntimeHex, RuntimeOct, Bitwise*.
#include "runtime/objects/number.h"

#include <emmintrin.h>

#include "runtime/entries/entries.h"
#include "runtime/objects/strings.h"

namespace numbers {

int32_t TruncateToInteger(double value) {
  // cvttsd2si truncates regardless of MXCSR and yields 0x80000000 ("integer indefinite")
  // for NaN and out-of-range values: exactly the language's rule, and no mode switch.
  return _mm_cvttsd_si32(_mm_set_sd(value));
}

}  // namespace numbers

namespace {

// Digits of an unsigned value in a power-of-two base, most significant first, no leading
// zeros (0 gives "0").
StringRecord* UnsignedDigits(uint32_t value, int bitsPerDigit) {
  static const char kDigits[] = "0123456789ABCDEF";
  char text[32];
  int pos = sizeof(text);
  uint32_t mask = (1u << bitsPerDigit) - 1;
  do {
    text[--pos] = kDigits[value & mask];
    value >>= bitsPerDigit;
  } while (value != 0);
  return MakeString(text + pos, static_cast<int32_t>(sizeof(text)) - pos);
}

}  // namespace

AMX_ENTRY int32_t FPToInt(double value) noexcept { return numbers::TruncateToInteger(value); }

AMX_ENTRY int32_t SingleToInt(double value) noexcept {
  return numbers::TruncateToInteger(value);
}

AMX_ENTRY double IntToFP(int32_t value) noexcept { return static_cast<double>(value); }

AMX_ENTRY int32_t RuntimeShortToInteger(int32_t value) noexcept {
  return static_cast<int16_t>(static_cast<uint16_t>(value));
}

AMX_ENTRY StringRecord* RuntimeHex(int32_t value) noexcept {
  return UnsignedDigits(static_cast<uint32_t>(value), 4);
}

AMX_ENTRY StringRecord* RuntimeOct(int32_t value) noexcept {
  return UnsignedDigits(static_cast<uint32_t>(value), 3);
}

AMX_ENTRY int32_t BitwiseAnd(int32_t a, int32_t b) noexcept { return a & b; }
AMX_ENTRY int32_t BitwiseOr(int32_t a, int32_t b) noexcept { return a | b; }
AMX_ENTRY int32_t BitwiseXor(int32_t a, int32_t b) noexcept { return a ^ b; }
