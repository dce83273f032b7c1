// ControlObject: the fields every control object starts with (classes "Control" and
// "RectControl", 92 bytes; subclasses append theirs, plug-in controls at byte 96). Compiled
// code reads `window` at offset 16 and `arrayIndex` at offset 20 directly, so those two stay
// first in every control class, built-in or from a plug-in.
#pragma once
#include <cstddef>
#include <cstdint>

#include "runtime/objects/object.h"
#include "runtime/objects/string.h"
#include "runtime/ui/uitypes.h"

class Pane;
class RuntimeViewWindow;

struct ControlObject {
  ObjectHeader header;
  ObjectHeader* window;  // the owning Window (set at creation; not counted)
  int32_t arrayIndex;    // kNotInArray outside control arrays
  uint32_t zeroWord;     // 0 at creation
  Pane* pane;            // nil until CreatePane ran and after the window closed
  StringRecord* name;    // Name
  int32_t index;         // Index
  int32_t tabPanelIndex;
  uint8_t visible;
  uint8_t enabled;
  uint8_t autoDeactivate;
  uint8_t mouseInside;   // between MouseEnter and MouseExit
  uint8_t created;       // 1 for every control the runtime made
  uint8_t cloned;        // 1 for a control made by RuntimeCloneControlReference
  uint8_t lockLeft;
  uint8_t lockTop;
  uint8_t lockRight;
  uint8_t lockBottom;
  uint8_t pad[2];
  Rect16 bounds;         // window client coordinates
  RuntimeViewWindow* viewWindow;
  ObjectHeader* windowObject;  // returned by the Window property
  ObjectHeader* mouseCursor;
  StringRecord* balloonHelp;
  StringRecord* disabledBalloonHelp;
  StringRecord* helpTag;
  ObjectHeader* containingCanvas;
};
static_assert(sizeof(ControlObject) == 92);
static_assert(offsetof(ControlObject, window) == 16);
static_assert(offsetof(ControlObject, arrayIndex) == 20);
static_assert(offsetof(ControlObject, pane) == 28);
static_assert(offsetof(ControlObject, name) == 32);
static_assert(offsetof(ControlObject, index) == 36);
static_assert(offsetof(ControlObject, tabPanelIndex) == 40);
static_assert(offsetof(ControlObject, visible) == 44);
static_assert(offsetof(ControlObject, enabled) == 45);
static_assert(offsetof(ControlObject, autoDeactivate) == 46);
static_assert(offsetof(ControlObject, mouseInside) == 47);
static_assert(offsetof(ControlObject, created) == 48);
static_assert(offsetof(ControlObject, cloned) == 49);
static_assert(offsetof(ControlObject, lockLeft) == 50);
static_assert(offsetof(ControlObject, lockBottom) == 53);
static_assert(offsetof(ControlObject, bounds) == 56);
static_assert(offsetof(ControlObject, viewWindow) == 64);
static_assert(offsetof(ControlObject, windowObject) == 68);
static_assert(offsetof(ControlObject, mouseCursor) == 72);
static_assert(offsetof(ControlObject, balloonHelp) == 76);
static_assert(offsetof(ControlObject, disabledBalloonHelp) == 80);
static_assert(offsetof(ControlObject, helpTag) == 84);
static_assert(offsetof(ControlObject, containingCanvas) == 88);

// Plug-in controls keep their data from this offset on (instance size 96 + data size).
constexpr int32_t kPluginControlDataOffset = 96;

inline ControlObject* AsControl(ObjectHeader* object) {
  return reinterpret_cast<ControlObject*>(object);
}
