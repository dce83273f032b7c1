// The run's state (runstate.h).
#include "runtime/startup/runstate.h"

#include "runtime/objects/objects.h"

RunState& CurrentRun() {
  static RunState run;
  return run;
}

void ResetRunState() {
  RunState& run = CurrentRun();
  ObjectHeader* application = run.application;
  run = RunState();
  UnlockObject(application);
}
