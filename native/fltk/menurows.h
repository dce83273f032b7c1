// How a menu bar narrower than its titles wraps them onto further rows, as the system's own
// menu bars do: each row takes as many titles, in order, as fit its width, and a title wider
// than the whole bar still gets a row of its own. Entry point: WrapTitles.
#pragma once

#include <cstddef>
#include <vector>

namespace native {

// widths: each title's width, padding included; available: the bar's width; lead: the space
// before a row's first title. Returns the index of the first title of each row, in order:
// {0} for one row (also when there are no titles).
std::vector<size_t> WrapTitles(const std::vector<int>& widths, int available, int lead);

}  // namespace native
