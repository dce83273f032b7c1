// Colours: packing with clamping, the component readers, the HSV and CMY builders and their
// round trips through the readers.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <limits>

#include "runtime/entries/entries.h"

namespace {

TEST(Colour, RGBClampsEachComponent) {
  EXPECT_EQ(RuntimeRGB(300, -5, 128), 0x00FF0080);
  EXPECT_EQ(RuntimeRGB(255, 256, 0), 0x00FFFF00);
  EXPECT_EQ(RuntimeRGB(INT32_MIN, INT32_MAX, 1), 0x0000FF01);
  int32_t c = RuntimeRGB(12, 34, 56);
  EXPECT_EQ(readColorRed(c), 12);
  EXPECT_EQ(readColorGreen(c), 34);
  EXPECT_EQ(readColorBlue(c), 56);
}

TEST(Colour, HSVSectorsGreyAndOutOfRangeHue) {
  struct Case {
    double h, s, v;
    int32_t colour;
  };
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const Case cases[] = {
      {0, 1, 1, 0xFF0000},    {0.5, 1, 1, 0x00FFFF},   {1.0 / 6, 1, 1, 0xFFFF00},
      {4.0 / 6, 1, 1, 0x0000FF},
      {0.3, 0, 0.5, 0x7F7F7F},  // s = 0: grey, 0.5 * 255 truncated
      {1.0, 1, 1, 0xFF0000},    // h outside [0, 1) is 0
      {-0.2, 1, 1, 0xFF0000},   {nan, 1, 1, 0xFF0000},
      {0, 0, 2, 0xFFFFFF},      // clamped
      {0, 1, 0, 0x000000},
  };
  for (const auto& c : cases) EXPECT_EQ(RuntimeHSV(c.h, c.s, c.v), c.colour) << c.h;
}

TEST(Colour, HueSaturationValueReaders) {
  EXPECT_EQ(readColorHue(0xFF0000), 0);
  EXPECT_DOUBLE_EQ(readColorHue(0x00FF00), 1.0 / 3);
  EXPECT_DOUBLE_EQ(readColorHue(0x0000FF), 2.0 / 3);
  EXPECT_DOUBLE_EQ(readColorHue(0xFF00FF), 5.0 / 6);  // negative, plus 1
  EXPECT_EQ(readColorHue(0x808080), 0);
  EXPECT_EQ(readColorHue(0), 0);
  EXPECT_EQ(readColorSaturation(0), 0);
  EXPECT_EQ(readColorSaturation(0x808080), 0);
  EXPECT_EQ(readColorSaturation(0xFF8000), 1);
  EXPECT_EQ(readColorValue(0xFFFFFF), 1);
  EXPECT_DOUBLE_EQ(readColorValue(0x000080), 128.0 / 255);
}

TEST(Colour, CMYBuildsAndReadsTheComplement) {
  EXPECT_EQ(RuntimeCMY(0, 0, 0), 0xFFFFFF);
  EXPECT_EQ(RuntimeCMY(1, 1, 1), 0x000000);
  EXPECT_EQ(RuntimeCMY(1, 0, 0.5), 0x00FF7F);
  EXPECT_EQ(readColorCyan(0x00FFFF), 1);
  EXPECT_EQ(readColorMagenta(0x00FFFF), 0);
  EXPECT_DOUBLE_EQ(readColorYellow(0x000080), 127.0 / 255);
}

int32_t MaxComponentDifference(int32_t a, int32_t b) {
  int32_t d = 0;
  for (int shift : {0, 8, 16}) d = std::max(d, std::abs(((a >> shift) & 0xFF) - ((b >> shift) & 0xFF)));
  return d;
}

// Fractions truncate when turned back into components, so a round trip may lose one step
// of a component; never more.
TEST(Colour, RoundTripsLoseAtMostOneStep) {
  for (int32_t r = 0; r < 256; r += 15)
    for (int32_t g = 0; g < 256; g += 17)
      for (int32_t b = 0; b < 256; b += 51) {
        int32_t c = RuntimeRGB(r, g, b);
        int32_t hsv = RuntimeHSV(readColorHue(c), readColorSaturation(c), readColorValue(c));
        int32_t cmy = RuntimeCMY(readColorCyan(c), readColorMagenta(c), readColorYellow(c));
        ASSERT_LE(MaxComponentDifference(c, hsv), 1) << std::hex << c << " " << hsv;
        ASSERT_LE(MaxComponentDifference(c, cmy), 1) << std::hex << c << " " << cmy;
      }
}

}  // namespace
