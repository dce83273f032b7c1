// The language's random numbers (entry rnd, random.cpp): the minimal standard generator of
// Park and Miller on one process-wide state word, seeded lazily from the tick count on the
// first call. The state is not locked: it belongs to the thread that runs compiled code.
#pragma once
#include <cstdint>

namespace random_numbers {

// One step of the generator: 16807 * state mod 2147483647 by Schrage's decomposition
// (no 32-bit overflow). state must be 1..2147483646.
int32_t Advance(int32_t state);

// The first state from a millisecond tick count: its low 31 bits, except that the two
// fixed points of the generator (0 and 2^31 - 1) become 1.
int32_t SeedFromTicks(uint32_t ticks);

// The state word; 0 means not yet seeded. Tests set it to reproduce a sequence.
int32_t State();
void SetState(int32_t state);

}  // namespace random_numbers
