// Test teardown for windows a test made with RuntimeCreateWindow: closes every one that is
// still open and drops the test's reference. Entry point: CloseAndRelease.
#pragma once

#include <vector>

#include "runtime/entries/entries.h"
#include "runtime/objects/objects.h"
#include "runtime/ui/windowobject.h"

inline void CloseAndRelease(std::vector<ObjectHeader*>& windows) {
  for (ObjectHeader* window : windows) {
    if (AsWindow(window)->native != nullptr) RuntimeCloseWindow(window);
    UnlockObject(window);
  }
  windows.clear();
}
