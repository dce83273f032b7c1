// QuitApplication, CloseAllWindows and the ApplicationQuit entry. The procedure's "under
// way" mark is cleared when it ends, so that a quit whose end-of-run exception the
// application caught can be asked for again (closing the MDI frame, say).
#include "runtime/startup/quit.h"

#include "runtime/entries/entries.h"
#include "runtime/exceptions/exceptions.h"
#include "runtime/exceptions/imagecall.h"
#include "runtime/startup/appevents.h"
#include "runtime/startup/hooks.h"
#include "runtime/startup/runstate.h"

namespace {

bool SomeWindowRefuses() {
  RuntimeHooks& hooks = StartupHooks();
  for (int32_t i = 0; i < hooks.openWindowCount(); ++i) {
    ObjectHeader* window = hooks.windowAt(i);
    if (window != nullptr && hooks.windowRefusesClose(window)) return true;
  }
  return false;
}

}  // namespace

void CloseAllWindows() {
  RuntimeHooks& hooks = StartupHooks();
  // A window that will not leave the list must not keep this loop going for ever.
  for (int32_t left = hooks.openWindowCount(); left > 0; --left) {
    ObjectHeader* window = hooks.firstWindow();
    if (window == nullptr) break;
    hooks.closeWindow(window);
  }
}

bool QuitApplication() {
  RunState& run = CurrentRun();
  if (run.quitInProgress) return false;
  run.quitInProgress = true;
  bool agreed = !SomeWindowRefuses();
  if (agreed) {
    FireApplicationEvent(ApplicationEvent::kClose);
    CloseAllWindows();
  }
  CurrentRun().quitInProgress = false;
  return agreed;
}

AMX_ENTRY void ApplicationQuit() noexcept {
  AMX_IMAGE_CALLER();
  if (!QuitApplication()) return;
  // Unwinds the application code in progress to the event loop; returns when nobody
  // catches it (the usual case), after the service objects are gone.
  RaiseEndException();
  CurrentRun().quit = true;
}
