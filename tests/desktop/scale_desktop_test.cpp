// The desktop backend at a scale factor, on a private X server: the ear-training demo's main
// window at scale 2 (from ARMONIX_SCALE or the server's Xft.dpi) is twice the size of the
// one at scale 1, with its title text drawn twice as large in the same place, and the
// pointer at the scaled position of a control reaches that control (the guide-note button
// sounds, the "Indietro" button goes back).
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "tests/desktop/xdisplay.h"
#include "tests/support/runprogram.h"

namespace {

using xdisplay::Screenshot;
using ScreenPoint = std::pair<int, int>;

// The bright green of the main window's "Armonix" title text (on black).
bool IsTitleGreen(uint32_t pixel) {
  const int r = pixel >> 16 & 0xFF, g = pixel >> 8 & 0xFF, b = pixel & 0xFF;
  return g > 160 && r < 120 && b < 120;
}

struct Box {
  int left = 1 << 30, top = 1 << 30, right = -1, bottom = -1;
  bool Empty() const { return right < 0; }
};

Box GreenBox(const Screenshot& shot) {
  Box box;
  for (int y = 0; y < shot.height; ++y) {
    for (int x = 0; x < shot.width; ++x) {
      if (!IsTitleGreen(shot.At(x, y))) continue;
      box.left = std::min(box.left, x);
      box.top = std::min(box.top, y);
      box.right = std::max(box.right, x + 1);
      box.bottom = std::max(box.bottom, y + 1);
    }
  }
  return box;
}

struct Shown {
  xdisplay::WindowInfo main;
  Screenshot shot;
  Box title;
};

class ScaledDesktopTest : public ::testing::Test {
 protected:
  // Starts the demo on a fresh X server of (1024 x 768) x scale at that scale, given by
  // ARMONIX_SCALE or else by the server's Xft.dpi resource.
  void Launch(int scale, bool byVariable = true) {
    program_.Stop();
    scale_ = scale;
    server_ = std::make_unique<xdisplay::XvfbServer>();
    const std::string problem = server_->Start(1024 * scale, 768 * scale);
    ASSERT_EQ(problem, "");
    if (!byVariable) {
      server_->SetResources("Xft.antialias:\t1\nXft.dpi:\t" + std::to_string(96 * scale) + "\n");
    }
    midiFile_ = runprogram::ProcessTempPath("scaled_midi", ".txt");
    errors_ = runprogram::ProcessTempPath("scaled_stderr", ".txt");
    std::remove(midiFile_.c_str());
    ASSERT_TRUE(program_.Start(AMX_RUNTIME_EXE, AMX_EAR_DIR,
                               {{"DISPLAY", server_->Name()},
                                {"ARMONIX_NATIVE", "fltk"},
                                {"ARMONIX_SCALE", byVariable ? std::to_string(scale) : ""},
                                {"GDK_SCALE", ""},
                                {"ARMONIX_MIDI", "record:" + midiFile_}},
                               errors_));
  }
  void TearDown() override {
    program_.Stop();
    server_.reset();
    std::remove(midiFile_.c_str());
    std::remove(errors_.c_str());
  }

  Shown MainWindow() {
    Shown run;
    EXPECT_TRUE(server_->WaitForWindow("Armonix", &run.main)) << runprogram::ReadFile(errors_);
    usleep(300000);  // the first paint
    run.shot = server_->Capture(run.main);
    run.title = GreenBox(run.shot);
    return run;
  }

  // A design point of a window's client area (below its menu bar) on the root window.
  ScreenPoint OnScreen(const xdisplay::WindowInfo& window, int x, int y, int menu) const {
    return {window.x + x * scale_, window.y + (y + menu) * scale_};
  }

