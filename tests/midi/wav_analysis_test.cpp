// The pitch measurement the synthesizer tests rely on, checked on exact sine waves: known
// frequencies across its range, and signals too short or silent to measure. The signals are
// sized exactly, so a read past their end shows under AddressSanitizer.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "tests/midi/wav_analysis.h"

namespace {

constexpr double kRate = 44100;

std::vector<double> Sine(double frequency, size_t length) {
  std::vector<double> signal(length);
  for (size_t i = 0; i < length; ++i) signal[i] = std::sin(2 * M_PI * frequency * i / kRate);
  return signal;
}

struct PitchCase {
  double frequency;
  size_t length;
};

TEST(PitchByAutocorrelation, FindsTheFrequencyOfASine) {
  const PitchCase cases[] = {
      {60.0, 8192}, {110.0, 8192}, {261.63, 8192}, {440.0, 4096}, {1000.0, 2048},
      {261.63, 1767},  // just over two periods of the lowest measurable pitch
  };
  for (const PitchCase& c : cases) {
    EXPECT_NEAR(PitchByAutocorrelation(Sine(c.frequency, c.length), kRate), c.frequency,
                c.frequency * 0.005)
        << c.frequency << " Hz over " << c.length << " samples";
  }
}

TEST(PitchByAutocorrelation, MeasuresNothingInShortOrSilentSignals) {
  EXPECT_EQ(PitchByAutocorrelation({}, kRate), 0);
  EXPECT_EQ(PitchByAutocorrelation(Sine(440, 1), kRate), 0);
  EXPECT_EQ(PitchByAutocorrelation(Sine(440, 882), kRate), 0) << "shorter than the longest lag";
  EXPECT_EQ(PitchByAutocorrelation(Sine(440, 1766), kRate), 0) << "two periods of 50 Hz exactly";
  EXPECT_EQ(PitchByAutocorrelation(Sine(440, 1767), kRate) > 0, true);
  EXPECT_EQ(PitchByAutocorrelation(std::vector<double>(4096, 0.0), kRate), 0);
  EXPECT_EQ(PitchByAutocorrelation(Sine(440, 4096), 1000), 0) << "no lag fits below 2 kHz";
}

}  // namespace
