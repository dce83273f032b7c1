// Whole runs of small application images in the headless backend, each in a child process:
// the order of the opening events for the command lines that matter, quitting through
// ApplicationQuit, a window refusing, the last window closed by the user, the MDI frame,
// and the failed-assertion dialog's text and answers. Every run must end with exit code 0.
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "native/win32.h"
#include "runtime/entries/entries.h"
#include "runtime/objects/builtinclasses.h"
#include "runtime/objects/objects.h"
#include "runtime/objects/strings.h"
#include "runtime/startup/assertion.h"
#include "runtime/startup/fatal.h"
#include "runtime/startup/folderitem.h"
#include "runtime/startup/hooks.h"
#include "runtime/startup/runstate.h"
#include "tests/exceptions/testimage.h"
#include "tests/startup/appimage.h"
#include "tests/support/runprogram.h"

using namespace testimage;

namespace {

// ---- Routines the handlers call (they print, the parent reads the child's stdout) ----

AMX_ENTRY void TestEvent(uint32_t code) noexcept { std::printf("event %s\n", TestEventName(code)); }

AMX_ENTRY void TestDocument(ObjectHeader* item) noexcept {
  std::printf("document [%s]\n", StringText(FolderItemPath(item)));
}

const std::vector<TestRoutine> kRoutines = {
    {"TestEvent", reinterpret_cast<void*>(TestEvent)},
    {"TestDocument", reinterpret_cast<void*>(TestDocument)},
};

// ---- A window list of plain objects with native windows, standing in for the window layer ----

struct TestWindow {
  ObjectHeader* object;
  HWND hwnd;
  std::string title;
  bool refusesClose;
};
std::vector<TestWindow> gWindows;

int32_t WindowCount() { return static_cast<int32_t>(gWindows.size()); }
ObjectHeader* WindowAt(int32_t index) {
  return index >= 0 && index < WindowCount() ? gWindows[static_cast<size_t>(index)].object : nullptr;
}
ObjectHeader* FirstWindow() { return WindowAt(0); }

void Forget(size_t index, const char* how) {
  TestWindow window = gWindows[index];
  gWindows.erase(gWindows.begin() + static_cast<std::ptrdiff_t>(index));
  std::printf("%s %s\n", how, window.title.c_str());
  DestroyWindow(window.hwnd);
  UnlockObject(window.object);
}

void CloseWindow(ObjectHeader* object) {
  for (size_t i = 0; i < gWindows.size(); ++i) {
    if (gWindows[i].object == object) return Forget(i, "closed");
  }
}

bool RefusesClose(ObjectHeader* object) {
  for (const TestWindow& window : gWindows) {
    if (window.object == object) {
      std::printf("CancelClose %s -> %s\n", window.title.c_str(), window.refusesClose ? "True" : "False");
      return window.refusesClose;
    }
  }
  return false;
}

LRESULT CALLBACK TestWindowProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_CLOSE) {
    for (size_t i = 0; i < gWindows.size(); ++i) {
      if (gWindows[i].hwnd == hwnd) Forget(i, "user closed");
    }
    return 0;
  }
  return DefWindowProcA(hwnd, message, wParam, lParam);
}

void OpenTestWindow(const char* title, bool refusesClose) {
  static bool registered = false;
  if (!registered) {
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = TestWindowProcedure;
    windowClass.lpszClassName = "TestDocumentWindow";
    RegisterClassA(&windowClass);
    registered = true;
  }
  HWND hwnd = CreateWindowExA(0, "TestDocumentWindow", title, WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                              20, 20, 300, 200, nullptr, nullptr, nullptr, nullptr);
  gWindows.push_back({MakeObject(AMX_BUILTIN_CLASS(Object)), hwnd, title, refusesClose});
}

void InstallWindowHooks() {
  RuntimeHooks& hooks = StartupHooks();
  hooks.openWindowCount = WindowCount;
  hooks.firstWindow = FirstWindow;
  hooks.windowAt = WindowAt;
  hooks.closeWindow = CloseWindow;
  hooks.windowRefusesClose = RefusesClose;
}

// ---- Running ----

struct RunSetup {
  AppOptions app;
  std::string tail;
  std::string script;  // lines of the headless script
  std::vector<std::pair<const char*, bool>> windows;  // title, refuses closing
};

