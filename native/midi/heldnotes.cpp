// Following note-ons and the messages that end them. Entry point: HeldNotes::Track.
#include "native/midi/heldnotes.h"

namespace midi {
namespace {

constexpr uint8_t kAllSoundOff = 120;
constexpr uint8_t kAllNotesOff = 123;
constexpr uint8_t kSystemReset = 0xFF;

size_t Slot(uint8_t channel, uint8_t note) { return size_t{channel} * 128 + note; }

}  // namespace

void HeldNotes::Track(const ShortMessage& message) {
  switch (message.Kind()) {
    case 0x80:
    case 0x90:
      held_.set(Slot(message.Channel(), message.data1), !message.IsNoteOff());
      break;
    case 0xB0:
      // Omni and mono/poly mode changes (124..127) end all notes as well.
      if (message.data1 == kAllSoundOff || message.data1 >= kAllNotesOff) {
        ReleaseChannel(message.Channel());
      }
      break;
    case kSystemReset:
      held_.reset();
      break;
    default:
      break;
  }
}

void HeldNotes::ReleaseChannel(uint8_t channel) {
  for (uint8_t note = 0; note < 128; ++note) held_.reset(Slot(channel, note));
}

std::vector<std::pair<uint8_t, uint8_t>> HeldNotes::Sounding() const {
  std::vector<std::pair<uint8_t, uint8_t>> sounding;
  for (uint8_t channel = 0; channel < 16; ++channel) {
    for (uint8_t note = 0; note < 128; ++note) {
      if (held_.test(Slot(channel, note))) sounding.emplace_back(channel, note);
    }
  }
  return sounding;
}

}  // namespace midi
