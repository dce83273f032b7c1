// Controls that a window draws itself (no native window of their own), reported to the
// headless screen dump so that it shows every control the user sees. The layer above
// registers a source; the dump asks it, per window, for what it draws there. Entry points:
// AddDrawnItemsSource, DrawnItemsOf.
#pragma once

#include <string>
#include <vector>

#include "native/win32.h"

namespace native {

// One control drawn into a window's client area.
struct DrawnItem {
  std::string className;  // the dump's class column; never a native class name
  std::string text;       // Windows-1252
  RECT rect{};            // the window's client coordinates
  bool visible = true;
  bool enabled = true;
};

// Appends, topmost first, the items drawn into the window (beneath its child windows).
using DrawnItemsSource = void (*)(HWND window, std::vector<DrawnItem>* items);

// Registers a source; the same source registered again is kept once.
void AddDrawnItemsSource(DrawnItemsSource source);
// What every source reports for the window, in registration order.
std::vector<DrawnItem> DrawnItemsOf(HWND window);

}  // namespace native
