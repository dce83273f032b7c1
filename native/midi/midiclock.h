// The clock that times rendered MIDI (the WAV renderer places each message at the moment it
// arrived): microseconds from a monotonic source. Tests put their own clock in its place
// with SetMidiClock so that renders are reproducible.
#pragma once

#include <cstdint>

namespace midi {

using MidiClock = uint64_t (*)();

uint64_t MidiClockNow();
// Returns the clock in use before; nullptr restores the system's monotonic clock.
MidiClock SetMidiClock(MidiClock clock);

}  // namespace midi
