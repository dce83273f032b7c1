// Wrapping menu bar titles onto rows: greedy, in order, at least one title a row.
#include "native/fltk/menurows.h"

namespace native {

std::vector<size_t> WrapTitles(const std::vector<int>& widths, int available, int lead) {
  std::vector<size_t> starts{0};
  long used = lead;
  for (size_t i = 0; i < widths.size(); ++i) {
    const bool rowEmpty = starts.back() == i;
    if (!rowEmpty && used + widths[i] > available) {
      starts.push_back(i);
      used = lead;
    }
    used += widths[i];
  }
  return starts;
}

}  // namespace native
