// MIDI output benchmarks: synthesizer start-up (creation alone, creation plus the General
// MIDI SoundFont), the cost of one recorded short message, and rendering speed.
// Run: build-*/bench/midi/bench_midi
#include <benchmark/benchmark.h>
#include <fluidsynth.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "native/midi/midiout.h"
#include "native/midi/synth.h"
#include "native/mmsystem.h"

namespace {

void QuietLibrary() {
  for (int level : {FLUID_PANIC, FLUID_ERR, FLUID_WARN, FLUID_INFO, FLUID_DBG}) {
    fluid_set_log_function(level, nullptr, nullptr);
  }
}

void BM_SynthCreation(benchmark::State& state) {
  QuietLibrary();
  for (auto _ : state) {
    fluid_settings_t* settings = new_fluid_settings();
    fluid_settings_setnum(settings, "synth.sample-rate", midi::kSynthSampleRate);
    fluid_synth_t* synth = new_fluid_synth(settings);
    benchmark::DoNotOptimize(synth);
    delete_fluid_synth(synth);
    delete_fluid_settings(settings);
  }
}
BENCHMARK(BM_SynthCreation)->Unit(benchmark::kMillisecond);

// What midiOutOpen pays before the first note: synthesizer plus SoundFont.
void BM_SynthStartUp(benchmark::State& state) {
  const std::string font = midi::FindDefaultSoundFont();
  if (font.empty()) {
    state.SkipWithError("no General MIDI SoundFont installed");
    return;
  }
  state.SetLabel(font);
  for (auto _ : state) {
    std::string error;
    auto engine = midi::SynthEngine::Create(font, error);
    if (engine == nullptr) {
      state.SkipWithError(error.c_str());
      return;
    }
  }
}
BENCHMARK(BM_SynthStartUp)->Unit(benchmark::kMillisecond);

// One midiOutShortMsg through the recorder (a flushed line per message).
void BM_RecordedShortMessage(benchmark::State& state) {
  setenv("ARMONIX_MIDI", "record:/dev/null", 1);
  midi::ResetMidiOutForTesting();
  HMIDIOUT handle = nullptr;
  if (midiOutOpen(&handle, 0, 0, 0, CALLBACK_NULL) != MMSYSERR_NOERROR) {
    state.SkipWithError("cannot open the recorder");
    return;
  }
  for (auto _ : state) midiOutShortMsg(handle, 0x007F3C90);
  midiOutClose(handle);
  midi::ResetMidiOutForTesting();
}
BENCHMARK(BM_RecordedShortMessage)->Unit(benchmark::kMicrosecond);

// One second of audio with a sounding note: how much faster than real time the WAV
// renderer runs.
void BM_RenderOneSecond(benchmark::State& state) {
  std::string error;
  auto engine = midi::SynthEngine::Create(midi::FindDefaultSoundFont(), error);
  if (engine == nullptr) {
    state.SkipWithError(error.c_str());
    return;
  }
  std::vector<int16_t> frames(2 * midi::kSynthSampleRate);
  uint8_t running = 0;
  for (auto _ : state) {
    engine->Play(midi::DecodeShortMessage(0x007F3C90, running));
    engine->Render(frames.data(), midi::kSynthSampleRate);
    engine->Play(midi::DecodeShortMessage(0x00403C80, running));
  }
}
BENCHMARK(BM_RenderOneSecond)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
