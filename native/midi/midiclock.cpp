// The MIDI clock: the system's monotonic clock unless a test has set another.
// Entry points: MidiClockNow, SetMidiClock.
#include "native/midi/midiclock.h"

#include <chrono>

namespace midi {
namespace {

uint64_t SteadyMicroseconds() {
  const auto now = std::chrono::steady_clock::now().time_since_epoch();
  return static_cast<uint64_t>(std::chrono::duration_cast<std::chrono::microseconds>(now).count());
}

MidiClock gClock = SteadyMicroseconds;

}  // namespace

uint64_t MidiClockNow() { return gClock(); }

MidiClock SetMidiClock(MidiClock clock) {
  const MidiClock previous = gClock;
  gClock = clock != nullptr ? clock : SteadyMicroseconds;
  return previous == SteadyMicroseconds ? nullptr : previous;
}

}  // namespace midi
