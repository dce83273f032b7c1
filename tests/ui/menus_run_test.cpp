// Whole runs of a small image with a menu bar in the headless backend, each in a child
// process: the menu bar built from the image's own project item and carried by the MDI
// frame, choices made by the script's `menu` command (menu initialisation runs the enabling
// pass, a grayed item cannot be chosen), and "Esci" ending the run through the quit item.
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "native/core/backend.h"
#include "native/headless/headless.h"
#include "runtime/entries/entry.h"
#include "runtime/startup/hooks.h"
#include "runtime/startup/runstate.h"
#include "runtime/ui/windowlayer.h"
#include "tests/exceptions/testimage.h"
#include "tests/support/runprogram.h"
#include "tests/ui/menus_fixture.h"

namespace menus_test {
namespace {

using Lines = std::vector<std::string>;

AMX_ENTRY uint32_t PrintMenuCall(uint32_t code, ObjectHeader*, int32_t) noexcept {
  std::printf("call %u\n", code);
  return code == 99 ? 1 : 0;  // code 99 answers True
}

const std::vector<testimage::TestRoutine> kPrintingRoutines = {
    {"TestMenuCall", reinterpret_cast<void*>(PrintMenuCall)},
};

struct RunResult {
  int exitCode;
  Lines output;
  std::string errors;
};

// Builds the image (MDI mode, so the frame carries the bar and the run lasts until the
// script ends or the application quits) and runs it in a child with the script.
RunResult RunWithScript(MenuImage& image, const std::vector<imagekit::MenuEntry>& bar,
                        const std::string& script, bool mdi = true) {
  std::string dir = testimage::FreshDirectory();
  testimage::ScopedDirectory removed(dir);
  imagekit::WriteDatFiles(image.Finish(&bar, mdi), dir);
  std::ofstream(dir + "script.txt") << script;
  std::string errorsPath = dir + "errors.txt";
  testimage::ChildResult child = testimage::RunInChild([&] {
    std::freopen(errorsPath.c_str(), "w", stderr);
    setenv("ARMONIX_NATIVE", "headless", 1);
    setenv("ARMONIX_SCRIPT", (dir + "script.txt").c_str(), 1);
    // A fresh window manager and run: earlier tests of this process installed their own.
    native::ResetForTests();
    native::InstallBackend(native::CreateHeadlessBackendFromEnvironment());
    ResetRunState();
    ResetStartupHooks();
    InstallMenuHooks();
    windows::InstallWindowLayer();
    testimage::LoadedImage loaded;
    testimage::LoadImageFrom(dir, kPrintingRoutines, true, &loaded);
    std::printf("returned\n");
  });
  std::ifstream errors(errorsPath);
  std::string errorText((std::istreambuf_iterator<char>(errors)), std::istreambuf_iterator<char>());
  return {child.exitCode, runprogram::SplitLines(child.output), errorText};
}

class MenuRunTest : public ::testing::Test {
 protected:
  std::vector<imagekit::MenuEntry> Bar() {
    int32_t mi = static_cast<int32_t>(image_.menuItem);
    int32_t qmi = static_cast<int32_t>(image_.quitMenuItem);
    imagekit::MenuEntry note = Item("Note", "mnetn", mi);
    note.children = {Item("Soprano", "mnNS", mi)};
    return {TopMenu("Mela", {Item("Info Armonix", "appleInMt", mi)}, 1),
            TopMenu("Archivio", {Item("Esci", "FileQuit", qmi, "Q"), Separator(mi)}),
            TopMenu("Strumenti", {Item("Cambia", "mnSP", mi), note})};
  }
  MenuImage image_;
};

// The handler first, then the quit item's own action: the application's "Close" (code 2).
TEST_F(MenuRunTest, ChoosingEsciRunsTheHandlerThenQuits) {
  image_.AddAppMenuHandler("filequit", 1);
  image_.AddAppEvent("Close", 2);
  RunResult run = RunWithScript(image_, Bar(), "menu \"Archivio/Esci\"\nidle 2\n");
  EXPECT_EQ(run.exitCode, 0) << run.errors;
  EXPECT_EQ(run.output, Lines({"call 1", "call 2", "returned"}));
  EXPECT_EQ(run.errors, "");
}

TEST_F(MenuRunTest, AHandlerAnsweringTrueKeepsTheApplicationRunning) {
  image_.AddAppMenuHandler("FileQuit", 99);
  image_.AddAppEvent("Close", 2);
  RunResult run = RunWithScript(image_, Bar(), "menu \"Archivio/Esci\"\n");  // no "Close"
  EXPECT_EQ(run.exitCode, 0) << run.errors;
  EXPECT_EQ(run.output, Lines({"call 99", "returned"}));
}

TEST_F(MenuRunTest, ItemsNobodyEnablesCannotBeChosen) {
  image_.AddAppMenuHandler("mnSP", 3);
  image_.AddAppMenuHandler("mnNS", 4);
  RunResult run = RunWithScript(image_, Bar(),
                                "menu \"Strumenti/Cambia\"\nmenu \"Strumenti/Note/Soprano\"\n");
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(run.output, Lines({"returned"}));
  EXPECT_NE(run.errors.find("menu \"Strumenti/Cambia\": item is disabled"), std::string::npos)
      << run.errors;
}

TEST_F(MenuRunTest, ItemsTheApplicationEnablesReachTheirHandlers) {
  image_.AddAppMenuHandler("mnSP", 3);
  image_.AddAppMenuHandler("mnNS", 4);
  image_.EnableInAppEnableMenuItems({"mnsp", "mnetn", "mnns", "appleinmt"});
  RunResult run = RunWithScript(image_, Bar(),
                                "menu \"Strumenti/Cambia\"\nmenu \"Strumenti/Note/Soprano\"\n");
  EXPECT_EQ(run.exitCode, 0) << run.errors;
  EXPECT_EQ(run.output, Lines({"call 3", "call 4", "returned"}));
  EXPECT_EQ(run.errors, "");
}

// Single-window mode: the main window carries the bar; its class's menu handlers come
// before the application's, and its "EnableMenuItems" runs in the pass.
TEST_F(MenuRunTest, TheMainWindowsHandlersComeFirst) {
  image_.AddMainWindow({{"FileQuit", 5}}, {{"EnableMenuItems", 6}});
  image_.AddAppMenuHandler("FileQuit", 1);
  image_.AddAppEvent("EnableMenuItems", 7);
  image_.AddAppEvent("Close", 2);
  RunResult run = RunWithScript(image_, Bar(), "menu \"Archivio/Esci\"\nidle 2\n", false);
  EXPECT_EQ(run.exitCode, 0) << run.errors;
  // The pass runs when the window is activated and again when the menu opens.
  EXPECT_EQ(run.output, Lines({"call 6", "call 7", "call 6", "call 7", "call 5", "call 1",
                               "call 2", "returned"}))
      << run.errors;
  EXPECT_EQ(run.errors, "");
}

TEST_F(MenuRunTest, AWindowHandlerAnsweringTrueEndsTheDispatch) {
  image_.AddMainWindow({{"filequit", 99}}, {});
  image_.AddAppMenuHandler("FileQuit", 1);
  image_.AddAppEvent("Close", 2);
  RunResult run = RunWithScript(image_, Bar(), "menu \"Archivio/Esci\"\nclose \"Principale\"\n", false);
  EXPECT_EQ(run.exitCode, 0) << run.errors;
  EXPECT_EQ(run.output, Lines({"call 99", "returned"})) << run.errors;
}

TEST_F(MenuRunTest, ControlQRunsTheSameDispatchAsChoosingEsci) {
  image_.AddMainWindow({{"FileQuit", 5}}, {});
  image_.AddAppEvent("Close", 2);
  RunResult run = RunWithScript(image_, Bar(), "key Ctrl+Q\nidle 2\n", false);
  EXPECT_EQ(run.exitCode, 0) << run.errors;
  EXPECT_EQ(run.output, Lines({"call 5", "call 2", "returned"})) << run.errors;
}

}  // namespace
}  // namespace menus_test
