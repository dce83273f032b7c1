// Live sound through a PulseAudio server: a playback stream named after the program (with
// its icon name and the music role, as the desktop's mixer shows them) that the server
// fills from the synthesizer with about 10 ms of latency. Entry point: PulseOutput::Start.
#pragma once

#include <memory>
#include <string>

struct pa_threaded_mainloop;
struct pa_context;
struct pa_stream;

namespace midi {

class SynthEngine;

// What the server's mixer shows for our stream.
inline constexpr const char* kAudioClientName = "Armonix";
inline constexpr const char* kAudioIconName = "armonix";
// Target latency of the stream (buffer plus sink), short enough that a note starts when the
// pointer reaches its button.
inline constexpr unsigned kAudioLatencyUs = 10000;

class PulseOutput {
 public:
  // Nil, with the reason, when no server answers (none is ever started for us) or the
  // stream cannot be set up; the caller then tries another audio output.
  static std::unique_ptr<PulseOutput> Start(SynthEngine& engine, double sampleRate,
                                            std::string& error);
  ~PulseOutput();
  PulseOutput(const PulseOutput&) = delete;
  PulseOutput& operator=(const PulseOutput&) = delete;

 private:
  explicit PulseOutput(SynthEngine& engine) : engine_(engine) {}
  bool Connect(double sampleRate, std::string& error);
  bool WaitForContext(std::string& error);
  bool WaitForStream(std::string& error);
  static void OnContextState(pa_context* context, void* self);
  static void OnStreamState(pa_stream* stream, void* self);
  static void OnWritable(pa_stream* stream, size_t bytes, void* self);

  SynthEngine& engine_;
  pa_threaded_mainloop* loop_ = nullptr;
  pa_context* context_ = nullptr;
  pa_stream* stream_ = nullptr;
};

}  // namespace midi
