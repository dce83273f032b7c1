// Closing windows: CancelClose, the order of the closing events, closing from inside a
// handler (also in the middle of a loop over the controls), owned windows closing with their
// owner, what is left of the window and its controls afterwards, and the window list the
// main loop and the quitting procedure walk.
#include <linux/hw_breakpoint.h>
#include <linux/perf_event.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "native/core/input.h"
#include "runtime/entries/entries.h"
#include "runtime/objects/objects.h"
#include "runtime/objects/stringmap.h"
#include "runtime/objects/strings.h"
#include "runtime/startup/hooks.h"
#include "runtime/startup/runloop.h"
#include "runtime/startup/runstate.h"
#include "runtime/ui/windowlayer.h"
#include "tests/ui/windows_fixture.h"

namespace windows_test {
namespace {

using Log = std::vector<std::string>;

class WindowCloseTest : public WindowsTest {
 protected:
  // A window with controls a (alone) and pb$1, pb$2 (an array).
  ObjectHeader* ThreeControls(ObjectHeader** variable = nullptr) {
    imagekit::WindowDesc desc = Desc(kWindowClass, WindowPairs(400, 300));
    desc.controls.push_back(Control("a", kNotInArray, Rect16{0, 0, 20, 40}));
    desc.controls.push_back(Control("pb", 1, Rect16{30, 0, 50, 40}));
    desc.controls.push_back(Control("pb", 2, Rect16{60, 0, 80, 40}));
    ObjectHeader* window = Create(desc, variable);
    Pump();  // shown and activated
    gLog.clear();
    return window;
  }
};

TEST_F(WindowCloseTest, CancelCloseTrueKeepsTheWindowAndRaisesNoClose) {
  ObjectHeader* window = ThreeControls();
  ASSERT_NE(window, nullptr);
  gBehave.cancelClose = true;
  RuntimeCloseWindow(window);
  EXPECT_EQ(gLog, Log{"CancelClose"});
  EXPECT_NE(AsWindow(window)->native, nullptr);
  EXPECT_TRUE(IsWindow(Hwnd(window)));
  EXPECT_EQ(windows::OpenWindowCount(), 1);
}

TEST_F(WindowCloseTest, ControlsCloseBeforeTheWindowInDictionaryOrder) {
  static ObjectHeader* variable = nullptr;
  ObjectHeader* window = ThreeControls(&variable);
  ASSERT_NE(window, nullptr);
  HWND hwnd = Hwnd(window);
  RuntimeCloseWindow(window);
  EXPECT_EQ(gLog, (Log{"CancelClose", "ctl:Close a", "ctl:Close pb$1", "ctl:Close pb$2",
                       "Close"}));
  EXPECT_EQ(AsWindow(window)->native, nullptr);
  EXPECT_FALSE(IsWindow(hwnd));
  EXPECT_EQ(variable, nullptr);
  EXPECT_EQ(windowControlCountGetter(window, 0), 0) << "the controls are released";
  EXPECT_EQ(windows::OpenWindowCount(), 0);
}

TEST_F(WindowCloseTest, TheCloseBoxAsksAndClosesThroughTheWindowProcedure) {
  ObjectHeader* window = ThreeControls();
  ASSERT_NE(window, nullptr);
  native::RequestClose(Hwnd(window));
  Pump();
  EXPECT_EQ(gLog.front(), "CancelClose");
  EXPECT_EQ(gLog.back(), "Close");
  EXPECT_EQ(AsWindow(window)->native, nullptr);
}

TEST_F(WindowCloseTest, AControlTheApplicationHoldsKeepsItsFieldsButLosesItsPane) {
  ObjectHeader* window = ThreeControls();
  ASSERT_NE(window, nullptr);
  ObjectHeader* kept = LockObject(ControlNamed(window, "pb$2"));
  ASSERT_NE(AsControl(kept)->pane, nullptr);
  RuntimeCloseWindow(window);
  EXPECT_EQ(AsControl(kept)->pane, nullptr);
  EXPECT_EQ(std::string(StringView(AsControl(kept)->name)), "pb");
  EXPECT_EQ(AsControl(kept)->bounds, (Rect16{60, 0, 80, 40}));
  EXPECT_EQ(kept->refCount, 1) << "only the application's reference is left";
  UnlockObject(kept);
}

struct NestedCase {
  const char* closeOn;
  Log expected;
};

TEST_F(WindowCloseTest, AHandlerThatClosesTheWindowAgainEndsTheClosingOnce) {
  const NestedCase cases[] = {
      {"ctl:Close a", {"CancelClose", "ctl:Close a", "CancelClose"}},
      {"ctl:Close pb$1", {"CancelClose", "ctl:Close a", "ctl:Close pb$1", "CancelClose"}},
      {"Close", {"CancelClose", "ctl:Close a", "ctl:Close pb$1", "ctl:Close pb$2", "Close",
                 "CancelClose"}},
  };
  for (const auto& c : cases) {
    int live = LiveObjectCount();
    ObjectHeader* variable = nullptr;
    ObjectHeader* window = ThreeControls(&variable);
    ASSERT_NE(window, nullptr);
    gBehave.closeOn = c.closeOn;
    RuntimeCloseWindow(window);
    gBehave.closeOn.clear();
    EXPECT_EQ(gLog, c.expected) << c.closeOn;
    EXPECT_EQ(AsWindow(window)->native, nullptr) << c.closeOn;
    EXPECT_EQ(variable, nullptr) << c.closeOn;
    EXPECT_EQ(FirstViewWindow(), nullptr) << c.closeOn;
    created_.clear();
    EXPECT_EQ(window->refCount, 1) << c.closeOn;
    UnlockObject(window);
    EXPECT_EQ(LiveObjectCount(), live) << c.closeOn << ": everything is freed";
  }
}

TEST_F(WindowCloseTest, AMouseHandlerMayCloseItsOwnWindow) {
  ObjectHeader* window = ThreeControls();
  ASSERT_NE(window, nullptr);
  gBehave.closeOn = "ctl:MouseEnter pb$1";
  MoveTo(window, 10, 35);
  gBehave.closeOn.clear();
  EXPECT_EQ(gLog, (Log{"MouseEnter", "ctl:MouseEnter pb$1", "CancelClose", "ctl:Close a",
                       "ctl:Close pb$1", "ctl:Close pb$2", "Close"}))
      << "no MouseMove follows once the window is closing";
  EXPECT_EQ(AsWindow(window)->native, nullptr);
}

// Counts the reads and writes of one word through a hardware watchpoint (this process, user
// space only). Emulators and locked-down kernels have none: Arm then answers false.
class WordWatch {
 public:
  WordWatch() = default;
  WordWatch(const WordWatch&) = delete;
  WordWatch& operator=(const WordWatch&) = delete;
  ~WordWatch() { Disarm(); }
  bool Arm(const void* word) {
    Disarm();
    perf_event_attr attr;
    std::memset(&attr, 0, sizeof attr);
    attr.type = PERF_TYPE_BREAKPOINT;
    attr.size = sizeof attr;
    attr.bp_type = HW_BREAKPOINT_RW;  // the processor has no watchpoint for reads alone
    attr.bp_addr = reinterpret_cast<uintptr_t>(word);
    attr.bp_len = HW_BREAKPOINT_LEN_4;
    attr.exclude_kernel = 1;
    attr.exclude_hv = 1;
    fd_ = static_cast<int>(syscall(SYS_perf_event_open, &attr, 0, -1, -1, 0));
    return fd_ >= 0;
  }
  int64_t Count() const {
    int64_t count = -1;
    if (fd_ < 0 || read(fd_, &count, sizeof count) != sizeof count) return -1;
    return count;
  }
  void Disarm() {
    if (fd_ >= 0) close(fd_);
    fd_ = -1;
  }

