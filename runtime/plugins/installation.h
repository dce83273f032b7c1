// Plug-in installation: Win32InstallPlugins records the carried plug-in list (and installs
// the start-up hook); at RuntimeInit step 5 every carried library is written out (system
// directory, else Windows directory, else an existing file there), loaded, and its
// "MAVEPluginMain" called with the entry lookup; then the plug-in classes are finished.
// Entry points: InstallCarriedPlugins, ReadCarriedList, OpenPlacedLibrary.
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

// A library file opened once: written (or found) and checked through this descriptor, and
// loaded through it, so the file loaded is the file checked.
struct PlacedLibrary {
  std::string path;  // dir\name; "" with fd -1 when the library can be placed nowhere
  int fd = -1;
};

// Written to dir\name for the first directory that takes it (and read back), else an existing
// file there that only its owner (the user or the system) may change.
PlacedLibrary OpenPlacedLibrary(const CarriedPlugin& plugin);
// The same, the descriptor closed: the path only ("" when nowhere).
std::string PlaceLibrary(const CarriedPlugin& plugin);

// Loads the placed library through /proc/self/fd/N and runs its main routine as the current
// plug-in; false when it does not load or has no "MAVEPluginMain" (passed over in silence).
// The descriptor stays open while the library stays loaded.
bool LoadPlacedLibrary(const PlacedLibrary& placed);
// Loads a library by path the same way (libraries that are not carried: tests, tools).
bool LoadPlugin(const std::string& path);

// Step 5 of RuntimeInit for the list Win32InstallPlugins recorded.
void InstallCarriedPlugins();
// The recorded list (tests), and recording without the entry.
const void* RecordedPluginList();
void RecordPluginList(const void* list);

// The text shown when a library can be placed nowhere (the process then ends with code 0).
extern const char* const kCannotInstallMessage;
