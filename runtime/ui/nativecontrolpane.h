// NativeControlPane: the pane family that wraps a standard native control ("BUTTON",
// "EDIT", "RichEdit", "STATIC", ...) created as a child of the owner's native window. The
// child keeps the pane's address in its "KTInstance" property and runs the runtime's window
// procedure, which forwards child notifications to the top level, lets the pane pre-filter
// the message and then calls the control's own procedure. The pane owns the font it gave
// the child; destroying the pane restores all of it. Entry point: NativeControlPane::Create.
#pragma once
#include <cstdint>

#include "native/win32.h"
#include "runtime/ui/pane.h"

class NativeControlPane : public Pane {
 public:
  NativeControlPane() = default;
  ~NativeControlPane() override;

  // Creates the child window of nativeClass over the bounds (owner client coordinates) as a
  // child of the owner's native window, takes its procedure over and links the pane at the
  // top of the owner's panes. WS_CHILD is always added; the pane starts visible and enabled
  // as the style says. False (and no window) when the owner has no native window or the
  // child cannot be made.
  bool Create(RuntimeViewWindow* owner, const char* nativeClass, const char* text,
              DWORD style, DWORD exStyle, const Rect16& bounds);
  // Gives the child a font (set-font message with redraw); the pane owns it from now on and
  // deletes the one it owned before. Nil leaves the system font.
  void SetFont(HFONT font);
  HFONT Font() const { return font_; }
  // The procedure the child had before the pane took it over.
  WNDPROC PreviousProcedure() const { return previous_; }

  // ---- Pane operations (bounds, invalidating and updating are the base pane's) ----
  // Show, hide, enable, disable; an auto-deactivating control looks disabled while its
  // window is inactive.
  void ChangeState(int32_t code) override;
  bool AcceptFocus() override;
  // The default mouse pre-filter: presses to the window's mouse-down algorithm (window
  // coordinates, modifiers, click record, contextual flag), moves to the window's mouse
  // move in multiple-document mode, cursor requests to the cursor for the point. Presses
  // and moves go on to the native control (false); a cursor request is answered (true).
  bool PreFilter(HWND child, UINT message, WPARAM wParam, LPARAM lParam) override;

  // The procedure every wrapped child runs.
  static LRESULT ControlProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  // The pane of a wrapped child, or nil.
  static NativeControlPane* FromChild(HWND hwnd);

 private:
  // The child is going away on its own (its parent was destroyed): forget it.
  void ChildDestroyed();
  void Release();
  // A point of the child (client coordinates) in the owner's client coordinates.
  POINT ToWindow(int32_t x, int32_t y) const;

  WNDPROC previous_ = nullptr;
  HFONT font_ = nullptr;
};
