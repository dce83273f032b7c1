// RuntimeRun: the event loop until the quit flag is set, then shutdown. One iteration shows
// windows marked visible, takes (or waits for) one native message and dispatches it, then
// runs the deferred pane updates, the focused pane's idle call, the serial ticks, the
// last-window rule and the timers. Entry points: RuntimeRun, RunLoopIteration.
#pragma once

void RunLoopIteration();
// Shutdown steps 2 to 6: close the windows, stop sound, uninitialise OLE, stop movies,
// destroy the service objects.
void ShutDownRun();
