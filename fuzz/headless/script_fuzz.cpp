// Fuzz target: the headless script parser over arbitrary text (invalid UTF-8 included), and
// the key-text parser over every word of it. Every command must carry a line of the text,
// every error must name the script and its line, and a menu command a path of at least two
// non-empty captions. Entry point: LLVMFuzzerTestOneInput.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "native/headless/script.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string text(reinterpret_cast<const char*>(data), size);
  native::ParsedScript script = native::ParseScript("fuzz", text);
  int lines = 1 + static_cast<int>(std::count(text.begin(), text.end(), '\n'));
  for (const native::ScriptCommand& c : script.commands) {
    if (c.line < 1 || c.line > lines) std::abort();
    if (c.kind == native::CommandKind::kMenu &&
        (c.path.size() < 2 || std::any_of(c.path.begin(), c.path.end(),
                                          [](const std::string& p) { return p.empty(); })))
      std::abort();
  }
  for (const std::string& e : script.errors)
    if (e.rfind("fuzz:", 0) != 0) std::abort();
  int vk = 0;
  char character = 0;
  uint32_t modifiers = 0;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = std::min(text.find_first_of(" \n", start), text.size());
    if (native::ParseKeyText(text.substr(start, end - start), &vk, &character, &modifiers) &&
        (vk <= 0 || vk > 0xFF))
      std::abort();
    start = end + 1;
  }
  return 0;
}
