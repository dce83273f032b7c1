// The synthesizer backend: SynthEngine (FluidSynth plus a SoundFont), live audio through the
// library's audio driver, or a sample-accurate WAV render timed by the MIDI clock.
// Entry point: OpenSynth.
#include "native/midi/synth.h"

#include <glib.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cerrno>
#include <cstring>
#include <mutex>
#include <vector>

#include "native/midi/alsaseq.h"
#include "native/midi/midiclock.h"
#include "native/midi/pulseoutput.h"
#include "native/midi/wavwriter.h"

namespace midi {
namespace {

// The library reports through a log callback (from the audio thread too); the first error
// since the step began names the cause and completes our own message when a step fails.
std::mutex gLogMutex;
std::string gLibraryError;

void KeepLibraryError(int level, const char* message, void*) {
  if ((level != FLUID_PANIC && level != FLUID_ERR) || message == nullptr) return;
  std::lock_guard<std::mutex> lock(gLogMutex);
  if (gLibraryError.empty()) gLibraryError = message;
}

// The SoundFont loaders below the library (the DLS reader among them) print GLib warnings
// for files they reject; our one line says what matters, so they are held back meanwhile.
class QuietGLib {
 public:
  QuietGLib() : previous_(g_log_set_default_handler(Ignore, nullptr)) {}
  ~QuietGLib() { g_log_set_default_handler(previous_, nullptr); }
  QuietGLib(const QuietGLib&) = delete;
  QuietGLib& operator=(const QuietGLib&) = delete;

 private:
  static void Ignore(const gchar*, GLogLevelFlags, const gchar*, gpointer) {}
  GLogFunc previous_;
};

void RouteLibraryLog() {
  static const bool routed = [] {
    for (int level : {FLUID_PANIC, FLUID_ERR, FLUID_WARN, FLUID_INFO, FLUID_DBG}) {
      fluid_set_log_function(level, KeepLibraryError, nullptr);
    }
    return true;
  }();
  (void)routed;
}

void ClearLibraryError() {
  std::lock_guard<std::mutex> lock(gLogMutex);
  gLibraryError.clear();
}

std::string LibraryError() {
  std::lock_guard<std::mutex> lock(gLogMutex);
  return gLibraryError.empty() ? std::string("no reason given") : gLibraryError;
}

bool IsReadableFile(const std::string& path) {
  return !path.empty() && access(path.c_str(), R_OK) == 0;
}

int16_t Quantize(float sample) {
  if (!(sample == sample)) return 0;  // NaN
  const float clamped = std::clamp(sample, -1.0f, 1.0f);
  return static_cast<int16_t>(std::lrint(clamped * 32767.0f));
}

constexpr uint32_t kRenderBlock = 4096;          // frames rendered per step
constexpr uint32_t kMaxTailFrames = 5 * kSynthSampleRate;

// Live audio: a sound server's stream, else the library's audio driver, pulls samples from
// the engine on its own thread.
class LiveSynth final : public MidiBackend {
 public:
  LiveSynth(std::unique_ptr<SynthEngine> engine, std::unique_ptr<PulseOutput> server,
            fluid_audio_driver_t* driver)
      : engine_(std::move(engine)), server_(std::move(server)), driver_(driver) {}
  ~LiveSynth() override {
    server_.reset();  // the output stops before the engine goes
    if (driver_ != nullptr) delete_fluid_audio_driver(driver_);
  }
  LiveSynth(const LiveSynth&) = delete;
  LiveSynth& operator=(const LiveSynth&) = delete;

  MMRESULT Send(uint32_t word) override {
    const ShortMessage message = DecodeShortMessage(word, runningStatus_);
    if (message.length == 0) return MMSYSERR_INVALPARAM;
    engine_->Play(message);
    return MMSYSERR_NOERROR;
  }

 private:
  std::unique_ptr<SynthEngine> engine_;
  std::unique_ptr<PulseOutput> server_;
  fluid_audio_driver_t* driver_;
  uint8_t runningStatus_ = 0;
};

// WAV render: before each message the file is filled up to the moment the message arrived,
// so each event lands on the sample the clock gives it. Silence after the last voice has
// ended is written without running the synthesizer, so long pauses cost nothing.
class WavSynth final : public MidiBackend {
 public:
  WavSynth(std::unique_ptr<SynthEngine> engine, std::unique_ptr<WavWriter> writer)
      : engine_(std::move(engine)), writer_(std::move(writer)), start_(MidiClockNow()),
        buffer_(2 * kRenderBlock) {}
  ~WavSynth() override {
    AdvanceTo(NowFrame());
    engine_->ReleaseAllNotes();
    silent_ = false;
    uint64_t tail = 0;
    while (tail < kMaxTailFrames && !silent_ && !reported_) {
      RenderBlock(kRenderBlock);
      tail += kRenderBlock;
    }
    if (!writer_->Finish()) ReportWriteProblem();
  }
  WavSynth(const WavSynth&) = delete;
  WavSynth& operator=(const WavSynth&) = delete;

