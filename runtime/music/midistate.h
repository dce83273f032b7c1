// The process-wide MIDI state shared by every NotePlayer: the output handle, the number of
// live players and which of the 16 channels are held. JoinMidi and LeaveMidi are a player's
// constructor and destructor steps; SendMidi sends one short message when a device is open.
#pragma once
#include <cstdint>

namespace music {

constexpr int32_t kMidiChannelCount = 16;

// A new player: opens device 0 when it is the first live player (a failed open leaves no
// device until every player is gone), then claims the lowest free channel. False, with
// *channel untouched, when there is no device or all 16 channels are held.
bool JoinMidi(int32_t* channel);
// A player going away: frees its channel when it had one (hasChannel), and closes the
// device when the last player leaves. Channels outside 0..15 are never freed.
void LeaveMidi(bool hasChannel, int32_t channel);
// One short message to the open device; nothing without one. Results are not looked at.
void SendMidi(uint32_t word);

// What tests and the shutdown step look at.
bool MidiDeviceOpen();
int32_t MidiPlayerCount();
bool MidiChannelHeld(int32_t channel);

// Shutdown: silences every note still sounding when players outlive the windows (the
// device stays open for them). Installed as StartupHooks().stopSound by InstallMusicHooks.
void StopMidiSound();
void InstallMusicHooks();

// Forgets the state without touching the device (tests start each case from nothing).
void ResetMidiStateForTesting();

}  // namespace music
