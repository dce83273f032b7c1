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
  // Retains the window and links the object at the head of the global list; the native
  // window is made by CreateNativeWindow (runtime/ui/nativewindow.h).
  RuntimeViewWindow(WindowObject* window, int32_t windowKind);
  ~RuntimeViewWindow() override;

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
  uint8_t carriesMenuBar = 0;   // the main window: the application menu bar is attached
  uint8_t inModalStack = 0;     // kinds 2, 3, 4, 5, 7, 10 while the native window lives
  uint8_t mouseCaptured = 0;    // MouseDown answered True: drags and the release come here
  uint8_t torndown = 0;         // closing step 4 ran; only the memory is left
  void* dropTarget = nullptr;   // registered for the native window (drag and drop unused)

  // Hold keeps the object alive across handlers that may close the window; Release returns
  // false when the object was destroyed meanwhile (the caller must stop touching it).
  // Teardown drops the creation's own count the same way, so the object is freed when the
  // last of them lets go (the count falls below zero).
  void Hold();
  bool Release();

  // ---- The window's input operations (client coordinates) ----
  bool MouseDown(int32_t x, int32_t y, int32_t modifiers) override;
  void MouseDrag(int32_t x, int32_t y) override;
  void MouseMove(int32_t x, int32_t y) override;
  void MouseUp(int32_t x, int32_t y) override;
  void MouseEntered() override;
  void MouseLeft() override;
  void Paint(HDC dc) override;
  void Invalidate() override;
  void UpdateNow() override;

  // Closing step 4 (controls released, panes and native window destroyed, lists left).
  void TearDown();

 protected:
  WindowObject* window_ = nullptr;  // retained
  ObjectHeader* retiredWindow_ = nullptr;  // window_ after teardown, released when freed
};

// The global list of view windows, newest first.
RuntimeViewWindow* FirstViewWindow();
// The view window of the frontmost (active) top-level window, or nil.
RuntimeViewWindow* FrontmostViewWindow();
// The pane that has the keyboard focus in the application, or nil.
Pane* FocusedPane();
// The view window stored in a "KTWindow"'s extra word 0, or nil for any other window.
RuntimeViewWindow* ViewWindowFromHandle(HWND hwnd);
// The view window of a Window object while its native window lives, else nil.
RuntimeViewWindow* LiveViewWindow(ObjectHeader* window);

// The pane that holds the mouse capture (a view window whose MouseDown answered True, or a
// pane that took a press), or nil; the main loop polls while one exists.
Pane* CapturePane();
void SetCapturePane(Pane* pane);