ChildResult RunApplication(const RunSetup& setup) {
  std::string scriptDir = FreshDirectory();
  imagekit::WriteDatFiles(BuildApplicationImage(setup.app), scriptDir);
  std::string scriptPath = scriptDir + "script.txt";
  std::ofstream(scriptPath) << setup.script;
  ScopedDirectory removed(scriptDir);
  return RunInChild([&] {
    setenv("ARMONIX_NATIVE", "headless", 1);
    setenv("ARMONIX_SCRIPT", scriptPath.c_str(), 1);
    if (!setup.windows.empty()) InstallWindowHooks();
    for (const auto& [title, refuses] : setup.windows) OpenTestWindow(title, refuses);
    CurrentRun().commandLineTail = setup.tail;
    LoadedImage loaded;
    LoadImageFrom(scriptDir, kRoutines, true, &loaded);
    std::printf("returned\n");
  });
}

// The lines of the output that a test looks at, in order.
std::vector<std::string> Lines(const std::string& output) { return runprogram::SplitLines(output); }

struct OpeningCase {
  const char* name;
  bool openDocumentHandler;
  const char* tail;
  std::vector<std::string> expected;
};

TEST(Run, OpeningEventsFollowTheCommandLine) {
  const OpeningCase cases[] = {
      {"empty tail", true, "", {"event Open", "event NewDocument", "returned"}},
      {"two names", true, "a.txt b.txt",
       {"event Open", "document [a.txt]", "document [b.txt]", "returned"}},
      {"quoted name with a blank", true, "\"my file.txt\"",
       {"event Open", "document [my file.txt]", "returned"}},
      {"blanks between and around", true, "  a  \"b c\"  ",
       {"event Open", "document [a]", "document [b c]", "returned"}},
      {"unclosed quote", true, "\"open end", {"event Open", "document [open end]", "returned"}},
      {"no OpenDocument handler", false, "a.txt", {"event Open", "event NewDocument", "returned"}},
  };
  for (const OpeningCase& c : cases) {
    SCOPED_TRACE(c.name);
    RunSetup setup;
    setup.app.openDocument = c.openDocumentHandler;
    setup.tail = c.tail;
    ChildResult result = RunApplication(setup);
    EXPECT_EQ(result.exitCode, 0) << result.output;
    EXPECT_EQ(Lines(result.output), c.expected);
  }
}

TEST(Run, TheLastClassDescendingFromApplicationIsTheApplicationClass) {
  RunSetup setup;
  setup.app.laterApplicationClass = true;
  setup.app.newDocument = false;  // only the later class handles it
  ChildResult result = RunApplication(setup);
  EXPECT_EQ(result.exitCode, 0);
  const std::vector<std::string> expected = {"event Open", "event NewDocument (later class)",
                                             "returned"};
  EXPECT_EQ(Lines(result.output), expected) << "Open is inherited from the first class";
}

TEST(Run, ApplicationQuitClosesEveryWindowAndEndsTheRun) {
  RunSetup setup;
  setup.app.quitInOpen = true;
  setup.windows = {{"One", false}, {"Two", false}};
  ChildResult result = RunApplication(setup);
  EXPECT_EQ(result.exitCode, 0);
  const std::vector<std::string> expected = {
      "event Open",     "CancelClose One -> False", "CancelClose Two -> False",
      "event Close",    "closed One",               "closed Two",
      "event after quit", "event NewDocument",      "returned"};
  EXPECT_EQ(Lines(result.output), expected);
}

TEST(Run, AWindowRefusingKeepsTheApplicationRunning) {
  RunSetup setup;
  setup.app.quitInOpen = true;
  setup.windows = {{"Keep", true}};
  setup.script = "idle 3\n";  // the run goes on until the script ends
  ChildResult result = RunApplication(setup);
  EXPECT_EQ(result.exitCode, 0);
  const std::vector<std::string> expected = {"event Open", "CancelClose Keep -> True",
                                             "event after quit", "event NewDocument",
                                             "closed Keep", "returned"};
  EXPECT_EQ(Lines(result.output), expected) << "no Close event; the window closes at shutdown";
}

TEST(Run, ClosingTheLastWindowEndsTheRun) {
  RunSetup setup;
  setup.windows = {{"Doc", false}};
  setup.script = "close \"Doc\"\nidle 5\ndump\n";
  ChildResult result = RunApplication(setup);
  EXPECT_EQ(result.exitCode, 0);
  const std::vector<std::string> expected = {"event Open", "event NewDocument", "user closed Doc",
                                             "returned"};
  EXPECT_EQ(Lines(result.output), expected) << "the rest of the script never ran";
}

