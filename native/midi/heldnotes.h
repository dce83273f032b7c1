// Which notes are sounding on a device, followed message by message, so that a backend
// driving an external instrument can release them when the session ends (the runtime
// closes the device without note-offs, which would leave that instrument's notes stuck).
#pragma once

#include <bitset>
#include <cstdint>
#include <utility>
#include <vector>

#include "native/midi/shortmessage.h"

namespace midi {

class HeldNotes {
 public:
  void Track(const ShortMessage& message);
  // (channel, note) pairs still sounding, by channel then note.
  std::vector<std::pair<uint8_t, uint8_t>> Sounding() const;

 private:
  void ReleaseChannel(uint8_t channel);
  std::bitset<16 * 128> held_;
};

}  // namespace midi
