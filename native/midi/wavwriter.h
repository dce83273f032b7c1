// A streaming writer of 16-bit stereo PCM WAV files: frames go to disk as they are
// rendered and the header's sizes are brought up to date by Finish, so a long session needs
// no memory and every finished session leaves a valid file. Entry point: WavWriter::Open.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

namespace midi {

// The canonical 44-byte header that Open writes and Finish updates, little-endian on disk.
struct WavHeader {
  char riff[4];           // "RIFF"
  uint32_t riffSize;      // 36 + dataSize
  char wave[4];           // "WAVE"
  char fmt[4];            // "fmt "
  uint32_t fmtSize;       // 16
  uint16_t format;        // 1: PCM
  uint16_t channels;      // 2
  uint32_t sampleRate;
  uint32_t byteRate;      // sampleRate * blockAlign
  uint16_t blockAlign;    // channels * 2
  uint16_t bitsPerSample; // 16
  char data[4];           // "data"
  uint32_t dataSize;      // bytes of samples that follow
};
static_assert(sizeof(WavHeader) == 44, "the canonical WAV header is 44 bytes");
static_assert(offsetof(WavHeader, riffSize) == 4 && offsetof(WavHeader, sampleRate) == 24 &&
                  offsetof(WavHeader, dataSize) == 40,
              "WAV header field offsets");

class WavWriter {
 public:
  // A fresh file replaces whatever was there; otherwise samples are added after those of a
  // file this writer's format wrote earlier (a file of any other form is started afresh).
  static std::unique_ptr<WavWriter> Open(const std::string& path, uint32_t sampleRate,
                                         bool fresh, std::string& error);
  ~WavWriter();  // finishes the file
  WavWriter(const WavWriter&) = delete;
  WavWriter& operator=(const WavWriter&) = delete;

  // Interleaved left/right frames. False once the file cannot take more: a write error, or
  // the 4 GiB that a WAV file's 32-bit sizes can describe (the frames that fit are kept).
  bool Write(const int16_t* frames, uint32_t frameCount);
  // Brings the header up to date and flushes; the file stays open for more frames.
  bool Finish();
  uint64_t FramesWritten() const { return dataSize_ / kBytesPerFrame; }
  const std::string& Problem() const { return problem_; }

  static constexpr uint32_t kChannels = 2;
  static constexpr uint32_t kBytesPerFrame = kChannels * 2;
  static constexpr uint32_t kMaxDataSize = 0xFFFFFFFFu - 36 - 3;  // whole frames only

 private:
  WavWriter(std::FILE* file, std::string path, uint32_t sampleRate, uint32_t dataSize);
  bool Fail(const std::string& what);

  std::FILE* file_;
  std::string path_;
  uint32_t sampleRate_;
  uint32_t dataSize_;
  std::string problem_;
};

}  // namespace midi
