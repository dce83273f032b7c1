// Choosing and applying the scale factor. ARMONIX_SCALE takes any factor from 0.5 to 4 (a
// refused value is reported and the desktop's settings apply); the desktop's own settings
// give 1 to 4 in quarter steps: Xft.dpi over 96, or the integer GDK_SCALE.
#include "native/fltk/scale.h"

#include <cmath>
#include <cstdlib>
#include <cstring>

namespace native {
namespace {

constexpr double kMinExplicit = 0.5;
constexpr double kMaxScale = 4;

// A whole decimal number, nothing after it; false for anything else.
bool ParseNumber(const char* text, double* value) {
  if (text == nullptr || *text == '\0') return false;
  char* end = nullptr;
  const double parsed = std::strtod(text, &end);
  while (*end == ' ' || *end == '\t') ++end;
  if (*end != '\0' || !std::isfinite(parsed)) return false;
  *value = parsed;
  return true;
}

double DesktopStep(double factor) {
  const double stepped = std::round(factor * 4) / 4;
  return std::fmin(std::fmax(stepped, 1.0), kMaxScale);
}

// The value of "Xft.dpi" in a resource string ("Xft.dpi:\t192\n..."), or 0.
double XftDpi(const char* resources) {
  if (resources == nullptr) return 0;
  static const char kName[] = "Xft.dpi:";
  for (const char* line = resources; line != nullptr && *line != '\0';) {
    if (std::strncmp(line, kName, sizeof kName - 1) == 0) {
      const char* value = line + sizeof kName - 1;
      char* end = nullptr;
      const double dpi = std::strtod(value, &end);
      return end != value && dpi > 0 && std::isfinite(dpi) ? dpi : 0;
    }
    line = std::strchr(line, '\n');
    if (line != nullptr) ++line;
  }
  return 0;
}

}  // namespace

// Design pixel x covers the device pixels [ToDevice(x), ToDevice(x + 1)).
int Scale::ToDevice(int design) const {
  return static_cast<int>(std::floor(design * factor_ + 0.5));
}

// The largest x with ToDevice(x) <= device, i.e. x * factor < device + 0.5.
int Scale::ToDesign(int device) const {
  return static_cast<int>(std::ceil((device + 0.5) / factor_)) - 1;
}

ScaleChoice ChooseScale(const char* armonixScale, const char* xResources, const char* gdkScale) {
  ScaleChoice choice;
  if (armonixScale != nullptr && *armonixScale != '\0') {
    double factor = 0;
    if (ParseNumber(armonixScale, &factor) && factor >= kMinExplicit && factor <= kMaxScale) {
      choice.factor = factor;
      choice.source = "ARMONIX_SCALE";
      return choice;
    }
    choice.warning = std::string("ARMONIX_SCALE=") + armonixScale +
                     ": expected a number from 0.5 to 4; the desktop's scale applies";
  }
  if (const double dpi = XftDpi(xResources); dpi > 0) {
    choice.factor = DesktopStep(dpi / 96);
    choice.source = "Xft.dpi";
    return choice;
  }
  double gdk = 0;
  if (ParseNumber(gdkScale, &gdk) && gdk >= 1 && gdk == std::floor(gdk)) {
    choice.factor = DesktopStep(gdk);
    choice.source = "GDK_SCALE";
    return choice;
  }
  choice.source = "default";
  return choice;
}

}  // namespace native
