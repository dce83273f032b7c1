// Test helpers for rendered audio: WAV reading and pitch and spectrum measurements.
#include "tests/midi/wav_analysis.h"

#include <cmath>
#include <complex>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>

namespace {

uint32_t Le32(const unsigned char* p) {
  return p[0] | p[1] << 8 | p[2] << 16 | uint32_t(p[3]) << 24;
}
uint16_t Le16(const unsigned char* p) { return uint16_t(p[0] | p[1] << 8); }

WavData Fail(WavData wav, const std::string& problem) {
  wav.valid = false;
  wav.problem = problem;
  return wav;
}

void Fft(std::vector<std::complex<double>>& a) {
  const size_t n = a.size();
  for (size_t i = 1, j = 0; i < n; ++i) {
    size_t bit = n >> 1;
    for (; j & bit; bit >>= 1) j ^= bit;
    j ^= bit;
    if (i < j) std::swap(a[i], a[j]);
  }
  for (size_t len = 2; len <= n; len <<= 1) {
    const std::complex<double> step = std::polar(1.0, -2 * M_PI / double(len));
    for (size_t i = 0; i < n; i += len) {
      std::complex<double> w = 1;
      for (size_t k = 0; k < len / 2; ++k, w *= step) {
        const std::complex<double> u = a[i + k], v = a[i + k + len / 2] * w;
        a[i + k] = u + v;
        a[i + k + len / 2] = u - v;
      }
    }
  }
}

double Hann(size_t i, size_t n) {
  return 0.5 - 0.5 * std::cos(2 * M_PI * double(i) / double(n - 1));
}

// Magnitude of one frequency by correlation with a windowed complex exponential.
double MagnitudeAt(const std::vector<double>& signal, double sampleRate, double frequency) {
  std::complex<double> sum = 0;
  const size_t n = signal.size();
  for (size_t i = 0; i < n; ++i) {
    const double phase = -2 * M_PI * frequency * double(i) / sampleRate;
    sum += signal[i] * Hann(i, n) * std::polar(1.0, phase);
  }
  return std::abs(sum);
}

}  // namespace

WavData ReadWav(const std::string& path) {
  WavData wav;
  std::ifstream in(path, std::ios::binary);
  if (!in) return Fail(wav, "cannot open " + path);
  const std::vector<unsigned char> bytes((std::istreambuf_iterator<char>(in)),
                                         std::istreambuf_iterator<char>());
  wav.fileSize = bytes.size();
  if (bytes.size() < 12 || std::memcmp(bytes.data(), "RIFF", 4) != 0 ||
      std::memcmp(bytes.data() + 8, "WAVE", 4) != 0) {
    return Fail(wav, "not a RIFF WAVE file");
  }
  wav.riffSize = Le32(&bytes[4]);
  bool haveFormat = false;
  for (size_t at = 12; at + 8 <= bytes.size();) {
    const uint32_t size = Le32(&bytes[at + 4]);
    const unsigned char* body = &bytes[at + 8];
    if (at + 8 + uint64_t{size} > bytes.size()) return Fail(wav, "chunk runs past the end");
    if (std::memcmp(&bytes[at], "fmt ", 4) == 0 && size >= 16) {
      if (Le16(body) != 1) return Fail(wav, "not PCM");
      wav.channels = Le16(body + 2);
      wav.sampleRate = Le32(body + 4);
      wav.bitsPerSample = Le16(body + 14);
      haveFormat = true;
    } else if (std::memcmp(&bytes[at], "data", 4) == 0) {
      if (!haveFormat || wav.bitsPerSample != 16) return Fail(wav, "data before a 16-bit format");
      wav.samples.resize(size / 2);
      if (!wav.samples.empty()) std::memcpy(wav.samples.data(), body, wav.samples.size() * 2);
      wav.valid = true;
    }
    at += 8 + size + (size & 1);
  }
  return wav.valid ? wav : Fail(wav, "no data chunk");
}

