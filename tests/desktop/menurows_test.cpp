// Wrapping a menu bar's titles onto rows: everything that fits stays on one row, a title one
// pixel too wide starts the next row, a title wider than the bar gets a row of its own, and
// a bar with no titles (or no width) still has its first row.
#include <gtest/gtest.h>

#include <vector>

#include "native/fltk/menurows.h"

namespace {

struct WrapCase {
  const char* name;
  std::vector<int> widths;
  int available;
  int lead;
  std::vector<size_t> starts;
};

const WrapCase kWraps[] = {
    {"no titles", {}, 391, 6, {0}},
    {"no titles, no width", {}, 0, 6, {0}},
    {"all fit", {60, 70, 90}, 391, 6, {0}},
    {"exactly fit", {60, 70, 90}, 226, 6, {0}},
    {"one pixel short", {60, 70, 90}, 225, 6, {0, 2}},
    {"the shipped bar at 391", {63, 71, 87, 58, 65, 68, 61}, 391, 6, {0, 5}},
    {"three rows", {100, 100, 100, 100, 100}, 220, 6, {0, 2, 4}},
    {"a title wider than the bar", {50, 500, 50}, 391, 6, {0, 1, 2}},
    {"the first title wider than the bar", {500, 50, 50}, 391, 6, {0, 1}},
    {"no width: a title a row", {10, 10, 10}, 0, 6, {0, 1, 2}},
    {"the lead counts on every row", {100, 100, 100}, 200, 0, {0, 2}},
    {"the lead counts on every row, with a lead", {100, 100, 100}, 200, 1, {0, 1, 2}},
};

class WrapTitlesTest : public ::testing::TestWithParam<WrapCase> {};

TEST_P(WrapTitlesTest, RowsStartWhereTheTitlesNoLongerFit) {
  const WrapCase& c = GetParam();
  EXPECT_EQ(native::WrapTitles(c.widths, c.available, c.lead), c.starts) << c.name;
}

INSTANTIATE_TEST_SUITE_P(Widths, WrapTitlesTest, ::testing::ValuesIn(kWraps));

}  // namespace