  int scale_ = 1;
  std::unique_ptr<xdisplay::XvfbServer> server_;
  xdisplay::Child program_;
  std::string midiFile_;
  std::string errors_;
};

// The same window at scale 1 and 2: twice the size, twice the text, in the same place.
TEST_F(ScaledDesktopTest, AtScaleTwoTheWindowAndItsTextAreTwiceTheSize) {
  Shown runs[2];
  for (int scale : {1, 2}) {
    Launch(scale);
    if (HasFatalFailure()) return;
    runs[scale - 1] = MainWindow();
    program_.Stop();
  }
  const Shown& one = runs[0];
  const Shown& two = runs[1];
  std::printf("scale 1: window %dx%d at (%d, %d), title text %dx%d at (%d, %d)\n",
              one.shot.width, one.shot.height, one.main.x, one.main.y,
              one.title.right - one.title.left, one.title.bottom - one.title.top, one.title.left,
              one.title.top);
  std::printf("scale 2: window %dx%d at (%d, %d), title text %dx%d at (%d, %d)\n",
              two.shot.width, two.shot.height, two.main.x, two.main.y,
              two.title.right - two.title.left, two.title.bottom - two.title.top, two.title.left,
              two.title.top);
  // The client area is 391 x 206 with a menu bar of 19 above it.
  EXPECT_EQ(one.shot.width, 391);
  EXPECT_EQ(one.shot.height, 225);
  EXPECT_EQ(two.shot.width, 2 * one.shot.width);
  EXPECT_EQ(two.shot.height, 2 * one.shot.height);
  EXPECT_EQ(two.main.x, 2 * one.main.x);
  EXPECT_EQ(two.main.y, 2 * one.main.y);
  ASSERT_FALSE(one.title.Empty());
  ASSERT_FALSE(two.title.Empty());
  // Glyphs of a font twice the size differ by a few pixels from twice the glyphs.
  EXPECT_NEAR(two.title.left, 2 * one.title.left, 6);
  EXPECT_NEAR(two.title.top, 2 * one.title.top, 6);
  EXPECT_NEAR(two.title.right - two.title.left, 2 * (one.title.right - one.title.left), 12);
  EXPECT_NEAR(two.title.bottom - two.title.top, 2 * (one.title.bottom - one.title.top), 8);
}

TEST_F(ScaledDesktopTest, WithoutTheVariableTheDesktopsXftDpiGivesTheScale) {
  Launch(2, false);
  if (HasFatalFailure()) return;
  const Shown shown = MainWindow();
  EXPECT_EQ(shown.shot.width, 782);
  EXPECT_EQ(shown.shot.height, 450);
  EXPECT_EQ(runprogram::ReadFile(errors_), "");
}

TEST_F(ScaledDesktopTest, AtScaleTwoThePointerReachesTheControlAtItsScaledPosition) {
  Launch(2);
  if (HasFatalFailure()) return;
  Shown main = MainWindow();
  // Open the exercise from the menu bar: the first title, then along to "Ear training".
  const ScreenPoint bar = {main.main.x + 2 * 12, main.main.y + 2 * 9};
  ASSERT_TRUE(server_->MovePointer(bar.first, bar.second));
  ASSERT_TRUE(server_->Click());
  usleep(200000);
  const std::string keys = "DISPLAY=" + server_->Name() + " xdotool key Right Down Return";
  ASSERT_EQ(std::system(keys.c_str()), 0);
  xdisplay::WindowInfo note;
  ASSERT_TRUE(server_->WaitForWindow("Note", &note)) << runprogram::ReadFile(errors_);
  // The client area is 300 x 160; the menu bar (19) moves to this window when the main
  // window closes.
  EXPECT_EQ(note.width, 2 * 300);
  const int menu = note.height / 2 - 160;
  EXPECT_TRUE(menu == 0 || menu == 19) << note.height;
  usleep(300000);

  // The guide-note button (20, 15, 150 x 22): resting on its scaled middle sounds the note,
  // leaving it ends the note.
  const ScreenPoint guide = OnScreen(note, 95, 26, menu);
  ASSERT_TRUE(server_->MovePointer(guide.first, guide.second));
  usleep(300000);
  const ScreenPoint away = OnScreen(note, 150, 140, menu);
  ASSERT_TRUE(server_->MovePointer(away.first, away.second));
  usleep(300000);
  EXPECT_EQ(runprogram::ReadFile(midiFile_), "open\n007F3C90\n00403C80\n");

  // "Indietro" (20, 120, 70 x 20) at its scaled position: back to the main window.
  const ScreenPoint back = OnScreen(note, 55, 130, menu);
  ASSERT_TRUE(server_->MovePointer(back.first, back.second));
  ASSERT_TRUE(server_->Click());
  EXPECT_TRUE(server_->WaitForNoWindow("Note"));
  xdisplay::WindowInfo again;
  EXPECT_TRUE(server_->WaitForWindow("Armonix", &again));
  EXPECT_EQ(runprogram::ReadFile(errors_), "");
}

}  // namespace
