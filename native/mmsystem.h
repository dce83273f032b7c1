// The MIDI output service of the native layer, under the Win32 names the runtime uses:
// midiOutOpen opens output device 0 on the backend that ARMONIX_MIDI chooses (see
// native/midi/midiout.cpp), midiOutShortMsg sends one packed short message, midiOutClose
// ends the session. One device, one open handle at a time, no callbacks.
#pragma once

#include "native/wintypes.h"

struct HMIDIOUT__ {
  int32_t unused;
};
using HMIDIOUT = HMIDIOUT__*;
using LPHMIDIOUT = HMIDIOUT*;
using MMRESULT = UINT;

// Results, numbered as the original service numbers them.
constexpr MMRESULT MMSYSERR_NOERROR = 0;
constexpr MMRESULT MMSYSERR_ERROR = 1;
constexpr MMRESULT MMSYSERR_BADDEVICEID = 2;
constexpr MMRESULT MMSYSERR_NOTENABLED = 3;
constexpr MMRESULT MMSYSERR_ALLOCATED = 4;
constexpr MMRESULT MMSYSERR_INVALHANDLE = 5;
constexpr MMRESULT MMSYSERR_NODRIVER = 6;
constexpr MMRESULT MMSYSERR_NOMEM = 7;
constexpr MMRESULT MMSYSERR_NOTSUPPORTED = 8;
constexpr MMRESULT MMSYSERR_INVALFLAG = 10;
constexpr MMRESULT MMSYSERR_INVALPARAM = 11;
constexpr MMRESULT MIDIERR_BASE = 64;
constexpr MMRESULT MIDIERR_NOTREADY = MIDIERR_BASE + 3;
constexpr MMRESULT MIDIERR_NODEVICE = MIDIERR_BASE + 4;
constexpr MMRESULT MIDIERR_BADOPENMODE = MIDIERR_BASE + 6;

// The mapper stands for device 0: this layer has exactly one output device.
constexpr UINT MIDI_MAPPER = 0xFFFFFFFFu;

// Open flags: only CALLBACK_NULL is supported; the others are refused with INVALFLAG.
constexpr DWORD CALLBACK_TYPEMASK = 0x00070000;
constexpr DWORD CALLBACK_NULL = 0x00000000;
constexpr DWORD CALLBACK_WINDOW = 0x00010000;
constexpr DWORD CALLBACK_TASK = 0x00020000;
constexpr DWORD CALLBACK_FUNCTION = 0x00030000;
constexpr DWORD CALLBACK_THREAD = CALLBACK_TASK;
constexpr DWORD CALLBACK_EVENT = 0x00050000;

// Number of output devices: 1 unless ARMONIX_MIDI is "none" (or MIDI has been switched
// off for this process after a backend failed to start).
UINT midiOutGetNumDevs() noexcept;
// device 0 or MIDI_MAPPER, callback and instance 0, flags CALLBACK_NULL. A second open
// while a handle is open gives MMSYSERR_ALLOCATED. On failure *phmo is set to nil.
MMRESULT midiOutOpen(LPHMIDIOUT phmo, UINT deviceId, DWORD_PTR callback, DWORD_PTR instance,
                     DWORD flags) noexcept;
// Status in bits 0-7, data bytes in bits 8-15 and 16-23; a word without a status byte
// reuses the previous status (running status).
MMRESULT midiOutShortMsg(HMIDIOUT hmo, DWORD message) noexcept;
// Silences every note on every channel (All Notes Off on channels 0..15).
MMRESULT midiOutReset(HMIDIOUT hmo) noexcept;
MMRESULT midiOutClose(HMIDIOUT hmo) noexcept;
