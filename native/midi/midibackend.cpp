// Behaviour shared by the MIDI backends: the default reset, the process-wide list of files
// already started, and the message that explains why MIDI output is off.
#include "native/midi/midibackend.h"

#include <cstdio>
#include <set>

namespace midi {
namespace {

constexpr uint32_t kControlChange = 0xB0;
constexpr uint32_t kAllNotesOff = 123;

std::set<std::string>& ClaimedFiles() {
  static std::set<std::string> files;
  return files;
}

}  // namespace

MMRESULT MidiBackend::Reset() {
  MMRESULT result = MMSYSERR_NOERROR;
  for (uint32_t channel = 0; channel < 16; ++channel) {
    const MMRESULT sent = Send((kControlChange + channel) | (kAllNotesOff << 8));
    if (sent != MMSYSERR_NOERROR) result = sent;
  }
  return result;
}

bool ClaimFreshFile(const std::string& path) {
  return ClaimedFiles().insert(path).second;
}

void ForgetClaimedFilesForTesting() { ClaimedFiles().clear(); }

void ReportMidiOff(const std::string& reason) {
  std::string line = reason;
  for (char& c : line) {
    if (c == '\n' || c == '\r') c = ' ';  // one line, whatever a library said
  }
  std::fprintf(stderr, "MIDI output off: %s\n", line.c_str());
  std::fflush(stderr);
}

}  // namespace midi
