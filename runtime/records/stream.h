// StreamReader: the two primitives of the image's description streams (compact integer and
// text) plus bytes and big-endian words, read from a span of data1 that is known to lie
// inside the block. The first failure is kept and every later read fails too, so a caller
// may read a run of fields and check once; nothing is ever read past the span's end.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

// Compact integer: first byte bit 7 = another byte follows, bit 6 = negative, bits 0..5 =
// the low 6 bits of the magnitude; each further byte adds 7 bits (bit 7 again = more). The
// magnitude is 32 bits at most (five bytes); it is negated when bit 6 was set, except that
// 0x80000000 stays -2147483648. Text: a compact integer n, then n bytes when n > 0.
class StreamReader {
 public:
  // what names the record for messages; blockOffset is where stream byte 0 lies in data1.
  StreamReader(std::string_view what, uint32_t blockOffset, const uint8_t* bytes,
               uint32_t length);

  bool ReadByte(const char* field, uint8_t& out);
  bool ReadBigEndianWord(const char* field, uint32_t& out);
  bool ReadCompactInteger(const char* field, int32_t& out);
  // A compact integer that counts something: a negative value is damage.
  bool ReadCount(const char* field, int32_t& out);
  // A class index: 0 .. classCount - 1 when classCount >= 0, else any value >= 0.
  bool ReadClassIndex(const char* field, int32_t classCount, int32_t& out);
  // The view points into the block and lives as long as it does.
  bool ReadText(const char* field, std::string_view& out);

  bool Failed() const { return failed_; }
  const std::string& Error() const { return error_; }
  uint32_t Position() const { return position_; }
  uint32_t Length() const { return length_; }
  bool AtEnd() const { return position_ == length_; }

  // Records "problem (stream byte N)" as the failure unless one is already recorded.
  bool Fail(std::string_view problem);
  // The same, naming byte `at` rather than the current position.
  bool FailAt(uint32_t at, std::string_view problem);
  // A failure of the record as a whole (its length, its place in the block): no position.
  bool FailRecord(std::string_view problem);

 private:
  bool Truncated(uint32_t start, const char* field, const char* kind);

  std::string what_;
  uint32_t blockOffset_;
  const uint8_t* bytes_;
  uint32_t length_;
  uint32_t position_ = 0;
  bool failed_ = false;
  std::string error_;
};
