// rnd: the next random Double in [0, 1), a multiple of 2^-20. The first call seeds the state
// from the millisecond tick count (AND 0x7FFFFFFF; the generator's fixed points become 1).
#include "runtime/objects/random.h"

#include "native/win32.h"
#include "runtime/entries/entries.h"

namespace {

constexpr int32_t kModulus = 2147483647;  // 2^31 - 1
constexpr int32_t kMultiplier = 16807;
constexpr int32_t kQuotient = 127773;   // kModulus / kMultiplier
constexpr int32_t kRemainder = 2836;    // kModulus % kMultiplier

int32_t gState = 0;

}  // namespace

namespace random_numbers {

int32_t SeedFromTicks(uint32_t ticks) {
  int32_t seed = static_cast<int32_t>(ticks & 0x7FFFFFFFu);
  // 0 and 2^31 - 1 are both fixed points of the generator (the latter would give
  // 0xFFFFF / 2^20 for ever), so either seeds as 1.
  return (seed == 0 || seed == kModulus) ? 1 : seed;
}

int32_t Advance(int32_t state) {
  int32_t next = kMultiplier * (state % kQuotient) - kRemainder * (state / kQuotient);
  return next > 0 ? next : next + kModulus;
}

int32_t State() { return gState; }
void SetState(int32_t state) { gState = state; }

}  // namespace random_numbers

AMX_ENTRY double rnd() noexcept {
  if (gState == 0) gState = random_numbers::SeedFromTicks(GetTickCount());
  gState = random_numbers::Advance(gState);
  return (gState & 0xFFFFF) / 1048576.0;
}
