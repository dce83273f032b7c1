// The stream primitives. Failures name the record, its data1 offset, the field and the stream
// byte where the damaged field begins.
#include "runtime/records/stream.h"

#include "runtime/records/datablock.h"

StreamReader::StreamReader(std::string_view what, uint32_t blockOffset, const uint8_t* bytes,
                           uint32_t length)
    : what_(what), blockOffset_(blockOffset), bytes_(bytes), length_(length) {}

bool StreamReader::FailAt(uint32_t at, std::string_view problem) {
  if (failed_) return false;
  failed_ = true;
  std::string text(problem);
  text += " (stream byte " + std::to_string(at) + " of " + std::to_string(length_) + ")";
  error_ = RecordMessage(what_, blockOffset_, text);
  return false;
}

bool StreamReader::FailRecord(std::string_view problem) {
  if (failed_) return false;
  failed_ = true;
  error_ = RecordMessage(what_, blockOffset_, problem);
  return false;
}

bool StreamReader::Fail(std::string_view problem) { return FailAt(position_, problem); }

bool StreamReader::Truncated(uint32_t start, const char* field, const char* kind) {
  return FailAt(start, std::string("the stream ends inside the ") + kind + " '" + field + "'");
}

bool StreamReader::ReadByte(const char* field, uint8_t& out) {
  if (failed_) return false;
  if (position_ >= length_) return Truncated(position_, field, "byte");
  out = bytes_[position_++];
  return true;
}

bool StreamReader::ReadBigEndianWord(const char* field, uint32_t& out) {
  if (failed_) return false;
  if (length_ - position_ < 4) return Truncated(position_, field, "word");
  const uint8_t* p = bytes_ + position_;
  out = (uint32_t{p[0]} << 24) | (uint32_t{p[1]} << 16) | (uint32_t{p[2]} << 8) | p[3];
  position_ += 4;
  return true;
}

bool StreamReader::ReadCompactInteger(const char* field, int32_t& out) {
  if (failed_) return false;
  uint32_t start = position_;
  if (position_ >= length_) return Truncated(start, field, "compact integer");
  uint8_t first = bytes_[position_++];
  bool negative = (first & 0x40) != 0;
  uint32_t magnitude = first & 0x3F;
  bool more = (first & 0x80) != 0;
  for (int shift = 6; more; shift += 7) {
    if (position_ >= length_) return Truncated(start, field, "compact integer");
    uint8_t next = bytes_[position_++];
    uint32_t bits = next & 0x7F;
    // The fifth byte may only supply bits 27..31.
    if (shift == 27 && (bits > 0x1F || (next & 0x80) != 0))
      return FailAt(start, std::string("the compact integer '") + field +
                               "' is longer than 32 bits");
    magnitude |= bits << shift;
    more = (next & 0x80) != 0;
  }
  if (negative && magnitude != 0x80000000u) magnitude = 0u - magnitude;
  out = static_cast<int32_t>(magnitude);
  return true;
}

bool StreamReader::ReadCount(const char* field, int32_t& out) {
  uint32_t start = position_;
  if (!ReadCompactInteger(field, out)) return false;
  if (out < 0) return FailAt(start, std::string("negative ") + field + " " + std::to_string(out));
  return true;
}

bool StreamReader::ReadClassIndex(const char* field, int32_t classCount, int32_t& out) {
  uint32_t start = position_;
  if (!ReadCompactInteger(field, out)) return false;
  if (out < 0 || (classCount >= 0 && out >= classCount)) {
    std::string problem = std::string(field) + " " + std::to_string(out) + " is outside the class table";
    if (classCount >= 0) problem += " (" + std::to_string(classCount) + " classes)";
    return FailAt(start, problem);
  }
  return true;
}

bool StreamReader::ReadText(const char* field, std::string_view& out) {
  uint32_t start = position_;
  int32_t n = 0;
  if (!ReadCompactInteger(field, n)) return false;
  if (n <= 0) {
    out = std::string_view();
    return true;
  }
  uint32_t count = static_cast<uint32_t>(n);
  if (length_ - position_ < count)
    return FailAt(start, std::string("the text '") + field + "' of " + std::to_string(n) +
                             " bytes runs past the end of the stream");
  out = std::string_view(reinterpret_cast<const char*>(bytes_ + position_), count);
  position_ += count;
  return true;
}
