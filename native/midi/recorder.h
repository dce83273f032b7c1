// The recording backend (ARMONIX_MIDI=record:FILE): one text line per event, `open`, then
// each short message as its 32-bit word in 8 upper-case hex digits (`00643C90`), then
// `close`. Entry point: OpenRecorder.
#pragma once

#include <memory>
#include <string>

#include "native/midi/midibackend.h"

namespace midi {

// The first session of the process starts the file afresh, later ones append to it. Nil,
// with a message, when the file cannot be written.
std::unique_ptr<MidiBackend> OpenRecorder(const std::string& path, std::string& error);

}  // namespace midi
