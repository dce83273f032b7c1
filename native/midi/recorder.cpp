// The recording backend: writes each word the runtime sends, exactly as sent, and flushes
// every line so that a recording survives the process ending abruptly.
// Entry point: OpenRecorder.
#include "native/midi/recorder.h"

#include <cerrno>
#include <cinttypes>
#include <cstdio>
#include <cstring>

namespace midi {
namespace {

class Recorder final : public MidiBackend {
 public:
  explicit Recorder(std::FILE* file) : file_(file) {}
  ~Recorder() override {
    WriteLine("close");
    std::fclose(file_);
  }
  Recorder(const Recorder&) = delete;
  Recorder& operator=(const Recorder&) = delete;

  bool WriteLine(const char* line) {
    return std::fprintf(file_, "%s\n", line) >= 0 && std::fflush(file_) == 0;
  }

  MMRESULT Send(uint32_t word) override {
    char line[16];
    std::snprintf(line, sizeof line, "%08" PRIX32, word);
    return WriteLine(line) ? MMSYSERR_NOERROR : MMSYSERR_ERROR;
  }

 private:
  std::FILE* file_;
};

}  // namespace

std::unique_ptr<MidiBackend> OpenRecorder(const std::string& path, std::string& error) {
  const bool fresh = ClaimFreshFile(path);
  std::FILE* file = std::fopen(path.c_str(), fresh ? "w" : "a");
  if (file == nullptr) {
    error = "cannot write the MIDI recording \"" + path + "\": " + std::strerror(errno);
    return nullptr;
  }
  auto recorder = std::make_unique<Recorder>(file);
  if (!recorder->WriteLine("open")) {
    error = "cannot write the MIDI recording \"" + path + "\": " + std::strerror(errno);
    return nullptr;
  }
  return recorder;
}

}  // namespace midi
