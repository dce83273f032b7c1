// The event loop and shutdown (runloop.h). Runtime code here calls into image code only
// through the window procedures and hooks; it keeps no owning state across those calls.
#include "runtime/startup/runloop.h"

#include "native/win32.h"
#include "runtime/entries/entries.h"
#include "runtime/exceptions/imagecall.h"
#include "runtime/startup/hooks.h"
#include "runtime/startup/projectsettings.h"
#include "runtime/startup/quit.h"
#include "runtime/startup/runstate.h"
#include "runtime/startup/services.h"
#include "runtime/startup/timers.h"

namespace {

// Step 2. Returns true when a message was taken into *message.
bool TakeMessage(MSG* message) {
  RunState& run = CurrentRun();
  RuntimeHooks& hooks = StartupHooks();
  if (hooks.paneHasCapture() || TimerCount() > 0) {
    hooks.trackMouse();
    if (!PeekMessageA(message, nullptr, 0, 0, PM_REMOVE)) {
      Sleep(1);  // nothing waiting: do not spin the processor between polls
      return false;
    }
  } else {
    // Outside MDI mode with no window open no message can come: waiting would never end,
    // and step 7 ends the run instead.
    if (!run.quit && !MdiMode() && hooks.openWindowCount() == 0) return false;
    if (!GetMessageA(message, nullptr, 0, 0)) {
      run.quit = true;
      return false;
    }
    hooks.trackMouse();
  }
  if (message->message == WM_QUIT) {
    run.quit = true;
    return false;
  }
  return true;
}

// Step 3.
void DispatchTaken(MSG* message) {
  RunState& run = CurrentRun();
  if (StartupHooks().preTranslateMessage(message)) return;
  if (MdiMode() && run.mdiClient != nullptr && TranslateMDISysAccel(run.mdiClient, message)) {
    return;
  }
  TranslateMessage(message);
  DispatchMessageA(message);
}

}  // namespace

void RunLoopIteration() {
  RuntimeHooks& hooks = StartupHooks();
  hooks.showWindowsMarkedVisible();                                       // 1
  MSG message = {};
  if (TakeMessage(&message)) DispatchTaken(&message);                     // 2, 3
  hooks.runDeferredPaneUpdates();                                         // 4
  hooks.idleFocusedPane();                                                // 5
  hooks.tickSerialPorts();                                                // 6
  if (!MdiMode() && hooks.openWindowCount() == 0) CurrentRun().quit = true;  // 7
  ServiceTimers();                                                        // 8
}

void ShutDownRun() {
  RuntimeHooks& hooks = StartupHooks();
  CloseAllWindows();         // 2
  hooks.destroyMenuBar();
  hooks.stopSound();         // 3
  OleUninitialize();         // 4
  hooks.shutDownMovies();    // 5
  DestroyServiceObjects();   // 6
}

AMX_ENTRY void RuntimeRun() noexcept {
  AMX_IMAGE_CALLER();
  while (!CurrentRun().quit) RunLoopIteration();  // 1
  ShutDownRun();                                  // 2 to 6
}
