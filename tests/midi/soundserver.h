// A private PulseAudio server for tests: its own runtime directory, a null sink whose monitor
// a recorder (parec) captures, and a watcher that samples the playback streams as the server
// reports them (properties, buffer and sink latency). Entry point: SoundServer::Start; the
// server, the recorder and the watcher stop when their objects go, whatever the outcome.
#pragma once

#include <pulse/pulseaudio.h>
#include <sys/types.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace soundserver {

using Clock = std::chrono::steady_clock;
using Environment = std::vector<std::pair<std::string, std::string>>;

inline constexpr const char* kSinkName = "armonix_test";
inline constexpr unsigned kRate = 44100;

class SoundServer {
 public:
  SoundServer() = default;
  ~SoundServer();
  SoundServer(const SoundServer&) = delete;
  SoundServer& operator=(const SoundServer&) = delete;

  // Empty when the server answers; else why it could not start.
  std::string Start();
  const std::string& Address() const { return address_; }
  // What a client of this server (and of no other) needs.
  Environment ClientEnvironment() const;
  std::string Log() const;

 private:
  std::string directory_;
  std::string address_;
  pid_t pid_ = -1;
};

// parec on the null sink's monitor, raw 16-bit stereo into a file.
class Recorder {
 public:
  explicit Recorder(const SoundServer& server, std::string file)
      : server_(server), file_(std::move(file)) {}
  ~Recorder() { Stop(); }
  Recorder(const Recorder&) = delete;
  Recorder& operator=(const Recorder&) = delete;

  // Starts parec and waits until it has recorded a little; empty or the problem.
  std::string Start();
  void Stop();
  // Samples recorded so far, interleaved left/right.
  std::vector<int16_t> Samples() const;
  // The moment the first recorded frame was heard (from the file's growth while starting).
  Clock::time_point StartTime() const { return startTime_; }

 private:
  const SoundServer& server_;
  std::string file_;
  pid_t pid_ = -1;
  Clock::time_point startTime_;
};

// One playback stream as the server reported it over its life.
struct StreamReport {
  std::string applicationName;
  std::string iconName;
  std::string mediaName;
  uint64_t maxLatencyUs = 0;  // buffer plus sink, the largest sample
  uint64_t lastLatencyUs = 0;
  int samples = 0;
  Clock::time_point firstSeen;
  Clock::time_point lastSeen;
};

// Asks the server for its playback streams every few milliseconds on its own thread.
class StreamWatcher {
 public:
  explicit StreamWatcher(const SoundServer& server) : server_(server) {}
  ~StreamWatcher() { Stop(); }
  StreamWatcher(const StreamWatcher&) = delete;
  StreamWatcher& operator=(const StreamWatcher&) = delete;

  std::string Start();
  void Stop();
  std::vector<StreamReport> Streams() const;

 private:
  void Poll();
  static void OnState(pa_context* context, void* self);
  static void OnSinkInput(pa_context* context, const pa_sink_input_info* info, int eol,
                          void* self);

  const SoundServer& server_;
  pa_threaded_mainloop* loop_ = nullptr;
  pa_context* context_ = nullptr;
  std::thread poller_;
  std::atomic<bool> running_{false};
  mutable std::mutex mutex_;
  std::vector<std::pair<uint32_t, StreamReport>> streams_;  // by sink-input index
};

}  // namespace soundserver
