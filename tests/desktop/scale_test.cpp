// The desktop backend's scale factor: where it comes from (ARMONIX_SCALE, then Xft.dpi,
// then GDK_SCALE, then 1), what is refused with a message, and conversions that bring every
// design pixel back from its device pixels at each factor.
#include <gtest/gtest.h>

#include <string>

#include "native/fltk/scale.h"

namespace {

struct ChoiceCase {
  const char* armonixScale;
  const char* xResources;
  const char* gdkScale;
  double factor;
  const char* source;
  const char* warning;
};

constexpr const char* kHiDpi = "Xcursor.size:\t24\nXft.antialias:\t1\nXft.dpi:\t192\n";

const ChoiceCase kChoices[] = {
    {nullptr, nullptr, nullptr, 1, "default", ""},
    {"", "", "", 1, "default", ""},
    {"2", nullptr, nullptr, 2, "ARMONIX_SCALE", ""},
    {"1.5", kHiDpi, "3", 1.5, "ARMONIX_SCALE", ""},
    {"0.5", nullptr, nullptr, 0.5, "ARMONIX_SCALE", ""},
    {"4", nullptr, nullptr, 4, "ARMONIX_SCALE", ""},
    {"2 ", nullptr, nullptr, 2, "ARMONIX_SCALE", ""},
    {"abc", kHiDpi, nullptr, 2, "Xft.dpi",
     "ARMONIX_SCALE=abc: expected a number from 0.5 to 4; the desktop's scale applies"},
    {"2x", nullptr, nullptr, 1, "default",
     "ARMONIX_SCALE=2x: expected a number from 0.5 to 4; the desktop's scale applies"},
    {"0", nullptr, "2", 2, "GDK_SCALE",
     "ARMONIX_SCALE=0: expected a number from 0.5 to 4; the desktop's scale applies"},
    {"4.5", nullptr, nullptr, 1, "default",
     "ARMONIX_SCALE=4.5: expected a number from 0.5 to 4; the desktop's scale applies"},
    {"nan", nullptr, nullptr, 1, "default",
     "ARMONIX_SCALE=nan: expected a number from 0.5 to 4; the desktop's scale applies"},
    {nullptr, kHiDpi, "3", 2, "Xft.dpi", ""},
    {nullptr, "Xft.dpi:\t96\n", nullptr, 1, "Xft.dpi", ""},
    {nullptr, "Xft.dpi:\t100\n", nullptr, 1, "Xft.dpi", ""},
    {nullptr, "Xft.dpi:\t120\n", nullptr, 1.25, "Xft.dpi", ""},
    {nullptr, "Xft.dpi:\t144", nullptr, 1.5, "Xft.dpi", ""},
    {nullptr, "Xft.dpi:\t72\n", nullptr, 1, "Xft.dpi", ""},
    {nullptr, "Xft.dpi:\t9600\n", nullptr, 4, "Xft.dpi", ""},
    {nullptr, "Xft.dpi:\tbig\n", "2", 2, "GDK_SCALE", ""},
    {nullptr, "NotXft.dpi:\t192\n", nullptr, 1, "default", ""},
    {nullptr, nullptr, "2", 2, "GDK_SCALE", ""},
    {nullptr, nullptr, "1.5", 1, "default", ""},
    {nullptr, nullptr, "0", 1, "default", ""},
    {nullptr, nullptr, "-2", 1, "default", ""},
};

TEST(DesktopScale, ComesFromTheVariableThenTheDesktopThenOne) {
  for (const ChoiceCase& c : kChoices) {
    const std::string label = std::string(c.armonixScale ? c.armonixScale : "(unset)") + " / " +
                              (c.xResources ? c.xResources : "(none)") + " / " +
                              (c.gdkScale ? c.gdkScale : "(unset)");
    const native::ScaleChoice choice =
        native::ChooseScale(c.armonixScale, c.xResources, c.gdkScale);
    EXPECT_DOUBLE_EQ(choice.factor, c.factor) << label;
    EXPECT_EQ(choice.source, c.source) << label;
    EXPECT_EQ(choice.warning, c.warning) << label;
  }
}

TEST(DesktopScale, EveryDesignPixelComesBackFromItsDevicePixels) {
  for (double factor : {1.0, 1.25, 1.5, 2.0, 2.5, 3.0, 4.0}) {
    const native::Scale scale(factor);
    for (int x = -100; x <= 3000; ++x) {
      ASSERT_EQ(scale.ToDesign(scale.ToDevice(x)), x) << "factor " << factor;
    }
    // Every device pixel of a design pixel maps back to it (a click anywhere on a scaled
    // control lands on that control).
    for (int x = 0; x < 500; ++x) {
      for (int d = scale.ToDevice(x); d < scale.ToDevice(x + 1); ++d) {
        ASSERT_EQ(scale.ToDesign(d), x) << "factor " << factor << ", device " << d;
      }
    }
  }
  EXPECT_EQ(native::Scale(2).ToDevice(391), 782);
  EXPECT_EQ(native::Scale(1).ToDevice(391), 391);
  EXPECT_EQ(native::Scale(1.5).ToDevice(19), 29);
}

}  // namespace