  MMRESULT Send(uint32_t word) override {
    AdvanceTo(NowFrame());
    const ShortMessage message = DecodeShortMessage(word, runningStatus_);
    if (message.length == 0) return MMSYSERR_INVALPARAM;
    engine_->Play(message);
    silent_ = false;
    return reported_ ? MMSYSERR_ERROR : MMSYSERR_NOERROR;
  }

 private:
  uint64_t NowFrame() const {
    const uint64_t now = MidiClockNow();
    return now <= start_ ? 0 : (now - start_) * kSynthSampleRate / 1000000;
  }

  void AdvanceTo(uint64_t frame) {
    while (frames_ < frame && !reported_) {
      RenderBlock(static_cast<uint32_t>(std::min<uint64_t>(kRenderBlock, frame - frames_)));
    }
  }

  void RenderBlock(uint32_t count) {
    if (silent_) {
      std::fill_n(buffer_.begin(), 2 * count, int16_t{0});
    } else {
      engine_->Render(buffer_.data(), count);
      const bool quiet = std::all_of(buffer_.begin(), buffer_.begin() + 2 * count,
                                     [](int16_t s) { return s == 0; });
      silent_ = quiet && count == kRenderBlock &&
                fluid_synth_get_active_voice_count(engine_->Synth()) == 0;
    }
    frames_ += count;
    if (!writer_->Write(buffer_.data(), count)) ReportWriteProblem();
  }

  void ReportWriteProblem() {
    if (reported_) return;
    reported_ = true;
    ReportMidiOff(writer_->Problem());
  }

