// Process-wide state behind midiOutOpen and friends (native/mmsystem.h), exposed only so
// that tests can start each case from a clean process state.
#pragma once

namespace midi {

// Closes an open handle, forgets that MIDI was switched off and which files were started,
// and reads ARMONIX_MIDI and ARMONIX_WAV afresh at the next open.
void ResetMidiOutForTesting();

}  // namespace midi
