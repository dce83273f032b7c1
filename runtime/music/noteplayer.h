// NotePlayer: the invisible control through which the application makes sound, one MIDI
// channel per player. Its fields follow the control fields; compiled code reads "Instrument"
// through the shared 32-bit field getter at kNotePlayerInstrumentOffset. Entry points:
// notePlayerPlayNote and notePlayerInstrumentSetter (runtime/entries/lists/music.def).
#pragma once
#include <cstddef>
#include <cstdint>

#include "runtime/ui/controlobject.h"

// Invariant: hasChannel is 1 exactly while the player holds `channel` (0..15) in the MIDI
// channel table; a player without one is silent for its whole life.
struct NotePlayerObject {
  ControlObject control;
  int32_t channel;     // MIDI channel 0..15, meaningful only with hasChannel
  int32_t instrument;  // last value given to "Instrument"; 0 when made
  uint8_t hasChannel;
  uint8_t pad[3];
};
static_assert(sizeof(NotePlayerObject) == 104);
static_assert(offsetof(NotePlayerObject, channel) == 92);
static_assert(offsetof(NotePlayerObject, instrument) == 96);
static_assert(offsetof(NotePlayerObject, hasChannel) == 100);

constexpr int32_t kNotePlayerInstrumentOffset = 96;

inline NotePlayerObject* AsNotePlayer(ObjectHeader* object) {
  return reinterpret_cast<NotePlayerObject*>(object);
}

// The MIDI words the player sends. Data bytes are 7-bit: values outside 0..127 have no
// message (the caller sends nothing for them).
namespace music {
bool IsMidiDataByte(int32_t value);
uint32_t NoteOnWord(int32_t channel, int32_t note, int32_t velocity);
uint32_t NoteOffWord(int32_t channel, int32_t note);  // release velocity 64
uint32_t ProgramChangeWord(int32_t channel, int32_t program);
}  // namespace music
