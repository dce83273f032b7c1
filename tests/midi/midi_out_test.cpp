// The MIDI output service through its public calls, observed with the recorder: the exact
// words, sessions appended in one file, argument and handle checks, and switching MIDI
// off with one line on stderr when a backend cannot start.
#include <sys/stat.h>

#include "tests/midi/midi_fixture.h"

namespace {

using MidiOutServiceTest = MidiOutTest;
using ::testing::internal::CaptureStderr;
using ::testing::internal::GetCapturedStderr;

TEST_F(MidiOutServiceTest, RecorderWritesTheExactWords) {
  const std::string path = TempFile("words.txt");
  Use("record:" + path);
  HMIDIOUT h = OpenOrFail();
  EXPECT_EQ(midiOutShortMsg(h, 0x00643C90), MMSYSERR_NOERROR);  // note on, channel 0
  EXPECT_EQ(midiOutShortMsg(h, 0x00403C80), MMSYSERR_NOERROR);  // note off
  EXPECT_EQ(midiOutShortMsg(h, 0x000001C2), MMSYSERR_NOERROR);  // program change, channel 2
  EXPECT_EQ(midiOutShortMsg(h, 0xFFFFFFFF), MMSYSERR_NOERROR);  // kept as sent
  EXPECT_EQ(midiOutShortMsg(h, 0x00000000), MMSYSERR_NOERROR);
  EXPECT_EQ(ReadLines(path), (std::vector<std::string>{"open", "00643C90", "00403C80",
                                                       "000001C2", "FFFFFFFF", "00000000"}))
      << "every line is on disk before the session ends";
  EXPECT_EQ(midiOutClose(h), MMSYSERR_NOERROR);
  EXPECT_EQ(ReadLines(path).back(), "close");
}

TEST_F(MidiOutServiceTest, LaterSessionsOfAProcessAppendAndANewProcessStartsAfresh) {
  const std::string path = TempFile("sessions.txt");
  Use("record:" + path);
  for (DWORD word : {0x00643C90u, 0x00403C80u}) {
    HMIDIOUT h = OpenOrFail();
    midiOutShortMsg(h, word);
    midiOutClose(h);
  }
  EXPECT_EQ(ReadLines(path), (std::vector<std::string>{"open", "00643C90", "close", "open",
                                                       "00403C80", "close"}));
  midi::ResetMidiOutForTesting();  // as if the program started again
  HMIDIOUT h = OpenOrFail();
  midiOutClose(h);
  EXPECT_EQ(ReadLines(path), (std::vector<std::string>{"open", "close"}));
}

TEST_F(MidiOutServiceTest, ResetSendsAllNotesOffOnEveryChannel) {
  const std::string path = TempFile("reset.txt");
  Use("record:" + path);
  HMIDIOUT h = OpenOrFail();
  EXPECT_EQ(midiOutReset(h), MMSYSERR_NOERROR);
  midiOutClose(h);
  std::vector<std::string> expected = {"open"};
  const char* kDigits = "0123456789ABCDEF";
  for (int channel = 0; channel < 16; ++channel) {
    expected.push_back(std::string("00007BB") + kDigits[channel]);
  }
  expected.push_back("close");
  EXPECT_EQ(ReadLines(path), expected);
}

TEST_F(MidiOutServiceTest, OpenChecksItsArguments) {
  Use("record:" + TempFile("arguments.txt"));
  HMIDIOUT h = reinterpret_cast<HMIDIOUT>(0x1234);
  struct Case {
    const char* what;
    UINT device;
    DWORD_PTR callback;
    DWORD flags;
    MMRESULT expected;
  } const kCases[] = {
      {"second device", 1, 0, CALLBACK_NULL, MMSYSERR_BADDEVICEID},
      {"device beyond the mapper", 0xFFFFFFFE, 0, CALLBACK_NULL, MMSYSERR_BADDEVICEID},
      {"function callback", 0, 0x8000, CALLBACK_FUNCTION, MMSYSERR_INVALFLAG},
      {"window callback", 0, 0x8000, CALLBACK_WINDOW, MMSYSERR_INVALFLAG},
      {"unknown flag bits", 0, 0, 0x00000002, MMSYSERR_INVALFLAG},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(midiOutOpen(&h, c.device, c.callback, 0, c.flags), c.expected);
    EXPECT_EQ(h, nullptr) << "a failed open leaves no handle";
  }
  EXPECT_EQ(midiOutOpen(nullptr, 0, 0, 0, CALLBACK_NULL), MMSYSERR_INVALPARAM);
  ASSERT_EQ(midiOutOpen(&h, MIDI_MAPPER, 0, 0, CALLBACK_NULL), MMSYSERR_NOERROR)
      << "the mapper stands for device 0";
  midiOutClose(h);
}

TEST_F(MidiOutServiceTest, OneSessionAtATimeAndStaleHandlesAreRefused) {
  const std::string path = TempFile("handles.txt");
  Use("record:" + path);
  HMIDIOUT first = OpenOrFail();
  HMIDIOUT second = nullptr;
  EXPECT_EQ(midiOutOpen(&second, 0, 0, 0, CALLBACK_NULL), MMSYSERR_ALLOCATED);
  EXPECT_EQ(second, nullptr);
  EXPECT_EQ(midiOutClose(first), MMSYSERR_NOERROR);

  HMIDIOUT reopened = OpenOrFail();
  EXPECT_NE(reopened, first) << "a new session must not accept the old handle";
  const HMIDIOUT kBad[] = {nullptr, first, reinterpret_cast<HMIDIOUT>(0x4D000004)};
  for (HMIDIOUT bad : kBad) {
    EXPECT_EQ(midiOutShortMsg(bad, 0x00643C90), MMSYSERR_INVALHANDLE);
    EXPECT_EQ(midiOutReset(bad), MMSYSERR_INVALHANDLE);
    EXPECT_EQ(midiOutClose(bad), MMSYSERR_INVALHANDLE);
  }
  EXPECT_EQ(midiOutClose(reopened), MMSYSERR_NOERROR);
  EXPECT_EQ(midiOutClose(reopened), MMSYSERR_INVALHANDLE) << "closing twice";
  EXPECT_EQ(ReadLines(path), (std::vector<std::string>{"open", "close", "open", "close"}))
      << "refused calls write nothing";
}

TEST_F(MidiOutServiceTest, NoneHasNoDeviceAndSaysNothing) {
  Use("none");
  EXPECT_EQ(midiOutGetNumDevs(), 0u);
  HMIDIOUT h = reinterpret_cast<HMIDIOUT>(0x1234);
  CaptureStderr();
  EXPECT_EQ(midiOutOpen(&h, 0, 0, 0, CALLBACK_NULL), MMSYSERR_NODRIVER);
  EXPECT_EQ(GetCapturedStderr(), "");
  EXPECT_EQ(h, nullptr);
}

TEST_F(MidiOutServiceTest, DeviceCountFollowsTheChoice) {
  Use("record:" + TempFile("count.txt"));
  EXPECT_EQ(midiOutGetNumDevs(), 1u);
  unsetenv("ARMONIX_MIDI");
  EXPECT_EQ(midiOutGetNumDevs(), 1u) << "the default synthesizer is a device";
}

// A backend that cannot start: one line on stderr, MIDI off for the rest of the process
// (later opens fail at once and silently), back on only in a new process.
struct StartFailure {
  const char* what;
  std::string backend;  // "@" stands for a directory that does not exist
  std::string line;
};

TEST_F(MidiOutServiceTest, ABackendThatCannotStartSwitchesMidiOffWithOneLine) {
  const std::string missing = TempFile("no-such-dir") + "/x";
  const StartFailure kCases[] = {
      {"unknown backend", "beep",
       "MIDI output off: ARMONIX_MIDI=beep: unknown backend \"beep\" (expected "
       "synth[:FILE.sf2], alsa[:CLIENT:PORT], record:FILE or none)\n"},
      {"recording into a missing directory", "record:" + missing,
       "MIDI output off: cannot write the MIDI recording \"" + missing +
           "\": No such file or directory\n"},
      {"missing SoundFont", "synth:" + missing,
       "MIDI output off: cannot read the SoundFont \"" + missing +
           "\": No such file or directory\n"},
  };
  for (const StartFailure& c : kCases) {
    SCOPED_TRACE(c.what);
    midi::ResetMidiOutForTesting();
    Use(c.backend);
    HMIDIOUT h = reinterpret_cast<HMIDIOUT>(0x1234);
    CaptureStderr();
    EXPECT_EQ(midiOutOpen(&h, 0, 0, 0, CALLBACK_NULL), MMSYSERR_NODRIVER);
    EXPECT_EQ(h, nullptr);
    EXPECT_EQ(midiOutOpen(&h, 0, 0, 0, CALLBACK_NULL), MMSYSERR_NODRIVER);
    EXPECT_EQ(GetCapturedStderr(), c.line) << "exactly one line, however often it is retried";
    EXPECT_EQ(midiOutGetNumDevs(), 0u);
  }
}

TEST_F(MidiOutServiceTest, AFileThatIsNotASoundFontIsRefusedWithOneLine) {
  const std::string path = TempFile("not-a-font.sf2");
  std::ofstream(path) << "this is no SoundFont\n";
  Use("synth:" + path);
  setenv("ARMONIX_WAV", TempFile("never.wav").c_str(), 1);
  HMIDIOUT h = nullptr;
  CaptureStderr();
  EXPECT_EQ(midiOutOpen(&h, 0, 0, 0, CALLBACK_NULL), MMSYSERR_NODRIVER);
  const std::string err = GetCapturedStderr();
  EXPECT_EQ(err.rfind("MIDI output off: cannot load the SoundFont \"" + path + "\" (", 0), 0u)
      << err;
  EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1);
}

// Live audio: on a machine with a sound card the default synthesizer opens; without one
// (as in containers) it must fail over to silence with one line, never crash or hang.
TEST_F(MidiOutServiceTest, LiveSynthesizerSoundsOrFailsOverToSilence) {
  HMIDIOUT h = nullptr;
  CaptureStderr();
  const MMRESULT result = midiOutOpen(&h, 0, 0, 0, CALLBACK_NULL);
  const std::string err = GetCapturedStderr();
  if (result == MMSYSERR_NOERROR) {
    EXPECT_EQ(err, "");
    EXPECT_EQ(midiOutShortMsg(h, 0x00643C90), MMSYSERR_NOERROR);
    EXPECT_EQ(midiOutShortMsg(h, 0x00403C80), MMSYSERR_NOERROR);
    EXPECT_EQ(midiOutClose(h), MMSYSERR_NOERROR);
    return;
  }
  EXPECT_EQ(result, MMSYSERR_NODRIVER);
  EXPECT_EQ(err.rfind("MIDI output off: no audio output (", 0), 0u) << err;
  EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
  EXPECT_EQ(midiOutGetNumDevs(), 0u);
}

}  // namespace
