// The synthesizer rendering to a WAV file: pitch of middle C, a program change that changes
// the timbre, sample-accurate placement by the clock, bit-identical repeat renders, and
// sessions of one process following each other in one file.
#include <cmath>
#include <cstdlib>

#include "tests/midi/midi_fixture.h"
#include "tests/midi/wav_analysis.h"

namespace {

constexpr double kRate = 44100;
constexpr double kMiddleC = 261.6256;

class MidiSynthTest : public MidiOutTest {
 protected:
  void SetUp() override {
    MidiOutTest::SetUp();
    Use("synth");
  }

  // Renders `program` (if any) then note 60 for `holdMs` into a fresh file.
  WavData RenderNote(const std::string& name, int program, uint64_t holdMs = 800) {
    const std::string path = TempFile(name);
    setenv("ARMONIX_WAV", path.c_str(), 1);
    HMIDIOUT h = OpenOrFail();
    if (program >= 0) midiOutShortMsg(h, 0xC0 | program << 8);
    midiOutShortMsg(h, 0x007F3C90);
    AdvanceMs(holdMs);
    midiOutShortMsg(h, 0x00403C80);
    midiOutClose(h);
    return ReadWav(path);
  }
};

TEST_F(MidiSynthTest, WritesAValidStereo16BitFile) {
  const WavData wav = RenderNote("valid.wav", -1);
  ASSERT_TRUE(wav.valid) << wav.problem;
  EXPECT_EQ(wav.sampleRate, 44100u);
  EXPECT_EQ(wav.channels, 2);
  EXPECT_EQ(wav.bitsPerSample, 16);
  EXPECT_EQ(wav.riffSize + 8, wav.fileSize) << "sizes in the header match the file";
  EXPECT_GE(wav.Frames(), size_t(0.8 * kRate)) << "the note is held, then released";
  EXPECT_LE(wav.Frames(), size_t(6.0 * kRate)) << "the tail after closing is bounded";
  EXPECT_EQ(FirstSoundingFrame(wav) < size_t(0.01 * kRate), true);
}

TEST_F(MidiSynthTest, MiddleCSoundsAt261Hz) {
  const WavData wav = RenderNote("piano.wav", 0);
  ASSERT_TRUE(wav.valid) << wav.problem;
  const double pitch = PitchByAutocorrelation(LeftChannel(wav, 4410, 8192), kRate);
  EXPECT_NEAR(pitch, kMiddleC, kMiddleC * 0.01);
}

TEST_F(MidiSynthTest, ProgramChangeChangesTheTimbre) {
  const WavData piano = RenderNote("program0.wav", 0);
  const WavData ocarina = RenderNote("program79.wav", 79);
  ASSERT_TRUE(piano.valid && ocarina.valid);
  const std::vector<double> pianoSignal = LeftChannel(piano, 4410, 16384);
  const std::vector<double> ocarinaSignal = LeftChannel(ocarina, 4410, 16384);
  // The nearly sinusoidal ocarina puts its strongest peak on the fundamental.
  EXPECT_NEAR(DominantFrequency(ocarinaSignal, kRate, 100, 2000), kMiddleC, kMiddleC * 0.01);
  const std::vector<double> a = HarmonicProfile(pianoSignal, kRate, kMiddleC, 6);
  const std::vector<double> b = HarmonicProfile(ocarinaSignal, kRate, kMiddleC, 6);
  double distance = 0;
  for (size_t i = 0; i < a.size(); ++i) distance += std::fabs(a[i] - b[i]);
  EXPECT_GT(distance, 0.3) << "piano and ocarina share the pitch but not the harmonics";
  EXPECT_GT(b[0], 2 * a[0]) << "the ocarina's energy sits on the fundamental";
}

TEST_F(MidiSynthTest, EventsLandOnTheSampleTheClockGives) {
  const std::string path = TempFile("timing.wav");
  setenv("ARMONIX_WAV", path.c_str(), 1);
  HMIDIOUT h = OpenOrFail();
  AdvanceMs(500);
  midiOutShortMsg(h, 0x007F3C90);
  AdvanceMs(200);
  midiOutShortMsg(h, 0x00003C90);  // velocity 0: note off
  AdvanceMs(30000);                // a long pause costs no rendering
  midiOutShortMsg(h, 0x007F4390);
  midiOutShortMsg(h, 0x00404380);
  midiOutClose(h);
  const WavData wav = ReadWav(path);
  ASSERT_TRUE(wav.valid) << wav.problem;
  const size_t first = FirstSoundingFrame(wav);
  EXPECT_GE(first, 22050u) << "nothing sounds before the note";
  EXPECT_LT(first, 22050u + 441u) << "the attack starts within 10 ms of its sample";
  // After the release has died away the file is silent until the second note's sample.
  const size_t second = 22050 + 8820 + 1323000;
  for (size_t frame = second - 44100; frame < second; ++frame) {
    ASSERT_EQ(wav.samples[2 * frame], 0) << "frame " << frame;
  }
  bool sounds = false;
  for (size_t frame = second; frame < second + 441 && !sounds; ++frame) {
    sounds = wav.samples[2 * frame] != 0;
  }
  EXPECT_TRUE(sounds) << "the second note starts on its sample";
}

TEST_F(MidiSynthTest, RendersAreBitIdentical) {
  std::srand(1);
  const WavData first = RenderNote("repeat1.wav", 0, 300);
  std::srand(2);  // the library's own 16-bit output would dither differently
  const WavData second = RenderNote("repeat2.wav", 0, 300);
  ASSERT_TRUE(first.valid && second.valid);
  EXPECT_TRUE(first.samples == second.samples);
}

TEST_F(MidiSynthTest, SessionsOfOneProcessFollowEachOtherInTheFile) {
  const WavData alone = RenderNote("alone.wav", 0, 300);
  const std::string path = TempFile("two-sessions.wav");
  setenv("ARMONIX_WAV", path.c_str(), 1);
  std::ofstream(path) << "an older file of another kind is replaced";
  for (int session = 0; session < 2; ++session) {
    HMIDIOUT h = OpenOrFail();
    midiOutShortMsg(h, 0x000000C0);
    midiOutShortMsg(h, 0x007F3C90);
    AdvanceMs(300);
    midiOutShortMsg(h, 0x00403C80);
    midiOutClose(h);
  }
  const WavData both = ReadWav(path);
  ASSERT_TRUE(alone.valid && both.valid) << both.problem;
  EXPECT_EQ(both.riffSize + 8, both.fileSize);
  ASSERT_EQ(both.samples.size(), 2 * alone.samples.size());
  EXPECT_TRUE(std::equal(alone.samples.begin(), alone.samples.end(), both.samples.begin()));
  EXPECT_TRUE(std::equal(alone.samples.begin(), alone.samples.end(),
                         both.samples.begin() + alone.samples.size()));
}

TEST_F(MidiSynthTest, ASessionLeftOpenAtExitStillLeavesAValidFile) {
  // The child is a fresh run of this program (the synthesizer library keeps a thread that a
  // plain fork would copy in the middle of holding a lock); it inherits the file name.
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  const char* inherited = std::getenv("ARMONIX_TEST_LEFT_OPEN_WAV");
  const std::string path = inherited != nullptr ? inherited : TempFile("left-open.wav");
  setenv("ARMONIX_TEST_LEFT_OPEN_WAV", path.c_str(), 1);
  setenv("ARMONIX_WAV", path.c_str(), 1);
  EXPECT_EXIT(
      {
        HMIDIOUT h = OpenOrFail();
        midiOutShortMsg(h, 0x007F3C90);
        AdvanceMs(250);
        midiOutShortMsg(h, 0x007F4090);
        std::exit(0);
      },
      ::testing::ExitedWithCode(0), "");
  unsetenv("ARMONIX_TEST_LEFT_OPEN_WAV");
  const WavData wav = ReadWav(path);
  ASSERT_TRUE(wav.valid) << wav.problem;
  EXPECT_EQ(wav.riffSize + 8, wav.fileSize);
  EXPECT_GE(wav.Frames(), size_t(0.25 * kRate)) << "what was played before the exit is kept";
}

TEST_F(MidiSynthTest, MessagesThatCannotTravelAreRefused) {
  setenv("ARMONIX_WAV", TempFile("refused.wav").c_str(), 1);
  HMIDIOUT h = OpenOrFail();
  EXPECT_EQ(midiOutShortMsg(h, 0x000000F0), MMSYSERR_INVALPARAM);  // system exclusive
  EXPECT_EQ(midiOutShortMsg(h, 0x00003C40), MMSYSERR_INVALPARAM);  // no running status yet
  EXPECT_EQ(midiOutShortMsg(h, 0x007F3C90), MMSYSERR_NOERROR);
  EXPECT_EQ(midiOutShortMsg(h, 0x00003C), MMSYSERR_NOERROR);       // running status note off
  EXPECT_EQ(midiOutReset(h), MMSYSERR_NOERROR);
  EXPECT_EQ(midiOutClose(h), MMSYSERR_NOERROR);
}

TEST_F(MidiSynthTest, AWavFileThatCannotBeWrittenSwitchesMidiOff) {
  const std::string path = TempFile("missing-dir") + "/out.wav";
  setenv("ARMONIX_WAV", path.c_str(), 1);
  HMIDIOUT h = nullptr;
  ::testing::internal::CaptureStderr();
  EXPECT_EQ(midiOutOpen(&h, 0, 0, 0, CALLBACK_NULL), MMSYSERR_NODRIVER);
  EXPECT_EQ(::testing::internal::GetCapturedStderr(),
            "MIDI output off: cannot write the WAV file \"" + path +
                "\": No such file or directory\n");
}

}  // namespace
