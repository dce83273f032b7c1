// Parsing of ARMONIX_MIDI: `synth[:FILE.sf2]`, `alsa[:CLIENT:PORT]`, `record:FILE`, `none`.
// Entry point: ParseMidiConfig.
#include "native/midi/midiconfig.h"

#include <string_view>

namespace midi {
namespace {

constexpr const char* kExpected =
    "expected synth[:FILE.sf2], alsa[:CLIENT:PORT], record:FILE or none";

struct BackendName {
  std::string_view name;
  BackendKind kind;
  bool needsArgument;
  bool takesArgument;
};

constexpr BackendName kBackends[] = {
    {"synth", BackendKind::kSynth, false, true},
    {"alsa", BackendKind::kAlsa, false, true},
    {"record", BackendKind::kRecord, true, true},
    {"none", BackendKind::kNone, false, false},
};

}  // namespace

bool ParseMidiConfig(const char* text, MidiConfig& config, std::string& error) {
  config = MidiConfig{};
  if (text == nullptr || *text == '\0') return true;
  const std::string_view value(text);
  const size_t colon = value.find(':');
  const std::string_view name = value.substr(0, colon);
  const bool hasArgument = colon != std::string_view::npos;
  const std::string_view argument = hasArgument ? value.substr(colon + 1) : std::string_view{};
  for (const BackendName& backend : kBackends) {
    if (backend.name != name) continue;
    if (hasArgument && !backend.takesArgument) {
      error = "ARMONIX_MIDI=" + std::string(value) + ": " + std::string(name) +
              " takes no argument";
      return false;
    }
    if (backend.needsArgument && argument.empty()) {
      error = "ARMONIX_MIDI=" + std::string(value) + ": " + std::string(name) +
              " needs a file name (" + std::string(name) + ":FILE)";
      return false;
    }
    config.kind = backend.kind;
    config.argument = std::string(argument);
    return true;
  }
  error = "ARMONIX_MIDI=" + std::string(value) + ": unknown backend \"" + std::string(name) +
          "\" (" + kExpected + ")";
  return false;
}

}  // namespace midi