  std::unique_ptr<SynthEngine> engine_;
  std::unique_ptr<WavWriter> writer_;
  uint64_t start_;
  uint64_t frames_ = 0;  // frames of this session written so far
  std::vector<int16_t> buffer_;
  bool silent_ = false;
  bool reported_ = false;
  uint8_t runningStatus_ = 0;
};

// The library's driver asks for a block of two separate channels.
int RenderForDriver(void* engine, int frames, int, float**, int outputs, float** out) {
  if (outputs < 2 || frames <= 0) return FLUID_FAILED;
  static_cast<SynthEngine*>(engine)->RenderFloat(out[0], out[1], static_cast<uint32_t>(frames),
                                                 1);
  return FLUID_OK;
}

// The desktop's sound server when one runs (our stream carries the program's name there);
// otherwise the library's default audio driver.
std::unique_ptr<MidiBackend> StartLive(std::unique_ptr<SynthEngine> engine,
                                       std::string& error) {
  std::string serverProblem;
  std::unique_ptr<PulseOutput> server =
      PulseOutput::Start(*engine, kSynthSampleRate, serverProblem);
  if (server != nullptr) {
    return std::make_unique<LiveSynth>(std::move(engine), std::move(server), nullptr);
  }
  QuietAlsaLibrary quiet;
  ClearLibraryError();
  fluid_audio_driver_t* driver =
      new_fluid_audio_driver2(engine->Settings(), RenderForDriver, engine.get());
  if (driver != nullptr) return std::make_unique<LiveSynth>(std::move(engine), nullptr, driver);
  error = "no audio output (" + serverProblem + "; " + LibraryError() +
          "); set ARMONIX_WAV=FILE to render to a file, or ARMONIX_MIDI=alsa or record:FILE";
  return nullptr;
}

}  // namespace

std::string FindDefaultSoundFont() {
  std::vector<std::string> candidates;
  fluid_settings_t* settings = new_fluid_settings();
  char* configured = nullptr;
  if (settings != nullptr &&
      fluid_settings_dupstr(settings, "synth.default-soundfont", &configured) == FLUID_OK &&
      configured != nullptr) {
    candidates.emplace_back(configured);
  }
  fluid_free(configured);
  delete_fluid_settings(settings);
  for (const char* path : {"/usr/share/sounds/sf2/default-GM.sf2",
                           "/usr/share/sounds/sf3/default-GM.sf3",
                           "/usr/share/sounds/sf2/FluidR3_GM.sf2",
                           "/usr/share/sounds/sf2/TimGM6mb.sf2",
                           "/usr/share/soundfonts/default.sf2"}) {
    candidates.emplace_back(path);
  }
  for (const std::string& path : candidates) {
    if (IsReadableFile(path)) return path;
  }
  return {};
}

std::unique_ptr<SynthEngine> SynthEngine::Create(const std::string& soundFont,
                                                 std::string& error) {
  RouteLibraryLog();
  ClearLibraryError();
  const std::string path = soundFont.empty() ? FindDefaultSoundFont() : soundFont;
  if (path.empty()) {
    error = "no General MIDI SoundFont found (install timgm6mb-soundfont, or set "
            "ARMONIX_MIDI=synth:FILE.sf2)";
    return nullptr;
  }
  if (!IsReadableFile(path)) {
    error = "cannot read the SoundFont \"" + path + "\": " + std::strerror(errno);
    return nullptr;
  }
  std::unique_ptr<SynthEngine> engine(new SynthEngine);
  engine->settings_ = new_fluid_settings();
  if (engine->settings_ != nullptr) {
    fluid_settings_setnum(engine->settings_, "synth.sample-rate", kSynthSampleRate);
    fluid_settings_setnum(engine->settings_, "synth.gain", kSynthGain);
    engine->synth_ = new_fluid_synth(engine->settings_);
  }
  if (engine->synth_ == nullptr) {
    error = "cannot start the synthesizer (" + LibraryError() + ")";
    return nullptr;
  }
  int loaded;
  {
    QuietGLib quiet;
    loaded = fluid_synth_sfload(engine->synth_, path.c_str(), 1);
  }
  if (loaded == FLUID_FAILED) {
    error = "cannot load the SoundFont \"" + path + "\" (" + LibraryError() + ")";
    return nullptr;
  }
  return engine;
}

SynthEngine::~SynthEngine() {
  if (synth_ != nullptr) delete_fluid_synth(synth_);
  if (settings_ != nullptr) delete_fluid_settings(settings_);
}

void SynthEngine::Play(const ShortMessage& message) {
  const int channel = message.Channel();
  switch (message.Kind()) {
    case 0x80: fluid_synth_noteoff(synth_, channel, message.data1); break;
    case 0x90:
      if (message.data2 == 0) {
        fluid_synth_noteoff(synth_, channel, message.data1);
      } else {
        fluid_synth_noteon(synth_, channel, message.data1, message.data2);
      }
      break;
    case 0xA0: fluid_synth_key_pressure(synth_, channel, message.data1, message.data2); break;
    case 0xB0: fluid_synth_cc(synth_, channel, message.data1, message.data2); break;
    case 0xC0: fluid_synth_program_change(synth_, channel, message.data1); break;
    case 0xD0: fluid_synth_channel_pressure(synth_, channel, message.data1); break;
    case 0xE0: fluid_synth_pitch_bend(synth_, channel, message.data1 | message.data2 << 7); break;
    case 0xFF: fluid_synth_system_reset(synth_); break;
    default: break;  // timing and song messages mean nothing to a synthesizer
  }
}

void SynthEngine::RenderFloat(float* left, float* right, uint32_t frameCount,
                              uint32_t stride) {
  const int step = static_cast<int>(stride);
  fluid_synth_write_float(synth_, static_cast<int>(frameCount), left, 0, step, right, 0, step);
  limiter_.Process(left, right, frameCount, stride);
}

void SynthEngine::Render(int16_t* frames, uint32_t frameCount) {
  constexpr uint32_t kChunk = 512;
  float left[kChunk];
  float right[kChunk];
  while (frameCount > 0) {
    const uint32_t count = std::min(frameCount, kChunk);
    RenderFloat(left, right, count, 1);
    for (uint32_t i = 0; i < count; ++i) {
      frames[2 * i] = Quantize(left[i]);
      frames[2 * i + 1] = Quantize(right[i]);
    }
    frames += 2 * count;
    frameCount -= count;
  }
}

void SynthEngine::ReleaseAllNotes() { fluid_synth_all_notes_off(synth_, -1); }

std::unique_ptr<MidiBackend> OpenSynth(const std::string& soundFont, const char* wavFile,
                                       std::string& error) {
  std::unique_ptr<SynthEngine> engine = SynthEngine::Create(soundFont, error);
  if (engine == nullptr) return nullptr;
  if (wavFile != nullptr && *wavFile != '\0') {
    std::unique_ptr<WavWriter> writer =
        WavWriter::Open(wavFile, kSynthSampleRate, ClaimFreshFile(wavFile), error);
    if (writer == nullptr) return nullptr;
    return std::make_unique<WavSynth>(std::move(engine), std::move(writer));
  }
  return StartLive(std::move(engine), error);
}

}  // namespace midi