std::vector<double> LeftChannel(const WavData& wav, size_t first, size_t count) {
  std::vector<double> out;
  for (size_t frame = first; frame < first + count && frame < wav.Frames(); ++frame) {
    out.push_back(wav.samples[frame * wav.channels] / 32768.0);
  }
  return out;
}

size_t FirstSoundingFrame(const WavData& wav) {
  for (size_t i = 0; i < wav.samples.size(); ++i) {
    if (wav.samples[i] != 0) return i / wav.channels;
  }
  return wav.Frames();
}

double PitchByAutocorrelation(const std::vector<double>& signal, double sampleRate) {
  const size_t minLag = size_t(sampleRate / 2000), maxLag = size_t(sampleRate / 50);
  // r is computed up to maxLag + 1 (the right neighbour of the last candidate peak), so
  // every product signal[i] * signal[i + lag] needs i + maxLag + 1 < signal.size(); fewer
  // than two periods of the lowest pitch measure nothing.
  if (minLag == 0 || signal.size() <= 2 * (maxLag + 1)) return 0;
  const size_t n = signal.size() - (maxLag + 1);
  std::vector<double> r(maxLag + 2, 0.0);
  for (size_t lag = minLag; lag <= maxLag + 1; ++lag) {
    double xy = 0, xx = 0, yy = 0;
    for (size_t i = 0; i < n; ++i) {
      xy += signal[i] * signal[i + lag];
      xx += signal[i] * signal[i];
      yy += signal[i + lag] * signal[i + lag];
    }
    r[lag] = xx > 0 && yy > 0 ? xy / std::sqrt(xx * yy) : 0;
  }
  double best = 0;
  for (size_t lag = minLag + 1; lag <= maxLag; ++lag) best = std::max(best, r[lag]);
  if (best <= 0) return 0;  // silence, or nothing periodic: no peak to take
  for (size_t lag = minLag + 1; lag <= maxLag; ++lag) {
    if (r[lag] >= 0.9 * best && r[lag] >= r[lag - 1] && r[lag] >= r[lag + 1]) {
      const double a = r[lag - 1], b = r[lag], c = r[lag + 1];
      const double denominator = a - 2 * b + c;
      const double shift = denominator != 0 ? 0.5 * (a - c) / denominator : 0;
      return sampleRate / (double(lag) + shift);
    }
  }
  return 0;
}

double DominantFrequency(const std::vector<double>& signal, double sampleRate, double low,
                         double high) {
  size_t n = 1;
  while (n < signal.size()) n <<= 1;
  std::vector<std::complex<double>> spectrum(n, 0.0);
  for (size_t i = 0; i < signal.size(); ++i) spectrum[i] = signal[i] * Hann(i, signal.size());
  Fft(spectrum);
  const double binWidth = sampleRate / double(n);
  size_t peak = 0;
  for (size_t k = size_t(low / binWidth) + 1; k < size_t(high / binWidth) && k + 1 < n / 2; ++k) {
    if (peak == 0 || std::abs(spectrum[k]) > std::abs(spectrum[peak])) peak = k;
  }
  const double a = std::log(std::abs(spectrum[peak - 1]) + 1e-12);
  const double b = std::log(std::abs(spectrum[peak]) + 1e-12);
  const double c = std::log(std::abs(spectrum[peak + 1]) + 1e-12);
  const double shift = 0.5 * (a - c) / (a - 2 * b + c);
  return (double(peak) + shift) * binWidth;
}

std::vector<double> HarmonicProfile(const std::vector<double>& signal, double sampleRate,
                                    double fundamental, int count) {
  std::vector<double> profile;
  double total = 0;
  for (int h = 1; h <= count; ++h) {
    profile.push_back(MagnitudeAt(signal, sampleRate, fundamental * h));
    total += profile.back();
  }
  for (double& m : profile) m = total > 0 ? m / total : 0;
  return profile;
}
