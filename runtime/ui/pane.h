// Pane: the native counterpart of a control, and the base of RuntimeViewWindow. A pane has a
// rectangle, state flags, an optional native window, its owning RuntimeViewWindow, the
// control it raises events on, help texts and a cursor. Two families derive from it:
// native-control panes (wrapping "BUTTON", "RichEdit", ...; nativecontrolpane.h) and drawn
// panes (a "KT_Pane" child window or no window at all). Every operation has a do-nothing
// default here, so a pane overrides only what its control uses.
#pragma once
#include <cstdint>

#include "native/win32.h"
#include "runtime/objects/object.h"
#include "runtime/objects/string.h"
#include "runtime/ui/uitypes.h"

class RuntimeViewWindow;
struct MenuItemObject;

// Codes of Pane::ChangeState.
enum PaneState : int32_t {
  kPaneEnable = 5,
  kPaneDisable = 6,
  kPaneShow = 7,
  kPaneHide = 8,
  kPaneWindowActivated = 1000,
  kPaneWindowDeactivated = 1001,
};

// Modifier bits the runtime reports with mouse presses and commands.
constexpr int32_t kModifierControl = 0x1000;
constexpr int32_t kModifierShift = 0x200;
constexpr int32_t kModifierAlt = 0x800;
constexpr int32_t kModifierWindows = 0x100;

class Pane {
 public:
  Pane() = default;
  Pane(const Pane&) = delete;
  Pane& operator=(const Pane&) = delete;
  virtual ~Pane();

  // ---- Operations (defaults do nothing, or the plain thing) ----
  virtual void SetBounds(const Rect16& bounds, bool redraw);
  virtual void ChangeState(int32_t code);  // PaneState
  virtual void Invalidate();
  virtual void UpdateNow();
  virtual bool AcceptFocus();  // whether the pane can take the keyboard focus
  virtual void GotFocus() {}
  virtual void LostFocus() {}
  // Mouse in window client coordinates; MouseDown returns true when the pane takes the
  // press (then drags and the release come to it).
  virtual bool MouseDown(int32_t x, int32_t y, int32_t modifiers);
  virtual void MouseDrag(int32_t /*x*/, int32_t /*y*/) {}
  virtual void MouseMove(int32_t /*x*/, int32_t /*y*/) {}
  virtual void MouseUp(int32_t /*x*/, int32_t /*y*/) {}
  virtual void MouseEntered() {}
  virtual void MouseLeft() {}
  // A key for the focused pane; true when handled (consumed).
  virtual bool KeyDown(const MSG& /*message*/) { return false; }
  virtual void Paint(HDC /*dc*/) {}
  virtual void SetHelpTag(StringRecord* text);
  virtual void SetBalloonHelp(StringRecord* text);
  virtual void SetDisabledBalloonHelp(StringRecord* text);
  virtual void SetCursor(HCURSOR cursor);
  // Notifications forwarded from the window procedure (child "KTInstance" property).
  virtual LRESULT Command(int32_t /*code*/) { return 0; }
  virtual LRESULT Notify(NMHDR* /*header*/) { return 0; }
  virtual LRESULT DrawItem(LPARAM /*item*/) { return 0; }
  virtual LRESULT HorizontalScroll(WPARAM /*wParam*/) { return 0; }
  virtual LRESULT VerticalScroll(WPARAM /*wParam*/) { return 0; }
  // Native-control panes: a look at the child's messages before its own procedure; true
  // when the message was handled.
  virtual bool PreFilter(HWND /*child*/, UINT /*message*/, WPARAM, LPARAM) { return false; }
  // Menu commands the focused control serves (for instance editing commands).
  virtual void EnableMenuItems() {}
  virtual bool HandleMenuItem(MenuItemObject* /*item*/) { return false; }
  // Accelerator of the pane's caption pressed.
  virtual void AcceleratorKey() {}
  // The pane's window is being closed (before the pane is destroyed).
  virtual void Closing() {}

  // ---- State (plain fields; the owner keeps them in step) ----
  Rect16 bounds{};          // window client coordinates
  uint8_t visible = 1;
  uint8_t enabled = 1;
  uint8_t autoDeactivate = 0;
  int32_t tabPanelIndex = 0;
  HWND hwnd = nullptr;      // nil for windowless drawn panes
  RuntimeViewWindow* owner = nullptr;
  ObjectHeader* control = nullptr;  // the link back to the control (not counted)
  StringRecord* helpTag = nullptr;  // the pane's own references
  StringRecord* balloonHelp = nullptr;
  StringRecord* disabledBalloonHelp = nullptr;
  HCURSOR cursor = nullptr;
  const char* name = "";    // what kind of pane ("RuntimeViewWindow", "PushButton", ...)
  Pane* next = nullptr;     // next pane of the same window, z-order
};

// The procedure of "KT_Pane" child windows (the control layer's drawn panes define it).
LRESULT CALLBACK PaneWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

// The pane stored in a native window's "KTInstance" property (native-control panes) or
// extra word 0 ("KTWindow", "KT_Pane"), or nil.
Pane* PaneFromNativeWindow(HWND hwnd);
