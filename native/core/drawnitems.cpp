// The sources of drawn items (native/drawnitems.h): a plain list, asked in registration
// order when the screen is dumped. Entry points: AddDrawnItemsSource, DrawnItemsOf.
#include "native/drawnitems.h"

#include <algorithm>

namespace native {
namespace {

std::vector<DrawnItemsSource>& Sources() {
  static std::vector<DrawnItemsSource> sources;
  return sources;
}

}  // namespace

void AddDrawnItemsSource(DrawnItemsSource source) {
  std::vector<DrawnItemsSource>& sources = Sources();
  if (source == nullptr || std::find(sources.begin(), sources.end(), source) != sources.end()) return;
  sources.push_back(source);
}

std::vector<DrawnItem> DrawnItemsOf(HWND window) {
  std::vector<DrawnItem> items;
  for (DrawnItemsSource source : Sources()) source(window, &items);
  return items;
}

}  // namespace native
