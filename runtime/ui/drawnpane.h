// DrawnPane: the pane family that paints itself, either in a child window of the runtime's
// class "KT_Pane" (the pane's address in extra window word 0) or without a window of its own,
// drawing into the owner's native window over its rectangle. PaneWindowProc is the "KT_Pane"
// window procedure. Entry points: DrawnPane::CreateWindowed, DrawnPane::AttachWindowless,
// PaneWindowProc.
#pragma once
#include <cstdint>

#include "native/win32.h"
#include "runtime/ui/pane.h"

class DrawnPane : public Pane {
 public:
  DrawnPane() = default;
  ~DrawnPane() override;

  // A "KT_Pane" child of the owner's native window over the bounds (WS_CHILD always, plus
  // the given style); links the pane at the top of the owner's panes. False (and no
  // window) when the owner has no native window or the child cannot be made.
  bool CreateWindowed(RuntimeViewWindow* owner, const Rect16& bounds,
                      DWORD style = WS_VISIBLE, DWORD exStyle = 0);
  // A windowless pane over the bounds of the owner's client area.
  void AttachWindowless(RuntimeViewWindow* owner, const Rect16& bounds);

  // A wheel turn, in lines (positive: toward the user); true when the pane scrolled.
  virtual bool MouseWheel(int32_t /*lines*/) { return false; }

  // ---- Pane operations ----
  void SetBounds(const Rect16& bounds, bool redraw) override;
  void ChangeState(int32_t code) override;
  void Invalidate() override;
  void UpdateNow() override;

  // The "KT_Pane" child window went away on its own (its parent was destroyed).
  void WindowDestroyed() { hwnd = nullptr; }
  // The window the pane draws into: its own, else its owner's; nil without either.
  HWND Surface() const;

 private:
  bool InvalidateArea(const Rect16& area);
};

// The window procedure of the "KT_Pane" class.
LRESULT PaneWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

namespace controls {
// The brush answered to the last colour request (nil before any); tests look at it.
HBRUSH CurrentPaneBrush();
}  // namespace controls