 private:
  int fd_ = -1;
};

WordWatch gWatch;
const void* gWatched = nullptr;

// A handler closes its own window in the middle of a loop over the controls, then goes on
// making texts, which take the blocks the closing freed (the dictionary's entries among
// them): the loop stops where the window closed and never reads the freed entry of the
// control it was at again (a watchpoint on that entry's link, armed once the handler is
// done, counts every touch).
enum class Trigger { kClose, kMoveOntoPb1, kMoveFromAToPb1, kLeaveFromA };

struct MidLoopCase {
  const char* loop;
  Trigger trigger;
  const char* closeOn;
  const char* closer;  // the dictionary key of the control whose handler closes
  Log expected;
};

TEST_F(WindowCloseTest, AHandlerClosingItsWindowMidLoopEndsTheLoop) {
  const Log closing = {"CancelClose", "ctl:Close a", "ctl:Close pb$1", "ctl:Close pb$2",
                       "Close"};
  auto then = [&closing](Log head) {
    head.insert(head.end(), closing.begin(), closing.end());
    return head;
  };
  const MidLoopCase cases[] = {
      {"the closing events", Trigger::kClose, "ctl:Close a", "a",
       {"CancelClose", "ctl:Close a", "CancelClose"}},
      {"enter and move", Trigger::kMoveOntoPb1, "ctl:MouseMove 10 5 pb$1", "pb$1",
       then({"MouseEnter", "ctl:MouseEnter pb$1", "ctl:MouseMove 10 5 pb$1"})},
      {"exit", Trigger::kMoveFromAToPb1, "ctl:MouseExit a", "a", then({"ctl:MouseExit a"})},
      {"leaving the window", Trigger::kLeaveFromA, "ctl:MouseExit a", "a",
       then({"ctl:MouseExit a"})},
  };
  int probe = 0;
  bool watching = gWatch.Arm(&probe);
  gWatch.Disarm();
  if (!watching) std::printf("no hardware watchpoint here: freed-entry reads go unseen\n");
  for (const auto& c : cases) {
    ObjectHeader* window = ThreeControls();
    ASSERT_NE(window, nullptr) << c.loop;
    if (c.trigger == Trigger::kMoveFromAToPb1 || c.trigger == Trigger::kLeaveFromA) {
      MoveTo(window, 10, 5);
      gLog.clear();
    }
    StringMapEntry* entry = AsWindow(window)->controls->Find(c.closer,
                                                             int32_t(std::strlen(c.closer)));
    ASSERT_NE(entry, nullptr) << c.loop;
    gWatched = &entry->orderNext;
    gBehave.closeOn = c.closeOn;
    gBehave.textsAfterClose = 64;
    if (watching) gBehave.afterClose = [] { gWatch.Arm(gWatched); };
    switch (c.trigger) {
      case Trigger::kClose: RuntimeCloseWindow(window); break;
      case Trigger::kMoveOntoPb1:
      case Trigger::kMoveFromAToPb1: MoveTo(window, 10, 35); break;
      case Trigger::kLeaveFromA:
        SetCursorPos(1000, 700);  // nothing there
        Pump();
        break;
    }
    int64_t touches = gWatch.Count();
    gWatch.Disarm();
    gBehave.closeOn.clear();
    gBehave.afterClose = nullptr;
    if (watching) {
      EXPECT_EQ(touches, 0) << c.loop << ": the freed entry was read";
    }
    EXPECT_EQ(gLog, c.expected) << c.loop;
    EXPECT_EQ(AsWindow(window)->native, nullptr) << c.loop;
    EXPECT_EQ(windows::OpenWindowCount(), 0) << c.loop;
    gLog.clear();
  }
}

// Owned windows (modal and movable modal) are destroyed with the window that owns them:
// they close with it, raising their own Close without asking, and count as open no more, so
// the loop's "no window open" test ends the run.
TEST_F(WindowCloseTest, OwnedWindowsCloseWithTheirOwner) {
  for (const char* frame : {"1", "2"}) {
    ObjectHeader* owner = Create(Desc(kPlainWindowClass, WindowPairs(300, 200)));
    ObjectHeader* owned = Create(Desc(kWindowClass, WindowPairs(200, 100, {{"Frame", frame}})));
    ASSERT_NE(owned, nullptr) << frame;
    Pump();
    ASSERT_EQ(GetWindow(Hwnd(owned), GW_OWNER), Hwnd(owner)) << frame;
    gLog.clear();
    RuntimeCloseWindow(owner);
    EXPECT_EQ(std::count(gLog.begin(), gLog.end(), "Close"), 1) << frame;
    EXPECT_EQ(std::count(gLog.begin(), gLog.end(), "CancelClose"), 0) << frame;
    EXPECT_EQ(AsWindow(owned)->native, nullptr) << frame;
    EXPECT_EQ(FirstViewWindow(), nullptr) << frame;
    EXPECT_EQ(windows::OpenWindowCount(), 0) << frame;
    EXPECT_EQ(windows::FirstVisibleModal(), nullptr) << frame << ": it left the modal stack";
    ResetRunState();
    RunLoopIteration();
    EXPECT_TRUE(CurrentRun().quit) << frame << ": no window is open, the run ends";
    ResetRunState();
  }
}

TEST_F(WindowCloseTest, ClosedWindowsStillAnswerTheirAccessors) {
  ObjectHeader* window = ThreeControls();
  ASSERT_NE(window, nullptr);
  RuntimeCloseWindow(window);
  gLog.clear();
  RuntimeShowWindow(window);
  EXPECT_EQ(AsWindow(window)->visible, 1);
  RuntimeHideWindow(window);
  EXPECT_EQ(AsWindow(window)->visible, 0);
  StringRecord* title = MakeStringFromC("dopo");
  windowTitleSetter(window, 0, title);
  UnlockString(title);
  StringRecord* read = windowTitleGetter(window, 0);
  EXPECT_EQ(std::string(StringView(read)), "dopo");
  UnlockString(read);
  windowPosSetter(window, 2, 123);
  EXPECT_EQ(windowPosGetter(window, 2), 123);
  EXPECT_EQ(windowWinHWNDGetter(window, 0), 0);
  RuntimeCloseWindow(window);  // a second close does nothing
  RuntimeShowModal(window);    // no native window: returns at once
  EXPECT_TRUE(gLog.empty());
}

TEST_F(WindowCloseTest, TheWindowListServesTheLoopAndTheQuittingProcedure) {
  ObjectHeader* first = ThreeControls();
  ObjectHeader* second = Create(Desc(kPlainWindowClass, WindowPairs(100, 100)));
  ASSERT_NE(first, nullptr);
  ASSERT_NE(second, nullptr);
  RuntimeHooks& hooks = StartupHooks();
  EXPECT_EQ(hooks.openWindowCount(), 2);
  EXPECT_EQ(hooks.firstWindow(), second) << "newest first";
  EXPECT_EQ(hooks.windowAt(1), first);
  EXPECT_EQ(hooks.windowAt(2), nullptr);
  gBehave.cancelClose = true;
  EXPECT_TRUE(hooks.windowRefusesClose(first));
  EXPECT_FALSE(hooks.windowRefusesClose(second)) << "no handler counts as False";
  gLog.clear();
  hooks.closeWindow(first);
  EXPECT_EQ(gLog, (Log{"ctl:Close a", "ctl:Close pb$1", "ctl:Close pb$2", "Close"}))
      << "shutdown closes without asking";
  EXPECT_EQ(hooks.openWindowCount(), 1);
}

TEST_F(WindowCloseTest, ShowModalReturnsWhenTheWindowCloses) {
  ObjectHeader* window = Create(Desc(kWindowClass, WindowPairs(200, 100, {{"Frame", "1"}})));
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(AsWindow(window)->native->kind, 3);
  EXPECT_EQ(windows::FirstVisibleModal(), nullptr) << "not visible yet";
  native::RequestClose(Hwnd(window));  // queued: the nested loop delivers it
  RuntimeShowModal(window);
  EXPECT_EQ(AsWindow(window)->native, nullptr);
  EXPECT_EQ(gLog.back(), "Close");
  EXPECT_EQ(windows::FirstVisibleModal(), nullptr) << "it left the modal stack";
}

}  // namespace
}  // namespace windows_test