TEST(Run, MdiModeOpensTheFrameAndRunsUntilItCloses) {
  RunSetup setup;
  setup.app.mdi = true;
  setup.script = "dump\nclose \"Mia applicazione\"\n";
  ChildResult result = RunApplication(setup);
  EXPECT_EQ(result.exitCode, 0);
  std::vector<std::string> lines = Lines(result.output);
  auto at = [&](const std::string& text) {
    for (size_t i = 0; i < lines.size(); ++i) {
      if (lines[i].find(text) != std::string::npos) return static_cast<int>(i);
    }
    return -1;
  };
  EXPECT_GE(at("event Open"), 0) << result.output;
  EXPECT_LT(at("event Open"), at("event NewDocument"));
  EXPECT_LT(at("event NewDocument"), at("event Activate"));
  EXPECT_GE(at("window \"Mia applicazione\""), 0) << result.output;
  EXPECT_LT(at("window \"Mia applicazione\""), at("event Close"));
  EXPECT_EQ(lines.back(), "returned");
}

struct AnswerCase {
  const char* answer;
  bool continues;
};

TEST(Run, AssertionDialogShowsItsTextAndHonoursTheAnswer) {
  const AnswerCase cases[] = {{"OK", true}, {"Cancel", false}};
  for (const AnswerCase& c : cases) {
    SCOPED_TRACE(c.answer);
    std::string scriptDir = FreshDirectory();
    ScopedDirectory removed(scriptDir);
    std::string scriptPath = scriptDir + "script.txt";
    std::ofstream(scriptPath) << "answer " << c.answer << "\n";
    ChildResult result = RunInChild([&] {
      setenv("ARMONIX_NATIVE", "headless", 1);
      setenv("ARMONIX_SCRIPT", scriptPath.c_str(), 1);
      MSG message;
      PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE);  // the script's answer is read
      FailedAssertion(0x1FFFC, "RuntimeMain", 466);  // shown as the 16-bit number -4
      std::printf("continued\n");
    });
    EXPECT_EQ(result.exitCode, 0);
    const std::string expected =
        "msgbox \"\" \"Failed Assertion: -4\\nPress OK to Continue\\nPress Cancel to Quit.\\n\\n"
        "Please report what caused this error\\nalong with the information below.\\n\\n"
        " RuntimeMain : 466\" -> " + std::string(c.answer) + "\n";
    EXPECT_EQ(result.output, expected + (c.continues ? "continued\n" : ""));
  }
}

TEST(Run, ADescriptorOutsideTheImageIsRefusedWithAMessage) {
  ChildResult result = RunInChild([] {
    setenv("ARMONIX_NATIVE", "headless", 1);
    unsetenv("ARMONIX_SCRIPT");
    uint32_t notADescriptor[4] = {1000000, 0, 0, 0};
    RuntimeInit(notADescriptor);
    std::printf("went on\n");
  });
  EXPECT_EQ(result.exitCode, 0);
  EXPECT_EQ(result.output,
            "msgbox \"Message\" \"The application could not be started because its image is "
            "damaged: the application descriptor lies outside data1\" -> OK\n");
}

TEST(Run, OutOfMemoryEndsDrawingTellsTheDebugHookAndExitsWithZero) {
  ChildResult result = RunInChild([] {
    SetEndDrawingHook([] { std::printf("drawing ended\n"); std::fflush(stdout); });
    SetDebugMessageHook([](const char* text) { std::printf("debug: %s\n", text); std::fflush(stdout); });
    FatalOutOfMemory();
  });
  EXPECT_EQ(result.exitCode, 0);
  EXPECT_EQ(result.output,
            "drawing ended\ndebug: This application has run out of memory and must quit now.\n");
}

TEST(Run, AssertionTextWithoutAUnit) {
  EXPECT_EQ(AssertionText(3, nullptr, 0),
            "Failed Assertion: 3\nPress OK to Continue\nPress Cancel to Quit.\n\n"
            "Please report what caused this error\nalong with the information below.\n\n  : 0");
  EXPECT_EQ(AssertionText(32768, "x", 1).substr(0, 25), "Failed Assertion: -32768\n");
}

}  // namespace
