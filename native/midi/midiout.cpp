// The MIDI output service: midiOutOpen starts the backend that ARMONIX_MIDI chooses (and
// ARMONIX_WAV for the synthesizer), the other calls pass through the one open handle.
// A backend that cannot start explains why in one line on stderr and MIDI stays off for
// the rest of the process, so the runtime's players are silent and later opens are cheap.
#include <cstdlib>
#include <exception>
#include <memory>
#include <new>

#include "native/midi/alsaseq.h"
#include "native/midi/midiconfig.h"
#include "native/midi/midiout.h"
#include "native/midi/recorder.h"
#include "native/midi/synth.h"
#include "native/mmsystem.h"

namespace midi {
namespace {

struct MidiOutState {
  std::unique_ptr<MidiBackend> backend;  // the open session, nil while closed
  uintptr_t handle = 0;                  // its handle value, never dereferenced
  uint32_t generation = 0;               // makes a stale handle differ from the next one
  bool off = false;                      // a backend failed: device count 0, opens fail

  ~MidiOutState() { backend.reset(); }  // finishes files of a session left open at exit
};

MidiOutState& State() {
  static MidiOutState state;
  return state;
}

// Handle values are small tagged integers, so a stale or foreign handle is recognised
// without touching memory.
HMIDIOUT NextHandle(MidiOutState& state) {
  ++state.generation;
  state.handle = 0x4D000000u | ((state.generation & 0x3FFFFFu) << 2);
  return reinterpret_cast<HMIDIOUT>(state.handle);
}

bool IsOpenHandle(HMIDIOUT hmo) {
  const MidiOutState& state = State();
  return state.backend != nullptr && reinterpret_cast<uintptr_t>(hmo) == state.handle;
}

bool ReadConfig(MidiConfig& config, std::string& error) {
  return ParseMidiConfig(std::getenv("ARMONIX_MIDI"), config, error);
}

std::unique_ptr<MidiBackend> StartBackend(const MidiConfig& config, std::string& error) {
  switch (config.kind) {
    case BackendKind::kSynth:
      return OpenSynth(config.argument, std::getenv("ARMONIX_WAV"), error);
    case BackendKind::kAlsa:
      return OpenAlsaSequencer(config.argument, error);
    case BackendKind::kRecord:
      return OpenRecorder(config.argument, error);
    case BackendKind::kNone:
      return nullptr;
  }
  return nullptr;
}

void SwitchOff(const std::string& reason) {
  State().off = true;
  ReportMidiOff(reason);
}

}  // namespace

void ResetMidiOutForTesting() {
  MidiOutState& state = State();
  state.backend.reset();
  state.handle = 0;
  state.off = false;
  ForgetClaimedFilesForTesting();
}

}  // namespace midi

using midi::State;

UINT midiOutGetNumDevs() noexcept {
  if (State().off) return 0;
  midi::MidiConfig config;
  std::string error;
  return midi::ReadConfig(config, error) && config.kind != midi::BackendKind::kNone ? 1 : 0;
}

MMRESULT midiOutOpen(LPHMIDIOUT phmo, UINT deviceId, DWORD_PTR callback, DWORD_PTR instance,
                     DWORD flags) noexcept {
  if (phmo == nullptr) return MMSYSERR_INVALPARAM;
  *phmo = nullptr;
  if (deviceId != 0 && deviceId != MIDI_MAPPER) return MMSYSERR_BADDEVICEID;
  if ((flags & CALLBACK_TYPEMASK) != CALLBACK_NULL || (flags & ~CALLBACK_TYPEMASK) != 0) {
    return MMSYSERR_INVALFLAG;
  }
  midi::MidiOutState& state = State();
  if (state.backend != nullptr) return MMSYSERR_ALLOCATED;
  if (state.off) return MMSYSERR_NODRIVER;
  midi::MidiConfig config;
  std::string error;
  if (!midi::ReadConfig(config, error)) {
    midi::SwitchOff(error);
    return MMSYSERR_NODRIVER;
  }
  if (config.kind == midi::BackendKind::kNone) return MMSYSERR_NODRIVER;
  try {
    state.backend = midi::StartBackend(config, error);
  } catch (const std::bad_alloc&) {
    error = "out of memory";
  } catch (const std::exception& problem) {
    error = problem.what();
  }
  if (state.backend == nullptr) {
    midi::SwitchOff(error);
    return MMSYSERR_NODRIVER;
  }
  *phmo = midi::NextHandle(state);
  return MMSYSERR_NOERROR;
}

MMRESULT midiOutShortMsg(HMIDIOUT hmo, DWORD message) noexcept {
  if (!midi::IsOpenHandle(hmo)) return MMSYSERR_INVALHANDLE;
  return State().backend->Send(message);
}

MMRESULT midiOutReset(HMIDIOUT hmo) noexcept {
  if (!midi::IsOpenHandle(hmo)) return MMSYSERR_INVALHANDLE;
  return State().backend->Reset();
}

MMRESULT midiOutClose(HMIDIOUT hmo) noexcept {
  if (!midi::IsOpenHandle(hmo)) return MMSYSERR_INVALHANDLE;
  midi::MidiOutState& state = State();
  state.backend.reset();
  state.handle = 0;
  return MMSYSERR_NOERROR;
}
