// The built-in control classes: "BUTTON" (push, default push, check and radio buttons),
// "EDIT" and "RichEdit" (single- and multi-line text fields), "STATIC" and "MDICLIENT".
// Entry points: the window procedures below, registered by RegisterSystemClasses().
#pragma once

#include "native/core/state.h"

namespace native {

LRESULT ButtonProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
LRESULT EditProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
LRESULT StaticProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
LRESULT MdiClientProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

// Drawing helpers shared by the controls.
void DrawEdge3D(HDC dc, const RECT& r, bool sunken);
void FillSolid(HDC dc, const RECT& r, COLORREF color);
// The background a control's parent asks for (WM_CTLCOLOR*), else the button face.
COLORREF ParentBackground(HWND control, HDC dc, UINT ctlColorMessage, COLORREF fallback);

// Edit control state, readable by the headless dump.
struct EditData : ControlData {
  bool rich = false;
  DWORD selStart = 0;
  DWORD selEnd = 0;
  DWORD limit = 32767;
  char passwordChar = 0;
  DWORD eventMask = 0;
  COLORREF background = 0xFFFFFF;
  bool modified = false;
  CHARFORMATA format{};
};

struct ButtonData : ControlData {
  WPARAM check = BST_UNCHECKED;
  bool pushed = false;
  bool focused = false;
};

}  // namespace native
