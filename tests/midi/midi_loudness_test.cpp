// Loudness of the synthesizer as the application drives it, measured on WAV renders: one
// velocity-127 note of the first instrument peaks near -12 dBFS, and the application's
// loudest four-note chords on each of its twelve instruments stay clear of full scale.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "native/midi/peaklimiter.h"
#include "tests/midi/midi_fixture.h"
#include "tests/midi/wav_analysis.h"

namespace {

// The instrument numbers the instrument window offers, sent as program changes unchanged.
constexpr int kInstruments[] = {1, 53, 20, 25, 41, 23, 69, 72, 74, 57, 67, 70};

struct Chord {
  const char* name;
  std::vector<int> notes;
};

// The widest and densest chords the exercises play, all four voices at velocity 127.
const Chord kLoudChords[] = {
    {"IV 53 65 69 72", {53, 65, 69, 72}},
    {"I 60 67 76 84", {60, 67, 76, 84}},
    {"V7 55 65 74 83", {55, 65, 74, 83}},
};

double Dbfs(double peak) { return peak <= 0 ? -200.0 : 20 * std::log10(peak); }

// Largest absolute sample of either channel, as a fraction of full scale.
double Peak(const WavData& wav) {
  int largest = 0;
  for (int16_t s : wav.samples) largest = std::max(largest, std::abs(int(s)));
  return largest / 32767.0;
}

class MidiLoudnessTest : public MidiOutTest {
 protected:
  void SetUp() override {
    MidiOutTest::SetUp();
    Use("synth");
  }

  // Program change, then the notes bottom up (as the exercises send them), held, released.
  double RenderPeak(const std::string& name, int program, const std::vector<int>& notes) {
    const std::string path = TempFile(name);
    setenv("ARMONIX_WAV", path.c_str(), 1);
    HMIDIOUT h = OpenOrFail();
    midiOutShortMsg(h, 0xC0 | program << 8);
    for (int note : notes) midiOutShortMsg(h, 0x007F0090 | note << 8);
    AdvanceMs(1500);
    for (int note : notes) midiOutShortMsg(h, 0x00400080 | note << 8);
    AdvanceMs(500);
    midiOutClose(h);
    const WavData wav = ReadWav(path);
    EXPECT_TRUE(wav.valid) << wav.problem;
    EXPECT_GT(wav.Frames(), size_t(44100)) << name;
    return Peak(wav);
  }
};

TEST_F(MidiLoudnessTest, OneNoteOfTheFirstInstrumentPeaksNearMinus12Dbfs) {
  const double peak = RenderPeak("single.wav", 1, {60});
  std::printf("note 60, program 1: peak %.3f (%.1f dBFS)\n", peak, Dbfs(peak));
  EXPECT_GE(Dbfs(peak), -14.0);
  EXPECT_LE(Dbfs(peak), -10.0);
}

TEST_F(MidiLoudnessTest, EverySingleNoteIsClearlyAudible) {
  for (int program : kInstruments) {
    const double peak = RenderPeak("note-" + std::to_string(program) + ".wav", program, {60});
    std::printf("note 60, program %2d: peak %.3f (%.1f dBFS)\n", program, peak, Dbfs(peak));
    EXPECT_GE(Dbfs(peak), -30.0) << "program " << program;
    EXPECT_LT(Dbfs(peak), -3.0) << "program " << program;
  }
}

TEST_F(MidiLoudnessTest, TheLoudestChordsNeverClipOnAnyInstrument) {
  double loudest = 0;
  for (const Chord& chord : kLoudChords) {
    for (int program : kInstruments) {
      const double peak =
          RenderPeak("chord-" + std::to_string(program) + ".wav", program, chord.notes);
      std::printf("chord %s, program %2d: peak %.3f (%.1f dBFS)\n", chord.name, program, peak,
                  Dbfs(peak));
      // Full scale is 32767; a clipped render reaches it, headroom of 1 dB is kept.
      EXPECT_LT(Dbfs(peak), -1.0) << chord.name << ", program " << program;
      loudest = std::max(loudest, peak);
    }
  }
  std::printf("loudest chord peak %.3f (%.1f dBFS)\n", loudest, Dbfs(loudest));
}

// The limiter alone, on signals whose outcome is known.
struct LimiterCase {
  const char* name;
  float amplitude;      // of a 440 Hz sine, both channels
  float expectedPeak;   // largest output magnitude after the first 10 ms
  bool unchanged;       // every sample passes untouched
};

const LimiterCase kLimiterCases[] = {
    {"quiet passes untouched", 0.5f, 0.5f, true},
    {"at the ceiling passes untouched", 0.708f, 0.708f, true},
    {"twice full scale is held at the ceiling", 2.0f, 0.708f, false},
    {"a hundred times full scale is held at the ceiling", 100.0f, 0.708f, false},
};

TEST(PeakLimiterTest, HoldsEveryPeakAtTheCeilingAndLeavesQuietSignalsAlone) {
  for (const LimiterCase& c : kLimiterCases) {
    midi::PeakLimiter limiter(0.708f, 4410);
    std::vector<float> left(44100), right(44100);
    for (size_t i = 0; i < left.size(); ++i) {
      left[i] = right[i] = c.amplitude * float(std::sin(2 * M_PI * 440 * double(i) / 44100));
    }
    const std::vector<float> original = left;
    limiter.Process(left.data(), right.data(), left.size(), 1);
    float peak = 0;
    for (size_t i = 441; i < left.size(); ++i) peak = std::max(peak, std::fabs(left[i]));
    EXPECT_NEAR(peak, c.expectedPeak, 0.002) << c.name;
    EXPECT_EQ(left == original, c.unchanged) << c.name;
    EXPECT_TRUE(left == right) << c.name;
    for (float sample : left) ASSERT_LE(std::fabs(sample), 0.708f) << c.name;
  }
}

TEST(PeakLimiterTest, InterleavedFramesAndBrokenSamples) {
  midi::PeakLimiter limiter(0.5f, 100);
  // Interleaved: left at even, right at odd places; a loud right channel lowers both.
  float frames[] = {0.25f, 1.0f, NAN, 0.1f, 0.2f, INFINITY};
  limiter.Process(frames, frames + 1, 3, 2);
  EXPECT_FLOAT_EQ(frames[0], 0.125f);
  EXPECT_FLOAT_EQ(frames[1], 0.5f);
  EXPECT_EQ(frames[2], 0.0f) << "a NaN becomes silence";
  EXPECT_LT(frames[3], 0.1f) << "the gain recovers slowly, not at once";
  EXPECT_EQ(frames[5], 0.0f) << "an infinity becomes silence";
}

}  // namespace
