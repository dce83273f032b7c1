// Pieces of the loop and shutdown checked on their own: timers in sixtieths of a second,
// the service-object list, the quitting procedure's guard against running twice, and the
// loop's last-window rule.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "runtime/objects/builtinclasses.h"
#include "runtime/objects/objects.h"
#include "runtime/startup/hooks.h"
#include "runtime/startup/quit.h"
#include "runtime/startup/runloop.h"
#include "runtime/startup/runstate.h"
#include "runtime/startup/services.h"
#include "runtime/startup/timers.h"

namespace {

std::vector<std::string> gLog;
int32_t gRemoveOnFire = 0;

void LogFire(void* context) { gLog.push_back(static_cast<const char*>(context)); }
void FireAndRemove(void* context) {
  LogFire(context);
  RemoveTimer(gRemoveOnFire);
}

class TimerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    RemoveAllTimers();
    gLog.clear();
  }
  void TearDown() override { RemoveAllTimers(); }
};

TEST_F(TimerTest, OnlyTimersWhosePeriodHasPassedFire) {
  AddTimer(0, LogFire, const_cast<char*>("every"));
  AddTimer(1000000, LogFire, const_cast<char*>("later"));
  ServiceTimers();
  ServiceTimers();
  EXPECT_EQ(gLog, (std::vector<std::string>{"every", "every"}));
  EXPECT_EQ(TimerCount(), 2);
}

TEST_F(TimerTest, ATimerRemovedByAnotherActionDoesNotFire) {
  AddTimer(0, FireAndRemove, const_cast<char*>("first"));
  gRemoveOnFire = AddTimer(0, LogFire, const_cast<char*>("second"));
  ServiceTimers();
  EXPECT_EQ(gLog, (std::vector<std::string>{"first"}));
  EXPECT_EQ(TimerCount(), 1);
  EXPECT_EQ(AddTimer(0, nullptr, nullptr), 0) << "a timer without an action is refused";
}

TEST(Services, HeldOnceEachUntilRemovedOrDestroyed) {
  int32_t live = LiveObjectCount();
  ObjectHeader* a = MakeObject(AMX_BUILTIN_CLASS(Object));
  ObjectHeader* b = MakeObject(AMX_BUILTIN_CLASS(Object));
  AddServiceObject(a);
  AddServiceObject(b);
  AddServiceObject(a);  // once only
  EXPECT_EQ(ServiceObjectCount(), 2);
  UnlockObject(a);
  UnlockObject(b);
  RemoveServiceObject(b);
  EXPECT_EQ(ServiceObjectCount(), 1);
  DestroyServiceObjects();
  EXPECT_EQ(ServiceObjectCount(), 0);
  EXPECT_EQ(LiveObjectCount(), live);
}

// A window that, asked whether it refuses closing, asks for a quit itself.
ObjectHeader* gWindow = nullptr;
bool gNestedQuitResult = true;
int32_t OneWindow() { return gWindow != nullptr ? 1 : 0; }
ObjectHeader* TheWindow() { return gWindow; }
ObjectHeader* TheWindowAt(int32_t) { return gWindow; }
bool QuitsAgain(ObjectHeader*) {
  gNestedQuitResult = QuitApplication();
  return false;
}
void Close(ObjectHeader* window) {
  if (window == gWindow) gWindow = nullptr;
}

class QuitTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetStartupHooks();
    ResetRunState();
    RuntimeHooks& hooks = StartupHooks();
    hooks.openWindowCount = OneWindow;
    hooks.firstWindow = TheWindow;
    hooks.windowAt = TheWindowAt;
    hooks.windowRefusesClose = QuitsAgain;
    hooks.closeWindow = Close;
    gWindow = reinterpret_cast<ObjectHeader*>(&window_);
  }
  void TearDown() override {
    ResetStartupHooks();
    ResetRunState();
  }
  ObjectHeader window_ = {};
};

TEST_F(QuitTest, AQuitAskedForDuringAQuitFailsAndTheOuterOneGoesOn) {
  EXPECT_TRUE(QuitApplication());
  EXPECT_FALSE(gNestedQuitResult);
  EXPECT_EQ(gWindow, nullptr) << "the outer quit closed the window";
  EXPECT_FALSE(CurrentRun().quitInProgress) << "a later quit may be asked for again";
}

TEST_F(QuitTest, WithNoWindowOpenAnIterationEndsTheRunWithoutWaiting) {
  gWindow = nullptr;
  RunLoopIteration();  // waiting here would never end: no window can send a message
  EXPECT_TRUE(CurrentRun().quit);
}

}  // namespace
