// Timers (timers.h): a short vector scanned once per loop iteration.
#include "runtime/startup/timers.h"

#include <vector>

#include "native/win32.h"

namespace {

struct Timer {
  int32_t id;
  uint32_t period;
  uint32_t lastFired;
  TimerAction action;
  void* context;
};

std::vector<Timer>& Timers() {
  static std::vector<Timer> timers;
  return timers;
}
int32_t gNextTimerId = 1;

}  // namespace

uint32_t CurrentTick() {
  return static_cast<uint32_t>(static_cast<double>(GetTickCount()) * 0.06);
}

int32_t AddTimer(uint32_t periodTicks, TimerAction action, void* context) {
  if (action == nullptr) return 0;
  int32_t id = gNextTimerId++;
  Timers().push_back(Timer{id, periodTicks, CurrentTick(), action, context});
  return id;
}

void RemoveTimer(int32_t id) {
  auto& timers = Timers();
  for (size_t i = 0; i < timers.size(); ++i) {
    if (timers[i].id == id) {
      timers.erase(timers.begin() + static_cast<std::ptrdiff_t>(i));
      return;
    }
  }
}

int32_t TimerCount() { return static_cast<int32_t>(Timers().size()); }

void ServiceTimers() {
  uint32_t now = CurrentTick();
  // By index and without owning locals: an action may add or remove timers, or run image
  // code whose exception abandons this frame. A fired timer is marked before its action
  // runs, so it never fires twice for one tick.
  auto& timers = Timers();
  for (size_t i = 0; i < timers.size(); ++i) {
    Timer& timer = timers[i];
    if (now - timer.lastFired < timer.period) continue;
    timer.lastFired = now;
    TimerAction action = timer.action;
    void* context = timer.context;
    action(context);
  }
}

void RemoveAllTimers() { Timers().clear(); }
