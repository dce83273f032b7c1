// The synthesizer backend (ARMONIX_MIDI=synth[:FILE.sf2]): FluidSynth with a General MIDI
// SoundFont, sounding through the audio output, or with ARMONIX_WAV=FILE rendered to a WAV
// file placed in time by the MIDI clock. Entry point: OpenSynth; SynthEngine is the
// synthesizer without an output (also used by the benchmarks).
#pragma once

#include <fluidsynth.h>

#include <memory>
#include <string>

#include "native/midi/midibackend.h"
#include "native/midi/peaklimiter.h"
#include "native/midi/shortmessage.h"

namespace midi {

constexpr uint32_t kSynthSampleRate = 44100;
// The library's default gain (0.2) leaves a velocity-127 piano note at about -27 dBFS, too
// quiet beside other programs; at 1.2 it peaks near -12 dBFS. Loud chords would then pass
// full scale, so the output goes through a limiter with its ceiling at -3 dBFS.
constexpr double kSynthGain = 1.2;
constexpr float kSynthCeiling = 0.708f;
constexpr float kSynthLimiterRelease = 0.1f * kSynthSampleRate;

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
  // Renders limited float frames: left[i * stride], right[i * stride]. One thread renders.
  void RenderFloat(float* left, float* right, uint32_t frameCount, uint32_t stride);
  void ReleaseAllNotes();

  fluid_settings_t* Settings() { return settings_; }
  fluid_synth_t* Synth() { return synth_; }

 private:
  SynthEngine() = default;
  fluid_settings_t* settings_ = nullptr;
  fluid_synth_t* synth_ = nullptr;
  PeakLimiter limiter_{kSynthCeiling, kSynthLimiterRelease};
};

// The first General MIDI SoundFont found in the usual places, or empty.
std::string FindDefaultSoundFont();

// wavFile null or empty: live audio. Nil, with a message, when the synthesizer, the audio
// output or the WAV file cannot be started.
std::unique_ptr<MidiBackend> OpenSynth(const std::string& soundFont, const char* wavFile,
                                       std::string& error);

}  // namespace midi
