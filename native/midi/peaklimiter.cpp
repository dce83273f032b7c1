// The follower rises at once to any sample above it, so the gain ceiling / follower brings
// every sample to the ceiling or below (nothing clips, no look-ahead needed); it then
// falls slowly, so the gain recovers smoothly without pumping on the note's own waveform.
#include "native/midi/peaklimiter.h"

#include <algorithm>
#include <cmath>

namespace midi {
namespace {

constexpr float kInaudible = 1e-9f;

}  // namespace

PeakLimiter::PeakLimiter(float ceiling, float releaseSamples)
    : ceiling_(ceiling), release_(std::exp(-1.0f / releaseSamples)) {}

void PeakLimiter::Process(float* left, float* right, size_t frames, size_t stride) {
  for (size_t i = 0; i < frames; ++i) {
    float& l = left[i * stride];
    float& r = right[i * stride];
    if (!std::isfinite(l)) l = 0;
    if (!std::isfinite(r)) r = 0;
    const float peak = std::max(std::fabs(l), std::fabs(r));
    envelope_ = peak > envelope_ ? peak : envelope_ * release_ + peak * (1 - release_);
    if (envelope_ < kInaudible) envelope_ = 0;  // no denormals through long silences
    if (envelope_ > ceiling_) {
      const float gain = ceiling_ / envelope_;
      l *= gain;
      r *= gain;
    }
  }
}

}  // namespace midi
