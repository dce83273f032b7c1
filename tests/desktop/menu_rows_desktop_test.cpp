// The shipped program's menu bar on a private X server, at scale 1 and 2: the main window is
// 391 wide, too narrow for its seven titles, so the bar has further rows above the client
// area, which stays where the core puts it (the centre of a 1024 x 768 screen, as headless);
// "Accordi", the last title, opens with the pointer, "Stato fondamentale" opens its
// exercise window, and Ctrl+Q ends the program with status 0.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "tests/desktop/xdisplay.h"
#include "tests/support/runprogram.h"

namespace {

constexpr int kClientWidth = 391;
constexpr int kClientHeight = 206;
constexpr int kClientLeft = 316;  // centred on 1024 x 768 in design pixels
constexpr int kClientTop = 140;
constexpr int kRowHeight = 19;

bool IsText(uint32_t pixel) {
  const int r = pixel >> 16 & 0xFF, g = pixel >> 8 & 0xFF, b = pixel & 0xFF;
  return r < 90 && g < 90 && b < 90;
}

struct Span {
  int left = 0;
  int right = 0;  // one past
};

// The titles' labels in a row of the bar: runs of columns holding text, closer than gap
// joined into one label; columns dark from top to bottom (a divider) are not text.
std::vector<Span> LabelsInRow(const xdisplay::Screenshot& shot, int top, int height, int gap) {
  std::vector<Span> labels;
  int lastText = -1000;
  for (int x = 0; x < shot.width; ++x) {
    int dark = 0;
    for (int y = top; y < top + height; ++y) dark += IsText(shot.At(x, y)) ? 1 : 0;
    if (dark == 0 || dark >= height - 2) continue;
    if (x - lastText > gap) labels.push_back({x, x + 1});
    labels.back().right = x + 1;
    lastText = x;
  }
  return labels;
}

class MenuRowsDesktopTest : public ::testing::TestWithParam<int> {
 protected:
  void TearDown() override {
    program_.Stop();
    std::remove(errors_.c_str());
  }

  bool Run(const std::string& command) {
    return std::system(("DISPLAY=" + server_.Name() + " " + command + " >/dev/null 2>&1").c_str()) == 0;
  }

  xdisplay::XvfbServer server_;
  xdisplay::Child program_;
  std::string errors_ = runprogram::ProcessTempPath("menurows_stderr", ".txt");
};

TEST_P(MenuRowsDesktopTest, TheLastTitleWrapsAndItsItemsCanBeChosen) {
  const int scale = GetParam();
  ASSERT_EQ(server_.Start(1024 * scale, 768 * scale), "");
  ASSERT_TRUE(program_.Start(AMX_APP_EXE, AMX_BUILD_DIR,
                             {{"DISPLAY", server_.Name()},
                              {"ARMONIX_NATIVE", "fltk"},
                              {"ARMONIX_SCALE", std::to_string(scale)},
                              {"ARMONIX_MIDI", "none"}},
                             errors_));
  xdisplay::WindowInfo main;
  ASSERT_TRUE(server_.WaitForWindow("", &main)) << runprogram::ReadFile(errors_);
  usleep(500000);  // the first paint

  // The client area where the core has it; the rows above it.
  const int row = kRowHeight * scale;
  const int bar = main.height - kClientHeight * scale;
  EXPECT_EQ(main.width, kClientWidth * scale);
  ASSERT_EQ(bar % row, 0) << main.height;
  EXPECT_GE(bar / row, 2);
  EXPECT_EQ(main.x, kClientLeft * scale);
  EXPECT_EQ(main.y + bar, kClientTop * scale);

  // Every title is drawn in full: seven labels over the rows, none at the right edge.
  const xdisplay::Screenshot shot = server_.Capture(main);
  ASSERT_EQ(shot.height, main.height);
  size_t titles = 0;
  std::vector<Span> last;
  for (int top = 0; top < bar; top += row) {
    last = LabelsInRow(shot, top, row, 8 * scale);
    titles += last.size();
    for (const Span& label : last) EXPECT_LT(label.right, main.width - 2 * scale);
  }
  EXPECT_EQ(titles, 7u);
  ASSERT_FALSE(last.empty());

  // "Accordi" with the pointer, then its first item just below the row.
  const int x = main.x + (last.back().left + last.back().right) / 2;
  ASSERT_TRUE(server_.MovePointer(x, main.y + bar - row / 2));
  ASSERT_TRUE(server_.Click());
  usleep(500000);
  ASSERT_TRUE(server_.MovePointer(x + 10 * scale, main.y + bar + 10 * scale));
  ASSERT_TRUE(server_.Click());
  xdisplay::WindowInfo exercise;
  ASSERT_TRUE(server_.WaitForWindow("Accordi stato fondamentale", &exercise))
      << runprogram::ReadFile(errors_);

  usleep(300000);
  ASSERT_TRUE(Run("xdotool key ctrl+q"));
  EXPECT_EQ(program_.WaitForExit(30), 0);
  EXPECT_EQ(runprogram::ReadFile(errors_), "");
}

INSTANTIATE_TEST_SUITE_P(Scales, MenuRowsDesktopTest, ::testing::Values(1, 2));

}  // namespace
