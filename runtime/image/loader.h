// The image loader: finds the application image (the .pickle locating resource of the own
// executable, or the four .dat files in development mode), reads its blocks, links code1,
// relocates data1, seals code1 as executable and calls the image's entry function. A
// refused image shows its message in a box captioned "Message" and runs nothing.
// Entry points: ImageLoader (start-up), LoadAndRunImage (with explicit inputs).
#pragma once
#include <cstdint>
#include <string>

#include "runtime/image/blocks.h"
#include "runtime/image/pickle.h"

class LinkTargets;

// Loads the image of this executable and runs it. True when the image was linked and its
// entry function has returned; false when loading stopped with a message.
bool ImageLoader();

struct ImageLoadRequest {
  std::string executable = "/proc/self/exe";  // read when resource.imageOffset != 0
  LocatingResource resource{0, kNoResourceTable};
  std::string developmentDir;  // where the .dat files are; "" = the current directory
  LinkTargets* targets = nullptr;  // nil: the EntryTable, libraries, deferred links
  bool callEntry = true;           // false: load, link and relocate only
};
bool LoadAndRunImage(const ImageLoadRequest& request);

// The blocks of the loaded image (nil before a successful load); they stay for the process.
ImageBlock LoadedCode1();
ImageBlock LoadedData1();
uint32_t LoadedResourceOffset();
bool LoadedInDevelopmentMode();

// Shows a loader failure: MessageBoxA with the information icon, caption "Message".
void ShowLoaderMessage(const std::string& text);
