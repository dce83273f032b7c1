// Source files and diagnostics of the compiler. Every error is reported as
// "file:line:col: error: message", then the source line and a caret under the column.
// Entry points: SourceSet::Load, Diagnostics::Error.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace amxc {

// A position in a loaded source file (line and column 1-based; column counts characters).
struct SourcePos {
  int32_t file = -1;
  int32_t line = 0;
  int32_t col = 0;
};

struct SourceFile {
  std::string path;
  std::string text;
};

class SourceSet {
 public:
  // Reads a file; returns its index, or -1 when it cannot be read.
  int32_t Load(const std::string& path);
  // Adds text that does not come from disk (tests); returns its index.
  int32_t Add(const std::string& path, std::string text);
  const SourceFile& File(int32_t index) const { return files_[index]; }
  std::string LineText(const SourcePos& pos) const;

 private:
  std::vector<SourceFile> files_;
};

class Diagnostics {
 public:
  explicit Diagnostics(const SourceSet& sources) : sources_(sources) {}
  void Error(const SourcePos& pos, const std::string& message);
  // An error that belongs to no source position ("amxc: error: ...").
  void Error(const std::string& message);
  bool HasErrors() const { return !messages_.empty(); }
  size_t Count() const { return messages_.size(); }
  // Each message with its source line and caret, in the order found.
  const std::vector<std::string>& Messages() const { return messages_; }
  // Only the first lines ("file:line:col: error: message"), for tests.
  const std::vector<std::string>& Headlines() const { return headlines_; }

 private:
  const SourceSet& sources_;
  std::vector<std::string> messages_;
  std::vector<std::string> headlines_;
};

}  // namespace amxc
