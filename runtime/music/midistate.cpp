// The MIDI state behind every NotePlayer (midistate.h): one output handle opened while at
// least one player lives, a player count and a 16-flag channel table. Not locked: players
// live and play on the thread that runs the compiled code.
#include "runtime/music/midistate.h"

#include "native/mmsystem.h"
#include "runtime/startup/hooks.h"

namespace music {
namespace {

struct MidiState {
  HMIDIOUT handle = nullptr;  // nil when no device is open
  int32_t playerCount = 0;
  bool channelHeld[kMidiChannelCount] = {};
};

MidiState gMidi;
void (*gPreviousStopSound)() = nullptr;  // the hook that was installed before ours

bool IsChannel(int32_t channel) { return channel >= 0 && channel < kMidiChannelCount; }

void OpenDevice() {
  HMIDIOUT handle = nullptr;
  midiOutOpen(&handle, 0, 0, 0, CALLBACK_NULL);  // device 0 itself, not the mapper
  gMidi.handle = handle;                         // stays nil when the open failed
}

void CloseDevice() {
  midiOutClose(gMidi.handle);
  gMidi.handle = nullptr;
}

bool ClaimLowestFreeChannel(int32_t* channel) {
  for (int32_t c = 0; c < kMidiChannelCount; ++c) {
    if (gMidi.channelHeld[c]) continue;
    gMidi.channelHeld[c] = true;
    *channel = c;
    return true;
  }
  return false;
}

}  // namespace

bool JoinMidi(int32_t* channel) {
  if (gMidi.playerCount == 0) OpenDevice();
  ++gMidi.playerCount;  // counted whether or not a device or channel was obtained
  return gMidi.handle != nullptr && ClaimLowestFreeChannel(channel);
}

void LeaveMidi(bool hasChannel, int32_t channel) {
  if (hasChannel && IsChannel(channel)) gMidi.channelHeld[channel] = false;
  if (gMidi.playerCount > 0) --gMidi.playerCount;
  if (gMidi.playerCount == 0 && gMidi.handle != nullptr) CloseDevice();
}

void SendMidi(uint32_t word) {
  if (gMidi.handle != nullptr) midiOutShortMsg(gMidi.handle, word);
}

bool MidiDeviceOpen() { return gMidi.handle != nullptr; }
int32_t MidiPlayerCount() { return gMidi.playerCount; }
bool MidiChannelHeld(int32_t channel) { return IsChannel(channel) && gMidi.channelHeld[channel]; }

void StopMidiSound() {
  if (gPreviousStopSound != nullptr) gPreviousStopSound();
  if (gMidi.handle != nullptr) midiOutReset(gMidi.handle);
}

void InstallMusicHooks() {
  RuntimeHooks& hooks = StartupHooks();
  if (hooks.stopSound == StopMidiSound) return;
  gPreviousStopSound = hooks.stopSound;
  hooks.stopSound = StopMidiSound;
}

void ResetMidiStateForTesting() { gMidi = MidiState{}; }

}  // namespace music
