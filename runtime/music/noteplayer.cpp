// The NotePlayer class: its constructor and destructor claim and free a MIDI channel through
// the shared MIDI state (midistate.h), PlayNote sends note on / note off, the "Instrument"
// setter sends a program change. CreatePane does nothing: the player has no window.
// Entry points: notePlayerPlayNote, notePlayerInstrumentSetter, NotePlayerCreatePane.
#include "runtime/music/noteplayer.h"

#include "runtime/entries/entries.h"
#include "runtime/music/midistate.h"
#include "runtime/objects/builtinclasses.h"

namespace music {

bool IsMidiDataByte(int32_t value) { return value >= 0 && value <= 127; }

uint32_t NoteOnWord(int32_t channel, int32_t note, int32_t velocity) {
  return (0x90u + static_cast<uint32_t>(channel)) + (static_cast<uint32_t>(note) << 8) +
         (static_cast<uint32_t>(velocity) << 16);
}

uint32_t NoteOffWord(int32_t channel, int32_t note) {
  return (0x80u + static_cast<uint32_t>(channel)) + (static_cast<uint32_t>(note) << 8) +
         (64u << 16);
}

uint32_t ProgramChangeWord(int32_t channel, int32_t program) {
  return (0xC0u + static_cast<uint32_t>(channel)) + (static_cast<uint32_t>(program) << 8);
}

}  // namespace music

namespace builtins {

// Runs after the control constructors: the fields below are still zero.
void NotePlayerConstructor(ObjectHeader* object, ClassRecord*) {
  music::InstallMusicHooks();
  NotePlayerObject* player = AsNotePlayer(object);
  int32_t channel = 0;
  if (music::JoinMidi(&channel)) {
    player->channel = channel;
    player->hasChannel = 1;
  }
}

// No note-off is sent: the caller stops its own notes, and the device layer releases what
// still sounds when the device closes.
void NotePlayerDestructor(ObjectHeader* object, ClassRecord*) {
  NotePlayerObject* player = AsNotePlayer(object);
  const bool hadChannel = player->hasChannel != 0;
  player->hasChannel = 0;
  music::LeaveMidi(hadChannel, player->channel);
}

}  // namespace builtins

namespace {

// Compiled code passes its NotePlayer reference; anything else (nil, another class) would
// have its memory read and written at the player's offsets, so it is left alone.
NotePlayerObject* PlayerOrNil(ObjectHeader* object) {
  if (!ObjectIsa(object, AMX_BUILTIN_CLASS(NotePlayer))) return nullptr;
  return AsNotePlayer(object);
}

}  // namespace

// A note or velocity outside 0..127 would spill into the neighbouring bytes of the word
// (another status, another note); such a call sends nothing.
AMX_ENTRY void notePlayerPlayNote(ObjectHeader* player, int32_t note, int32_t velocity) noexcept {
  const NotePlayerObject* self = PlayerOrNil(player);
  if (self == nullptr || self->hasChannel == 0) return;
  if (!music::IsMidiDataByte(note) || !music::IsMidiDataByte(velocity)) return;
  music::SendMidi(velocity != 0 ? music::NoteOnWord(self->channel, note, velocity)
                                : music::NoteOffWord(self->channel, note));
}

// The value is always stored (the getter returns it); only device program numbers 0..127
// reach the device.
AMX_ENTRY void notePlayerInstrumentSetter(ObjectHeader* player, int32_t,
                                          int32_t instrument) noexcept {
  NotePlayerObject* self = PlayerOrNil(player);
  if (self == nullptr || self->instrument == instrument) return;
  self->instrument = instrument;
  if (self->hasChannel == 0 || !music::IsMidiDataByte(instrument)) return;
  music::SendMidi(music::ProgramChangeWord(self->channel, instrument));
}

// The player creates no pane and draws nothing.
AMX_ENTRY void NotePlayerCreatePane(ObjectHeader*) noexcept {}
