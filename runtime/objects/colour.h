// Colours of the language: a 32-bit 0x00RRGGBB value (red in bits 16-23, green 8-15, blue
// 0-7, top byte 0). Packing and unpacking shared by the colour entries (colour.cpp) and the
// property converters.
#pragma once
#include <cstdint>

namespace colour {

// Each component clamped to 0..255 (below 0 gives 0, 256 and more give 255).
int32_t Pack(int32_t red, int32_t green, int32_t blue);
inline int32_t Red(int32_t c) { return (c >> 16) & 0xFF; }
inline int32_t Green(int32_t c) { return (c >> 8) & 0xFF; }
inline int32_t Blue(int32_t c) { return c & 0xFF; }

// A 0..1 fraction as a component: times 255, truncated toward zero, clamped to 0..255.
int32_t ComponentFromFraction(double fraction);

}  // namespace colour
