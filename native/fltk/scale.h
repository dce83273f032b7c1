// The desktop backend's scale factor: windows, controls, menus and text are drawn that many
// device pixels per design pixel, while the runtime keeps working in design coordinates.
// Entry points: ChooseScale (from ARMONIX_SCALE, else Xft.dpi, else GDK_SCALE, else 1) and
// the Scale conversions.
#pragma once

#include <string>

namespace native {

class Scale {
 public:
  explicit Scale(double factor = 1) : factor_(factor) {}
  double Factor() const { return factor_; }
  // Design pixels to device pixels (edges round, so neighbouring rectangles still meet).
  int ToDevice(int design) const;
  // Device pixels back to design pixels: the design pixel whose device pixels hold it, so
  // ToDesign(ToDevice(x)) == x and a point anywhere on a scaled control lands on it.
  int ToDesign(int device) const;

 private:
  double factor_;
};

struct ScaleChoice {
  double factor = 1;
  std::string source;   // "ARMONIX_SCALE", "Xft.dpi", "GDK_SCALE" or "default"
  std::string warning;  // a setting that was refused, said once on stderr
};

// armonixScale: the variable's text or null; xResources: the X server's resource string
// (RESOURCE_MANAGER) or null; gdkScale: GDK_SCALE or null.
ScaleChoice ChooseScale(const char* armonixScale, const char* xResources, const char* gdkScale);

}  // namespace native
