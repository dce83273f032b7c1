// Colour entries: RuntimeRGB, RuntimeHSV and RuntimeCMY build a 0x00RRGGBB colour;
// readColor* take one apart again, as 0..255 components or as 0..1 fractions (hue,
// saturation, value; cyan, magenta, yellow).
#include "runtime/objects/colour.h"

#include <algorithm>
#include <cmath>

#include "runtime/entries/entries.h"
#include "runtime/objects/number.h"

namespace colour {

int32_t Pack(int32_t red, int32_t green, int32_t blue) {
  auto clamp = [](int32_t v) { return std::clamp<int32_t>(v, 0, 255); };
  return (clamp(red) << 16) | (clamp(green) << 8) | clamp(blue);
}

int32_t ComponentFromFraction(double fraction) {
  // NaN truncates to -2147483648 and so clamps to 0.
  return std::clamp<int32_t>(numbers::TruncateToInteger(fraction * 255), 0, 255);
}

}  // namespace colour

namespace {

constexpr double kScale = 1.0 / 255;

struct Fractions {
  double red, green, blue, max, min;
};

Fractions ToFractions(int32_t c) {
  Fractions f;
  f.red = colour::Red(c) * kScale;
  f.green = colour::Green(c) * kScale;
  f.blue = colour::Blue(c) * kScale;
  f.max = std::max({f.red, f.green, f.blue});
  f.min = std::min({f.red, f.green, f.blue});
  return f;
}

int32_t FromFractions(double red, double green, double blue) {
  return colour::Pack(colour::ComponentFromFraction(red), colour::ComponentFromFraction(green),
                      colour::ComponentFromFraction(blue));
}

}  // namespace

AMX_ENTRY int32_t RuntimeRGB(int32_t red, int32_t green, int32_t blue) noexcept {
  return colour::Pack(red, green, blue);
}

AMX_ENTRY int32_t readColorRed(int32_t c) noexcept { return colour::Red(c); }
AMX_ENTRY int32_t readColorGreen(int32_t c) noexcept { return colour::Green(c); }
AMX_ENTRY int32_t readColorBlue(int32_t c) noexcept { return colour::Blue(c); }

AMX_ENTRY int32_t RuntimeHSV(double h, double s, double v) noexcept {
  if (s == 0) return FromFractions(v, v, v);
  if (!(h >= 0 && h < 1)) h = 0;  // NaN included
  int sector = static_cast<int>(std::floor(h * 6));
  double f = h * 6 - sector;
  double p = v * (1 - s);
  double q = v * (1 - s * f);
  double t = v * (1 - s * (1 - f));
  switch (sector) {
    case 0: return FromFractions(v, t, p);
    case 1: return FromFractions(q, v, p);
    case 2: return FromFractions(p, v, t);
    case 3: return FromFractions(p, q, v);
    case 4: return FromFractions(t, p, v);
    default: return FromFractions(v, p, q);
  }
}

AMX_ENTRY int32_t RuntimeCMY(double c, double m, double y) noexcept {
  return FromFractions(1 - c, 1 - m, 1 - y);
}

AMX_ENTRY double readColorHue(int32_t c) noexcept {
  Fractions f = ToFractions(c);
  double d = f.max - f.min;
  if (f.max == 0 || d == 0) return 0;
  double h;
  if (f.red == f.max)
    h = (f.green - f.blue) / d;
  else if (f.green == f.max)
    h = (f.blue - f.red) / d + 2;
  else
    h = (f.red - f.green) / d + 4;
  h /= 6;
  return h < 0 ? h + 1 : h;
}

AMX_ENTRY double readColorSaturation(int32_t c) noexcept {
  Fractions f = ToFractions(c);
  return f.max == 0 ? 0 : (f.max - f.min) / f.max;
}

AMX_ENTRY double readColorValue(int32_t c) noexcept { return ToFractions(c).max; }

AMX_ENTRY double readColorCyan(int32_t c) noexcept { return (255 - colour::Red(c)) / 255.0; }
AMX_ENTRY double readColorMagenta(int32_t c) noexcept {
  return (255 - colour::Green(c)) / 255.0;
}
AMX_ENTRY double readColorYellow(int32_t c) noexcept { return (255 - colour::Blue(c)) / 255.0; }
