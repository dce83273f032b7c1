// The "STATIC" class (a text label) and the drawing helpers the built-in controls share.
// Entry points: StaticProc, DrawEdge3D, FillSolid, ParentBackground.
#include "native/controls/controls.h"

namespace native {

void FillSolid(HDC dc, const RECT& r, COLORREF color) {
  HBRUSH brush = CreateSolidBrush(color);
  FillRect(dc, &r, brush);
  DeleteObject(brush);
}

void DrawEdge3D(HDC dc, const RECT& r, bool sunken) {
  COLORREF light = GetSysColor(COLOR_BTNHIGHLIGHT);
  COLORREF dark = GetSysColor(COLOR_BTNSHADOW);
  COLORREF topLeft = sunken ? dark : light;
  COLORREF bottomRight = sunken ? light : dark;
  FillSolid(dc, RECT{r.left, r.top, r.right, r.top + 1}, topLeft);
  FillSolid(dc, RECT{r.left, r.top, r.left + 1, r.bottom}, topLeft);
  FillSolid(dc, RECT{r.left, r.bottom - 1, r.right, r.bottom}, bottomRight);
  FillSolid(dc, RECT{r.right - 1, r.top, r.right, r.bottom}, bottomRight);
}

COLORREF ParentBackground(HWND control, HDC dc, UINT ctlColorMessage, COLORREF fallback) {
  if (!control->parent) return fallback;
  auto brush = reinterpret_cast<HBRUSH>(
      SendMessageA(control->parent, ctlColorMessage, reinterpret_cast<WPARAM>(dc),
                   reinterpret_cast<LPARAM>(control)));
  if (!brush || !IsWindow(control) || !State().gdiObjects.count(brush) || brush->hollow) {
    return fallback;
  }
  return brush->color;
}

LRESULT StaticProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg != WM_PAINT) return DefWindowProcA(hwnd, msg, wParam, lParam);
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(hwnd, &ps);
  if (!dc) return 0;
  RECT r = ClientRect(hwnd);
  FillSolid(dc, r, ParentBackground(hwnd, dc, WM_CTLCOLORSTATIC, GetSysColor(COLOR_BTNFACE)));
  if (hwnd->font) SelectObject(dc, hwnd->font);
  SetBkMode(dc, TRANSPARENT);
  DWORD align = hwnd->style & 3;
  UINT format = DT_WORDBREAK | (align == SS_CENTER ? DT_CENTER : align == SS_RIGHT ? DT_RIGHT : 0);
  DrawTextA(dc, hwnd->text.c_str(), -1, &r, format);
  EndPaint(hwnd, &ps);
  return 0;
}

}  // namespace native
