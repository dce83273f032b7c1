// The small application images the start-up tests run: an application class with handlers
// for the events a test asks for, an entry function calling RuntimeInit and RuntimeRun, and
// project settings. Handlers report through the test routines TestEvent and TestDocument.
#pragma once
#include <cstdint>
#include <string>

#include "tools/imagekit/imagekit.h"

struct AppOptions {
  bool open = true;
  bool newDocument = true;
  bool openDocument = true;
  bool close = true;
  bool activate = true;
  bool quitInOpen = false;      // Open calls ApplicationQuit, then reports "after quit"
  bool nilInOpen = false;       // Open uses nil: RuntimeNilObject with nobody catching
  bool faultInOpen = false;     // Open reads address 0
  bool testRoutines = true;     // false for images the bare runtime runs (no test routines)
  bool mdi = false;
  bool laterApplicationClass = false;  // a subclass of App after it handling NewDocument
};

// Event codes the handlers pass to TestEvent.
enum TestEventCode : uint8_t {
  kOpened = 1,
  kNewDocument,
  kClosed,
  kActivated,
  kAfterQuit,
  kLaterClassNewDocument,
};
const char* TestEventName(uint32_t code);

imagekit::Image BuildApplicationImage(const AppOptions& options);
// The project-settings stream with the carried application's message 4 and caption.
imagekit::Bytes SettingsStream(bool mdi);
