// Decoding of packed MIDI short messages, shared by the synthesizer and sequencer backends.
// Entry point: DecodeShortMessage.
#include "native/midi/shortmessage.h"

namespace midi {
namespace {

// Bytes a message with this status occupies, status byte included; 0 for system exclusive.
uint8_t MessageLength(uint8_t status) {
  if (status < 0xF0) {
    const uint8_t kind = status & 0xF0;
    return (kind == 0xC0 || kind == 0xD0) ? 2 : 3;
  }
  switch (status) {
    case 0xF1: case 0xF3: return 2;  // time code quarter frame, song select
    case 0xF2: return 3;             // song position
    case 0xF0: case 0xF7: return 0;  // system exclusive: needs a long message
    default: return 1;               // tune request, real time, undefined
  }
}

}  // namespace

ShortMessage DecodeShortMessage(uint32_t word, uint8_t& runningStatus) {
  const uint8_t first = word & 0xFF;
  uint8_t status = first;
  uint32_t data = word >> 8;
  if (first < 0x80) {
    if (runningStatus == 0) return {};
    status = runningStatus;
    data = word;  // the first data byte sits where the status would be
  }
  ShortMessage message;
  message.length = MessageLength(status);
  if (message.length == 0) return {};
  message.status = status;
  if (message.length >= 2) message.data1 = data & 0x7F;
  if (message.length == 3) message.data2 = (data >> 8) & 0x7F;
  if (status < 0xF0) {
    runningStatus = status;
  } else if (status < 0xF8) {
    runningStatus = 0;
  }
  return message;
}

}  // namespace midi
