// The ALSA sequencer backend (ARMONIX_MIDI=alsa[:CLIENT:PORT]): an output port named
// "Armonix" that other programs subscribe to (`aconnect`), connected at once to CLIENT:PORT
// when one is given. Entry point: OpenAlsaSequencer.
#pragma once

#include <memory>
#include <string>

#include "native/midi/midibackend.h"

namespace midi {

// Nil, with a message, when there is no sequencer or the address cannot be reached.
std::unique_ptr<MidiBackend> OpenAlsaSequencer(const std::string& address, std::string& error);

// While one exists, the ALSA library's own error printing is off: a failed open must
// produce our one explanatory line, not a page of configuration traces.
class QuietAlsaLibrary {
 public:
  QuietAlsaLibrary();
  ~QuietAlsaLibrary();
  QuietAlsaLibrary(const QuietAlsaLibrary&) = delete;
  QuietAlsaLibrary& operator=(const QuietAlsaLibrary&) = delete;
};

}  // namespace midi
