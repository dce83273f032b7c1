// What every MIDI output backend offers to midiOutOpen and friends: an open session that
// takes packed short messages and ends when the object is destroyed. The factories are
// declared beside each backend (recorder.h, synth.h, alsaseq.h).
#pragma once

#include <cstdint>
#include <string>

#include "native/mmsystem.h"

namespace midi {

class MidiBackend {
 public:
  virtual ~MidiBackend() = default;  // closes the session: flush, finish files, stop sound
  virtual MMRESULT Send(uint32_t word) = 0;
  // All Notes Off on every channel, sent through Send so that every backend (the recorder
  // too) sees the same messages.
  virtual MMRESULT Reset();
};

// Files the backends write (recording, WAV) cover the whole process: the first session
// that names a file starts it afresh, later sessions add to it. True the first time.
bool ClaimFreshFile(const std::string& path);
void ForgetClaimedFilesForTesting();

// The one line on stderr that tells why MIDI output is off.
void ReportMidiOff(const std::string& reason);

}  // namespace midi
