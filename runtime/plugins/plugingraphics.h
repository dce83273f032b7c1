// The Graphics object the runtime hands to control plug-ins: an object bound to a device
// context with the origin of the control inside it, unbound (and its context given back)
// when the drawing call is over or the object is destroyed. Drawing entries are in
// graphicsentries.cpp. Entry points: MakePluginGraphics, UnbindPluginGraphics.
#pragma once
#include <cstdint>

#include "native/win32.h"
#include "runtime/objects/object.h"

struct PluginGraphicsObject {
  ObjectHeader header;
  HDC dc;               // nil once unbound: drawing then does nothing
  HWND releaseWindow;   // GetDC's window, given back with ReleaseDC; nil when lent
  int32_t originX;      // where the control's (0, 0) lies in the context
  int32_t originY;
};
static_assert(sizeof(PluginGraphicsObject) == 32);

// A new object (the caller's reference). releaseWindow: nil for a lent context (a paint).
ObjectHeader* MakePluginGraphics(HDC dc, HWND releaseWindow, int32_t originX, int32_t originY);
// Gives the context back (once) and leaves the object drawing nothing.
void UnbindPluginGraphics(ObjectHeader* graphics);
// The object as a plug-in Graphics object, or nil.
PluginGraphicsObject* PluginGraphicsOf(ObjectHeader* graphics);
