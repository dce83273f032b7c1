// WindowObject: the layout of an object of the runtime class "Window" (120 bytes). Property
// accessors in the class description address these fields by byte offset, so every offset
// is asserted. Entry points that act on windows: runtime/entries/lists/ui.def.
#pragma once
#include <cstddef>
#include <cstdint>

#include "runtime/objects/object.h"
#include "runtime/objects/string.h"
#include "runtime/ui/uitypes.h"

class RuntimeViewWindow;
class StringMap;
struct ControlTemplate;

struct WindowObject {
  ObjectHeader header;
  uint8_t visible;     // Visible
  uint8_t closeBox;    // CloseBox
  uint8_t growIcon;    // GrowIcon
  uint8_t zoomIcon;    // ZoomIcon
  RuntimeViewWindow* native;  // nil before creation and after closing
  Rect16 bounds;       // client area, screen coordinates
  Rect16 lastBounds;   // as of the last move or resize (reference for control locking)
  Rect16 restoreBounds;  // at creation; full screen returns here
  StringRecord* title;
  ObjectHeader* backdrop;  // picture
  void* backdropImage;
  int32_t frame;       // 0..7
  int32_t placement;
  int32_t backColor;   // 0x00RRGGBB
  int16_t minWidth;    // 0 = no limit, as the three below
  int16_t minHeight;
  int16_t maxWidth;
  int16_t maxHeight;
  ObjectHeader* mouseCursor;
  StringRecord* balloonHelp;
  uint8_t hasBackColor;
  uint8_t menuBarVisible;
  uint8_t fullScreen;
  uint8_t pad1;
  StringRecord* floaterProcess;
  int32_t macProcId;
  StringMap* controls;  // ControlDictionary: key -> control (not counted; see controlobject.h)
  ControlTemplate* controlTemplates;  // newest first
  uint32_t reserved[3];
};
static_assert(sizeof(WindowObject) == 120);
static_assert(offsetof(WindowObject, visible) == 16);
static_assert(offsetof(WindowObject, closeBox) == 17);
static_assert(offsetof(WindowObject, growIcon) == 18);
static_assert(offsetof(WindowObject, zoomIcon) == 19);
static_assert(offsetof(WindowObject, native) == 20);
static_assert(offsetof(WindowObject, bounds) == 24);
static_assert(offsetof(WindowObject, lastBounds) == 32);
static_assert(offsetof(WindowObject, restoreBounds) == 40);
static_assert(offsetof(WindowObject, title) == 48);
static_assert(offsetof(WindowObject, backdrop) == 52);
static_assert(offsetof(WindowObject, frame) == 60);
static_assert(offsetof(WindowObject, placement) == 64);
static_assert(offsetof(WindowObject, backColor) == 68);
static_assert(offsetof(WindowObject, minWidth) == 72);
static_assert(offsetof(WindowObject, maxHeight) == 78);
static_assert(offsetof(WindowObject, mouseCursor) == 80);
static_assert(offsetof(WindowObject, balloonHelp) == 84);
static_assert(offsetof(WindowObject, hasBackColor) == 88);
static_assert(offsetof(WindowObject, menuBarVisible) == 89);
static_assert(offsetof(WindowObject, fullScreen) == 90);
static_assert(offsetof(WindowObject, floaterProcess) == 92);
static_assert(offsetof(WindowObject, macProcId) == 96);
static_assert(offsetof(WindowObject, controls) == 100);
static_assert(offsetof(WindowObject, controlTemplates) == 104);

inline WindowObject* AsWindow(ObjectHeader* object) {
  return reinterpret_cast<WindowObject*>(object);
}
