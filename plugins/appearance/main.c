/* The appearance plug-in library: its main routine, called once by the runtime with the
 * entry lookup, registers the bevel button (interface version 5). */
#include "plugins/appearance/bevelbutton.h"
#include "plugins/appearance/runtimeapi.h"

__attribute__((visibility("default"))) void MAVEPluginMain(EntryLookup lookup) {
  if (!LoadRuntimeApi(lookup)) return;
  gRuntime.RegisterPluginVersion(5);
  RegisterBevelButton();
}
