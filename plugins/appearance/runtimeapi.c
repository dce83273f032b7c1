/* Fetching the runtime routines by name (runtimeapi.h). */
#include "plugins/appearance/runtimeapi.h"

#include <stddef.h>

RuntimeApi gRuntime;

#define FETCH(name)                                                   \
  do {                                                                \
    *(void**)&gRuntime.name = lookup(#name);                          \
    if (gRuntime.name == NULL) return 0;                              \
  } while (0)

int LoadRuntimeApi(EntryLookup lookup) {
  if (lookup == NULL) return 0;
  FETCH(RegisterPluginVersion);
  FETCH(PluginRegisterControl);
  FETCH(MAVELockString);
  FETCH(MAVEUnlockString);
  FETCH(MAVELockObject);
  FETCH(MAVEUnlockObject);
  FETCH(PluginDefaultControlFont);
  FETCH(PluginDefaultControlFontSize);
  FETCH(PluginDefaultControlCaption);
  FETCH(PluginGetControlBounds);
  FETCH(GetControlEnabled);
  FETCH(MAVEInvalidateControl);
  FETCH(PluginRaiseControlEvent);
  FETCH(PluginSystemColor);
  FETCH(PluginGraphicsFillRect);
  FETCH(PluginGraphicsFrameRect);
  FETCH(PluginGraphicsDrawLine);
  FETCH(PluginGraphicsDrawText);
  return 1;
}
