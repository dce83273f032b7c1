// The runtime's timers as the event loop services them: periods in sixtieths of a second
// (ticks), the current tick being GetTickCount() * 0.06 truncated. A timer fires when its
// period has passed since it last fired. Entry points: AddTimer, ServiceTimers.
#pragma once
#include <cstdint>

using TimerAction = void (*)(void* context);

// Returns an identifier (> 0) for RemoveTimer. period 0 fires on every service.
int32_t AddTimer(uint32_t periodTicks, TimerAction action, void* context);
void RemoveTimer(int32_t id);
int32_t TimerCount();
uint32_t CurrentTick();
// Fires every due timer once and records the current tick for it. A timer removed by an
// action does not fire afterwards.
void ServiceTimers();
void RemoveAllTimers();
