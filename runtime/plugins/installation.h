// Plug-in installation: Win32InstallPlugins records the carried plug-in list (and installs
// the start-up hook); at RuntimeInit step 5 every carried library is written out (system
// directory, else Windows directory, else an existing file there), loaded, and its
// "MAVEPluginMain" called with the entry lookup; then the plug-in classes are finished.
// Entry points: InstallCarriedPlugins, ReadCarriedList, WritePluginFile.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

// One element of the carried list, pointing into data1.
struct CarriedPlugin {
  std::string name;
  const uint8_t* bytes;
  uint32_t length;
};

// The carried list as a working list, in reverse order. A damaged element (its lengths run
// past data1, a name that is empty or names a path) ends the walk or is left out, with a
// debug message; a chain that comes back on itself ends where it repeats.
std::vector<CarriedPlugin> ReadCarriedList(const void* list);

// The path under which the library ends up ("" when it can be neither written nor found):
// written to dir/name for the first directory that takes it, else an existing file there.
std::string PlaceLibrary(const CarriedPlugin& plugin);

// Loads the library and runs its main routine as the current plug-in; false when it does not
// load or has no "MAVEPluginMain" (passed over in silence).
bool LoadPlugin(const std::string& path);

// Step 5 of RuntimeInit for the list Win32InstallPlugins recorded.
void InstallCarriedPlugins();
// The recorded list (tests), and recording without the entry.
const void* RecordedPluginList();
void RecordPluginList(const void* list);

// The text shown when a library can be placed nowhere (the process then ends with code 0).
extern const char* const kCannotInstallMessage;
