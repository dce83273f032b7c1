// RuntimeViewWindow: the native window object behind a Window (a pane that owns a top-level
// "KTWindow"). It holds the native handle, the WindowKind, the shown/active/closing flags,
// the back colour, the retained Window, its child panes in z-order and the focused pane,
// and is linked into the global list of all view windows (newest first). The native window
// keeps its address in extra window word 0. Entry points: CreateViewWindow, the list walk.
#pragma once
#include <cstdint>

#include "runtime/ui/pane.h"
#include "runtime/ui/windowobject.h"

class RuntimeViewWindow : public Pane {
 public:
  HWND Handle() const { return hwnd; }
  WindowObject* Window() const { return window_; }

  int32_t kind = 0;         // WindowKind 0..10
  uint8_t shown = 0;        // "shown" as last requested
  uint8_t active = 0;
  uint8_t closing = 0;
  uint8_t hasBackColor = 0;
  COLORREF backColor = 0;   // 0x00BBGGRR
  int32_t holds = 0;        // usage count taken around event loops (see Hold/Release)
  Pane* panes = nullptr;    // child panes, z-order (topmost first)
  Pane* focusPane = nullptr;
  ObjectHeader** instanceVariable = nullptr;  // given to RuntimeCreateWindow, or nil
  RuntimeViewWindow* nextViewWindow = nullptr;  // global list

  // Hold keeps the object alive across handlers that may close the window; Release returns
  // false when the object was destroyed meanwhile (the caller must stop touching it).
  void Hold();
  bool Release();

 protected:
  WindowObject* window_ = nullptr;  // retained
};

// The global list of view windows, newest first.
RuntimeViewWindow* FirstViewWindow();
// The view window of the frontmost (active) top-level window, or nil.
RuntimeViewWindow* FrontmostViewWindow();
// The pane that has the keyboard focus in the application, or nil.
Pane* FocusedPane();
