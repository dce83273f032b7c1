// Process-wide state of a run: what process start handed over, the quit flag, the MDI frame
// and the application object. Everything here belongs to the main thread.
#pragma once
#include <cstdint>
#include <string>

#include "native/win32.h"

struct ObjectHeader;
struct ClassRecord;

struct RunState {
  HINSTANCE module = nullptr;
  std::string commandLineTail;  // Windows-1252 bytes
  int showCommand = SW_SHOWDEFAULT;
  bool quit = false;             // the loop ends when set
  bool quitInProgress = false;   // the quitting procedure is running
  ClassRecord* applicationClass = nullptr;
  ObjectHeader* application = nullptr;  // held for the whole run
  HWND mdiFrame = nullptr;
  HWND mdiClient = nullptr;
};

RunState& CurrentRun();
// Forgets the run (tests run several in one process); drops the application object.
void ResetRunState();
