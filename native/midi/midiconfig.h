// The choice of MIDI backend, read from ARMONIX_MIDI: ParseMidiConfig turns the variable's
// text into a MidiConfig or a message saying what is wrong with it.
#pragma once

#include <string>

namespace midi {

enum class BackendKind { kSynth, kAlsa, kRecord, kNone };

struct MidiConfig {
  BackendKind kind = BackendKind::kSynth;
  // synth: the SoundFont file, empty for the system's default; alsa: "CLIENT:PORT" to
  // connect to, empty for an unconnected port; record: the file to write.
  std::string argument;
};

// Null or empty text chooses the default synthesizer. False, with a message, for an
// unknown backend or a missing argument.
bool ParseMidiConfig(const char* text, MidiConfig& config, std::string& error);

}  // namespace midi
