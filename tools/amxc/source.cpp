// Source files and diagnostics: loading files and formatting error messages with their
// source line and a caret. Entry points: SourceSet::Load, Diagnostics::Error.
#include "tools/amxc/source.h"

#include <fstream>
#include <sstream>

namespace amxc {

int32_t SourceSet::Load(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return -1;
  std::ostringstream text;
  text << in.rdbuf();
  return Add(path, text.str());
}

int32_t SourceSet::Add(const std::string& path, std::string text) {
  files_.push_back({path, std::move(text)});
  return static_cast<int32_t>(files_.size() - 1);
}

std::string SourceSet::LineText(const SourcePos& pos) const {
  if (pos.file < 0 || pos.file >= static_cast<int32_t>(files_.size())) return {};
  const std::string& text = files_[pos.file].text;
  size_t start = 0;
  for (int32_t line = 1; line < pos.line; ++line) {
    size_t next = text.find('\n', start);
    if (next == std::string::npos) return {};
    start = next + 1;
  }
  size_t end = text.find('\n', start);
  std::string line = text.substr(start, end == std::string::npos ? std::string::npos : end - start);
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return line;
}

void Diagnostics::Error(const SourcePos& pos, const std::string& message) {
  if (pos.file < 0) return Error(message);
  std::string head = sources_.File(pos.file).path + ":" + std::to_string(pos.line) + ":" +
                     std::to_string(pos.col) + ": error: " + message;
  std::string line = sources_.LineText(pos);
  // The caret keeps tabs so that it lines up under the column in a terminal.
  std::string caret;
  int32_t column = 1;
  for (size_t i = 0; i < line.size() && column < pos.col; ++i) {
    unsigned char c = static_cast<unsigned char>(line[i]);
    if ((c & 0xC0) == 0x80) continue;  // UTF-8 continuation byte: same character
    caret += (c == '\t') ? '\t' : ' ';
    ++column;
  }
  headlines_.push_back(head);
  messages_.push_back(head + "\n" + line + "\n" + caret + "^");
}

void Diagnostics::Error(const std::string& message) {
  headlines_.push_back("amxc: error: " + message);
  messages_.push_back(headlines_.back());
}

}  // namespace amxc
