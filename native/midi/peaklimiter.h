// A peak limiter on the synthesizer's output: chords of loud instruments are brought under
// the ceiling instead of clipping, while single notes pass unchanged. Entry point:
// PeakLimiter::Process.
#pragma once

#include <cstddef>

namespace midi {

class PeakLimiter {
 public:
  // ceiling: the largest magnitude let through (1 is full scale); release: how long, in
  // samples, the gain takes to recover by about two thirds once the peaks are gone.
  PeakLimiter(float ceiling, float releaseSamples);

  // Limits the frames in place; left[i * stride] and right[i * stride] are one frame.
  void Process(float* left, float* right, size_t frames, size_t stride);

 private:
  float ceiling_;
  float release_;   // the follower keeps this much of its value per sample when falling
  float envelope_ = 0;  // peak follower: jumps up at once, decays slowly
};

}  // namespace midi
