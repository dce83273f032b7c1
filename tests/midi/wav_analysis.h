// Test helpers for rendered audio: an independent reader of PCM WAV files (it walks the
// RIFF chunks rather than trusting a fixed layout) and the measurements the synthesizer
// tests make on them: pitch by autocorrelation, spectrum peaks and harmonic profiles.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct WavData {
  bool valid = false;
  std::string problem;
  uint32_t sampleRate = 0;
  uint16_t channels = 0;
  uint16_t bitsPerSample = 0;
  uint32_t riffSize = 0;
  uint64_t fileSize = 0;
  std::vector<int16_t> samples;  // interleaved
  size_t Frames() const { return channels == 0 ? 0 : samples.size() / channels; }
};

WavData ReadWav(const std::string& path);

// The left channel of frames [first, first + count) as floats in -1..1.
std::vector<double> LeftChannel(const WavData& wav, size_t first, size_t count);

// Index of the first frame with a non-zero sample in either channel, or Frames().
size_t FirstSoundingFrame(const WavData& wav);

// Fundamental frequency by normalised autocorrelation (the first strong peak, so a strong
// second harmonic does not double the answer).
double PitchByAutocorrelation(const std::vector<double>& signal, double sampleRate);

// Frequency of the strongest spectral peak between low and high Hz (Hann window, FFT,
// parabolic interpolation).
double DominantFrequency(const std::vector<double>& signal, double sampleRate, double low,
                         double high);

// Magnitudes of harmonics 1..count of the fundamental, scaled so that they sum to 1.
std::vector<double> HarmonicProfile(const std::vector<double>& signal, double sampleRate,
                                    double fundamental, int count);
