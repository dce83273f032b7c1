// The synthesizer backend (ARMONIX_MIDI=synth[:FILE.sf2]): FluidSynth with a General MIDI
// SoundFont, sounding through the audio output, or with ARMONIX_WAV=FILE rendered to a WAV
// file placed in time by the MIDI clock. Entry point: OpenSynth; SynthEngine is the
// synthesizer without an output (also used by the benchmarks).
#pragma once

#include <fluidsynth.h>

#include <memory>
#include <string>

#include "native/midi/midibackend.h"
#include "native/midi/shortmessage.h"

namespace midi {

constexpr uint32_t kSynthSampleRate = 44100;

class SynthEngine {
 public:
  // An empty soundFont means the system's default General MIDI SoundFont. Nil, with a
  // message, when there is none or it cannot be loaded.
  static std::unique_ptr<SynthEngine> Create(const std::string& soundFont, std::string& error);
  ~SynthEngine();
  SynthEngine(const SynthEngine&) = delete;
  SynthEngine& operator=(const SynthEngine&) = delete;

  void Play(const ShortMessage& message);
  // Renders frames of 16-bit stereo, interleaved. Rendering in floats and rounding here
  // keeps the output bit-identical from run to run (the library's own 16-bit output dithers
  // with the C library's random numbers).
  void Render(int16_t* frames, uint32_t frameCount);
  void ReleaseAllNotes();

  fluid_settings_t* Settings() { return settings_; }
  fluid_synth_t* Synth() { return synth_; }

 private:
  SynthEngine() = default;
  fluid_settings_t* settings_ = nullptr;
  fluid_synth_t* synth_ = nullptr;
};

// The first General MIDI SoundFont found in the usual places, or empty.
std::string FindDefaultSoundFont();

// wavFile null or empty: live audio. Nil, with a message, when the synthesizer, the audio
// output or the WAV file cannot be started.
std::unique_ptr<MidiBackend> OpenSynth(const std::string& soundFont, const char* wavFile,
                                       std::string& error);

}  // namespace midi
