// The streaming WAV writer: header first with the sizes known so far, frames appended, the
// header rewritten by Finish. Reopening a file it wrote continues after its last frame.
// Entry point: WavWriter::Open.

// Files up to the 4 GiB a WAV header can describe need 64-bit offsets on i386.
#define _FILE_OFFSET_BITS 64
#include "native/midi/wavwriter.h"

#include <sys/types.h>

#include <cerrno>
#include <cstring>
#include <vector>

namespace midi {
namespace {

static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__, "WAV headers are written as is");

WavHeader MakeHeader(uint32_t sampleRate, uint32_t dataSize) {
  WavHeader header;
  std::memcpy(header.riff, "RIFF", 4);
  header.riffSize = 36 + dataSize;
  std::memcpy(header.wave, "WAVE", 4);
  std::memcpy(header.fmt, "fmt ", 4);
  header.fmtSize = 16;
  header.format = 1;
  header.channels = WavWriter::kChannels;
  header.sampleRate = sampleRate;
  header.blockAlign = WavWriter::kBytesPerFrame;
  header.byteRate = sampleRate * WavWriter::kBytesPerFrame;
  header.bitsPerSample = 16;
  std::memcpy(header.data, "data", 4);
  header.dataSize = dataSize;
  return header;
}

// The data size of a file this writer made with the same rate, or false for anything else.
bool ReadOwnHeader(std::FILE* file, uint32_t sampleRate, uint32_t& dataSize) {
  WavHeader header;
  if (fseeko(file, 0, SEEK_SET) != 0 || std::fread(&header, sizeof header, 1, file) != 1) {
    return false;
  }
  const WavHeader expected = MakeHeader(sampleRate, header.dataSize);
  if (std::memcmp(&header, &expected, sizeof header) != 0) return false;
  if (header.dataSize % WavWriter::kBytesPerFrame != 0) return false;
  if (fseeko(file, 0, SEEK_END) != 0) return false;
  const off_t length = ftello(file);
  if (length < 0 || static_cast<uint64_t>(length) < sizeof header + uint64_t{header.dataSize}) {
    return false;  // truncated behind our back
  }
  dataSize = header.dataSize;
  return true;
}

std::FILE* StartFile(const std::string& path, uint32_t sampleRate) {
  std::FILE* file = std::fopen(path.c_str(), "w+b");
  if (file == nullptr) return nullptr;
  const WavHeader header = MakeHeader(sampleRate, 0);
  if (std::fwrite(&header, sizeof header, 1, file) != 1) {
    std::fclose(file);
    return nullptr;
  }
  return file;
}

}  // namespace

std::unique_ptr<WavWriter> WavWriter::Open(const std::string& path, uint32_t sampleRate,
                                           bool fresh, std::string& error) {
  uint32_t dataSize = 0;
  std::FILE* file = fresh ? nullptr : std::fopen(path.c_str(), "r+b");
  if (file != nullptr && !ReadOwnHeader(file, sampleRate, dataSize)) {
    std::fclose(file);
    file = nullptr;
  }
  if (file == nullptr) {
    dataSize = 0;
    file = StartFile(path, sampleRate);
  }
  if (file == nullptr) {
    error = "cannot write the WAV file \"" + path + "\": " + std::strerror(errno);
    return nullptr;
  }
  if (fseeko(file, static_cast<off_t>(sizeof(WavHeader)) + dataSize, SEEK_SET) != 0) {
    error = "cannot write the WAV file \"" + path + "\": " + std::strerror(errno);
    std::fclose(file);
    return nullptr;
  }
  return std::unique_ptr<WavWriter>(new WavWriter(file, path, sampleRate, dataSize));
}

WavWriter::WavWriter(std::FILE* file, std::string path, uint32_t sampleRate, uint32_t dataSize)
    : file_(file), path_(std::move(path)), sampleRate_(sampleRate), dataSize_(dataSize) {}

WavWriter::~WavWriter() {
  Finish();
  std::fclose(file_);
}

bool WavWriter::Fail(const std::string& what) {
  if (problem_.empty()) problem_ = what;
  return false;
}

bool WavWriter::Write(const int16_t* frames, uint32_t frameCount) {
  if (!problem_.empty()) return false;
  const uint32_t room = (kMaxDataSize - dataSize_) / kBytesPerFrame;
  const uint32_t count = frameCount < room ? frameCount : room;
  if (count > 0 && std::fwrite(frames, kBytesPerFrame, count, file_) != count) {
    return Fail("cannot write the WAV file \"" + path_ + "\": " + std::strerror(errno));
  }
  dataSize_ += count * kBytesPerFrame;
  if (count < frameCount) {
    return Fail("the WAV file \"" + path_ + "\" is full (4 GiB); later sound is not recorded");
  }
  return true;
}

bool WavWriter::Finish() {
  const WavHeader header = MakeHeader(sampleRate_, dataSize_);
  const off_t end = static_cast<off_t>(sizeof header) + dataSize_;
  bool ok = std::fflush(file_) == 0 && fseeko(file_, 0, SEEK_SET) == 0 &&
            std::fwrite(&header, sizeof header, 1, file_) == 1 && std::fflush(file_) == 0;
  ok = fseeko(file_, end, SEEK_SET) == 0 && ok;
  return ok || Fail("cannot write the WAV file \"" + path_ + "\": " + std::strerror(errno));
}

}  // namespace midi
