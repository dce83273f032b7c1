// The seam between the window manager in native/core and a presentation backend (FLTK
// desktop or headless). The core owns windows, messages, menus and controls; a backend
// shows them, draws, and turns its user's actions into input through native/core/input.h.
// Entry point: TheBackend() (selected on first use from ARMONIX_NATIVE).
#pragma once

#include <string>

#include "native/win32.h"

namespace native {

// A font resolved for drawing and measuring: pixel height of the character cell.
struct FontRequest {
  std::string face;  // Windows-1252
  int height = 13;
  bool bold = false;
  bool italic = false;
  bool underline = false;
};

struct FontMetrics {
  int ascent = 0;
  int descent = 0;
  int averageWidth = 0;
};

class Backend {
 public:
  virtual ~Backend() = default;

  // Called when the queue has nothing for the caller. With wait, blocks until some input
  // (or a wake-up) arrives, at most timeoutMs when that is not negative. Returns whether
  // anything may have been queued.
  virtual bool PumpInput(bool wait, int timeoutMs) = 0;
  // Ends a blocking PumpInput from another thread (a posted message).
  virtual void Wake() {}

  virtual void WindowCreated(HWND) {}
  virtual void WindowDestroyed(HWND) {}
  virtual void WindowShown(HWND, bool /*visible*/) {}
  virtual void WindowGeometryChanged(HWND) {}
  virtual void WindowTextChanged(HWND) {}
  virtual void WindowActivated(HWND) {}
  virtual void MenusChanged() {}
  // A top-level window has parts that need painting: the backend arranges for the loop to
  // run (headless: nothing to do).
  virtual void PaintRequested(HWND) {}

  // Returns IDOK, IDCANCEL, IDYES, ... (one of the buttons that type offers).
  virtual int MessageBox(HWND owner, const std::string& text, const std::string& caption,
                         UINT type) = 0;
  virtual POINT CursorPos() = 0;
  virtual void SetCursorPos(POINT) {}
  // The top-level window under a screen point, or null.
  virtual HWND TopLevelAt(POINT point) = 0;
  virtual int ScreenWidth() = 0;
  virtual int ScreenHeight() = 0;
  virtual void Beep() {}

  // Drawing, in client coordinates of the top-level window, clipped to clip.
  virtual bool BeginDrawing(HWND /*topLevel*/) { return false; }
  virtual void EndDrawing(HWND /*topLevel*/) {}
  virtual void FillRect(const RECT& /*r*/, COLORREF, const RECT& /*clip*/) {}
  virtual void Line(POINT, POINT, COLORREF, int /*width*/, const RECT& /*clip*/) {}
  // The ellipse inscribed in r, filled or as a one-pixel outline.
  virtual void Ellipse(const RECT& /*r*/, COLORREF, bool /*filled*/, const RECT& /*clip*/) {}
  // (x, top) is the top-left corner of the text's cell.
  virtual void Text(int /*x*/, int /*top*/, const std::string& /*text*/, const FontRequest&,
                    COLORREF, const RECT& /*clip*/) {}
  virtual int TextWidth(const std::string& text, const FontRequest& font);
  virtual FontMetrics Metrics(const FontRequest& font);
};

Backend& TheBackend();
// Replaces the backend (tests and the selection at start-up); takes ownership.
void InstallBackend(Backend* backend);
bool HasBackend();

}  // namespace native
