// Conversions between the language's numbers that other parts of the runtime share with the
// entry points: the truncating float-to-integer conversion (FPToInt) and its use for colour
// components. The entries themselves are in number.cpp, math.cpp, colour.cpp and random.cpp.
#pragma once
#include <cstdint>

namespace numbers {

// The Integer value of a Double, truncated toward zero whatever rounding mode is in force;
// not a number and values outside the Integer range give -2147483648.
int32_t TruncateToInteger(double value);

}  // namespace numbers
