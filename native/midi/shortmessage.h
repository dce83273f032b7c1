// Unpacking of a packed MIDI short message (status in bits 0-7, data in bits 8-15 and
// 16-23) into the event a synthesizer or sequencer understands: DecodeShortMessage.
// Words without a status byte use the running status of the previous channel message.
#pragma once

#include <cstdint>

namespace midi {

struct ShortMessage {
  uint8_t status = 0;  // 0x80..0xFF; 0 when the word carries nothing to send
  uint8_t data1 = 0;   // 0..127
  uint8_t data2 = 0;   // 0..127
  uint8_t length = 0;  // bytes on the wire: 1..3, or 0 when there is nothing to send

  uint8_t Kind() const { return status < 0xF0 ? status & 0xF0 : status; }
  uint8_t Channel() const { return status & 0x0F; }
  bool IsNoteOff() const { return Kind() == 0x80 || (Kind() == 0x90 && data2 == 0); }
};

// Running status lives with the caller (one per open device). System exclusive bytes
// (0xF0, 0xF7) cannot travel in a short message and decode to nothing; so do stray data
// bytes without a running status. Real-time and common messages leave running status as is
// (common messages cancel it).
ShortMessage DecodeShortMessage(uint32_t word, uint8_t& runningStatus);

}  // namespace midi
