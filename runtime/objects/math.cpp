// The mathematical functions of the language (RuntimeAbs .. RuntimeTan): Doubles in,
// Doubles out in ST0. Rounding is done with floor/ceil, never by changing the FPU or SSE
// rounding mode, so other code always sees the mode it set.
#include <cerrno>
#include <cmath>
#include <limits>

#include "runtime/entries/entries.h"

namespace {

constexpr int kDomainError = 33;  // the error number a negative square root or log leaves

double DomainError() {
  errno = kDomainError;
  return std::numeric_limits<double>::quiet_NaN();
}

}  // namespace

AMX_ENTRY double RuntimeAbs(double x) noexcept { return x < 0 ? -x : x; }

// Equal or unordered arguments give the second one.
AMX_ENTRY double RuntimeMax(double a, double b) noexcept { return a > b ? a : b; }
AMX_ENTRY double RuntimeMin(double a, double b) noexcept { return a < b ? a : b; }

AMX_ENTRY double RuntimeCeil(double x) noexcept { return std::ceil(x); }
AMX_ENTRY double RuntimeFloor(double x) noexcept { return std::floor(x); }
// Halves go up: 2.5 gives 3 and -2.5 gives -2.
AMX_ENTRY double RuntimeRound(double x) noexcept { return std::floor(x + 0.5); }

AMX_ENTRY double RuntimeSqrt(double x) noexcept { return x < 0 ? DomainError() : std::sqrt(x); }
AMX_ENTRY double RuntimeLog(double x) noexcept { return x < 0 ? DomainError() : std::log(x); }
AMX_ENTRY double RuntimeExp(double x) noexcept { return std::exp(x); }
AMX_ENTRY double RuntimePow(double x, double y) noexcept { return std::pow(x, y); }

AMX_ENTRY double RuntimeSin(double x) noexcept { return std::sin(x); }
AMX_ENTRY double RuntimeCos(double x) noexcept { return std::cos(x); }
AMX_ENTRY double RuntimeTan(double x) noexcept { return std::tan(x); }
AMX_ENTRY double RuntimeATan(double x) noexcept { return std::atan(x); }
AMX_ENTRY double RuntimeATan2(double y, double x) noexcept { return std::atan2(y, x); }

AMX_ENTRY double RuntimeASin(double x) noexcept {
  // Outside [-1, 1] the square root has no real value: the result is not a number.
  double rest = 1 - x * x;
  if (rest < 0) return std::numeric_limits<double>::quiet_NaN();
  return std::atan2(x, std::sqrt(rest));
}

AMX_ENTRY double RuntimeACos(double x) noexcept {
  if (!(x >= -1 && x <= 1)) return std::numeric_limits<double>::quiet_NaN();
  return 2 * std::atan(std::sqrt((1 - x) / (1 + x)));
}
