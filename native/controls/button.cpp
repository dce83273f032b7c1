// The "BUTTON" class: push buttons (plain and default), check boxes and radio buttons. A
// click (press and release inside, Space, or BM_CLICK) checks an automatic radio button,
// unchecks the automatic radio buttons of its group, and sends WM_COMMAND/BN_CLICKED to the
// parent. Entry point: ButtonProc.
#include <algorithm>

#include "native/controls/controls.h"

namespace native {
namespace {

ButtonData& Data(HWND hwnd) {
  if (!hwnd->control) hwnd->control = std::make_unique<ButtonData>();
  return static_cast<ButtonData&>(*hwnd->control);
}

DWORD Kind(HWND hwnd) { return hwnd->style & BS_TYPEMASK; }
bool IsRadio(HWND hwnd) {
  return Kind(hwnd) == BS_RADIOBUTTON || Kind(hwnd) == BS_AUTORADIOBUTTON;
}
bool IsCheck(HWND hwnd) {
  DWORD k = Kind(hwnd);
  return k == BS_CHECKBOX || k == BS_AUTOCHECKBOX || k == BS_3STATE || k == BS_AUTO3STATE;
}
bool IsAutoRadio(HWND hwnd) {
  return hwnd->className == "BUTTON" && Kind(hwnd) == BS_AUTORADIOBUTTON;
}

// The siblings of the button's group: from the nearest sibling at or before it that has
// WS_GROUP to the next one that has it (all siblings when none has it).
std::vector<HWND> GroupOf(HWND hwnd) {
  const std::vector<HWND>& all = hwnd->parent->children;
  auto self = std::find(all.begin(), all.end(), hwnd);
  auto first = self;
  while (first != all.begin() && !((*first)->style & WS_GROUP)) --first;
  auto last = self + 1;
  while (last != all.end() && !((*last)->style & WS_GROUP)) ++last;
  return std::vector<HWND>(first, last);
}

void Click(HWND hwnd) {
  DWORD kind = Kind(hwnd);
  if (kind == BS_AUTOCHECKBOX) {
    SendMessageA(hwnd, BM_SETCHECK, Data(hwnd).check == BST_CHECKED ? BST_UNCHECKED : BST_CHECKED, 0);
  } else if (kind == BS_AUTO3STATE) {
    SendMessageA(hwnd, BM_SETCHECK, (Data(hwnd).check + 1) % 3, 0);
  } else if (kind == BS_AUTORADIOBUTTON && hwnd->parent) {
    SendMessageA(hwnd, BM_SETCHECK, BST_CHECKED, 0);
    for (HWND other : GroupOf(hwnd)) {
      if (other != hwnd && IsWindow(other) && IsAutoRadio(other) &&
          SendMessageA(other, BM_GETCHECK, 0, 0) != BST_UNCHECKED) {
        SendMessageA(other, BM_SETCHECK, BST_UNCHECKED, 0);
      }
    }
  }
  if (IsWindow(hwnd)) NotifyParent(hwnd, BN_CLICKED);
}

bool Inside(HWND hwnd, LPARAM lParam) {
  RECT c = ClientRect(hwnd);
  int x = GET_X_LPARAM(lParam);
  int y = GET_Y_LPARAM(lParam);
  return x >= 0 && y >= 0 && x < c.right && y < c.bottom;
}

void SetPushed(HWND hwnd, bool pushed) {
  if (Data(hwnd).pushed == pushed) return;
  Data(hwnd).pushed = pushed;
  InvalidateRect(hwnd, nullptr, FALSE);
}

// A radio button's round mark: a sunken circle with a dot when checked.
void PaintRound(HDC dc, HWND hwnd, const RECT& box, bool enabled) {
  HBRUSH face = CreateSolidBrush(enabled ? GetSysColor(COLOR_WINDOW) : GetSysColor(COLOR_BTNFACE));
  HPEN rim = CreatePen(PS_SOLID, 1, GetSysColor(COLOR_BTNSHADOW));
  HGDIOBJ oldBrush = SelectObject(dc, face);
  HGDIOBJ oldPen = SelectObject(dc, rim);
  Ellipse(dc, box.left, box.top, box.right, box.bottom);
  if (Data(hwnd).check != BST_UNCHECKED) {
    HBRUSH dot = CreateSolidBrush(enabled ? 0 : GetSysColor(COLOR_GRAYTEXT));
    SelectObject(dc, dot);
    SelectObject(dc, GetStockObject(NULL_PEN));
    Ellipse(dc, box.left + 4, box.top + 4, box.right - 4, box.bottom - 4);
    SelectObject(dc, face);
    DeleteObject(dot);
  }
  SelectObject(dc, oldBrush);
  SelectObject(dc, oldPen);
  DeleteObject(face);
  DeleteObject(rim);
}

void PaintMark(HDC dc, HWND hwnd, const RECT& box, bool enabled) {
  if (IsRadio(hwnd)) {
    PaintRound(dc, hwnd, box, enabled);
    return;
  }
  FillSolid(dc, box, enabled ? GetSysColor(COLOR_WINDOW) : GetSysColor(COLOR_BTNFACE));
  DrawEdge3D(dc, box, true);
  if (Data(hwnd).check == BST_UNCHECKED) return;
  RECT dot{box.left + 4, box.top + 4, box.right - 4, box.bottom - 4};
  FillSolid(dc, dot, enabled ? 0 : GetSysColor(COLOR_GRAYTEXT));
}

void Paint(HWND hwnd) {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(hwnd, &ps);
  if (!dc) return;
  RECT r = ClientRect(hwnd);
  bool enabled = !(hwnd->style & WS_DISABLED);
  if (hwnd->font) SelectObject(dc, hwnd->font);
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, enabled ? GetSysColor(COLOR_BTNTEXT) : GetSysColor(COLOR_GRAYTEXT));
  FillSolid(dc, r, ParentBackground(hwnd, dc, WM_CTLCOLORBTN, GetSysColor(COLOR_BTNFACE)));
  if (IsRadio(hwnd) || IsCheck(hwnd)) {
    int side = 13;
    int top = (r.bottom - side) / 2;
    PaintMark(dc, hwnd, RECT{0, top, side, top + side}, enabled);
    RECT label{side + 4, 0, r.right, r.bottom};
    DrawTextA(dc, hwnd->text.c_str(), -1, &label, DT_LEFT | DT_VCENTER | DT_SINGLELINE);
  } else if (Kind(hwnd) != BS_GROUPBOX) {
    bool def = Kind(hwnd) == BS_DEFPUSHBUTTON;
    RECT face = r;
    if (def) {
      FillSolid(dc, RECT{r.left, r.top, r.right, r.top + 1}, 0);
      FillSolid(dc, RECT{r.left, r.bottom - 1, r.right, r.bottom}, 0);
      FillSolid(dc, RECT{r.left, r.top, r.left + 1, r.bottom}, 0);
      FillSolid(dc, RECT{r.right - 1, r.top, r.right, r.bottom}, 0);
      face = RECT{r.left + 1, r.top + 1, r.right - 1, r.bottom - 1};
    }
    FillSolid(dc, face, GetSysColor(COLOR_BTNFACE));
    DrawEdge3D(dc, face, Data(hwnd).pushed);
    RECT label = face;
    if (Data(hwnd).pushed) label = RECT{face.left + 1, face.top + 1, face.right + 1, face.bottom + 1};
    DrawTextA(dc, hwnd->text.c_str(), -1, &label, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
  }
  EndPaint(hwnd, &ps);
}

void Focus(HWND hwnd, bool gained) {
  Data(hwnd).focused = gained;
  if (!gained) SetPushed(hwnd, false);
  InvalidateRect(hwnd, nullptr, FALSE);
  if (hwnd->style & BS_NOTIFY) NotifyParent(hwnd, gained ? BN_SETFOCUS : BN_KILLFOCUS);
}

}  // namespace

LRESULT ButtonProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_CREATE: Data(hwnd); return 0;
    case WM_PAINT: Paint(hwnd); return 0;
    case WM_ERASEBKGND: return 1;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      if (GetFocus() != hwnd) SetFocus(hwnd);
      if (!IsWindow(hwnd)) return 0;
      SetCapture(hwnd);
      SetPushed(hwnd, true);
      return 0;
    case WM_MOUSEMOVE:
      if (GetCapture() == hwnd) SetPushed(hwnd, Inside(hwnd, lParam));
      return 0;
    case WM_LBUTTONUP: {
      bool captured = GetCapture() == hwnd;
      bool click = captured && Data(hwnd).pushed && Inside(hwnd, lParam);
      if (captured) ReleaseCapture();
      SetPushed(hwnd, false);
      if (click) Click(hwnd);
      return 0;
    }
    case WM_CAPTURECHANGED: SetPushed(hwnd, false); return 0;
    case WM_KEYDOWN:
      if (wParam == VK_SPACE) SetPushed(hwnd, true);
      return 0;
    case WM_KEYUP:
      if (wParam == VK_SPACE && Data(hwnd).pushed) {
        SetPushed(hwnd, false);
        Click(hwnd);
      }
      return 0;
    case WM_SETFOCUS: Focus(hwnd, true); return 0;
    case WM_KILLFOCUS: Focus(hwnd, false); return 0;
    case BM_CLICK: Click(hwnd); return 0;
    case BM_GETCHECK: return static_cast<LRESULT>(Data(hwnd).check);
    case BM_SETCHECK:
      if (Data(hwnd).check != wParam) {
        Data(hwnd).check = std::min<WPARAM>(wParam, BST_INDETERMINATE);
        InvalidateRect(hwnd, nullptr, FALSE);
      }
      return 0;
    case BM_GETSTATE:
      return static_cast<LRESULT>(Data(hwnd).check) | (Data(hwnd).pushed ? BST_PUSHED : 0) |
             (Data(hwnd).focused ? BST_FOCUS : 0);
    case BM_SETSTATE: SetPushed(hwnd, wParam != 0); return 0;
    case BM_SETSTYLE:
      hwnd->style = (hwnd->style & ~0xFFFFu) | (static_cast<DWORD>(wParam) & 0xFFFFu);
      if (lParam) InvalidateRect(hwnd, nullptr, TRUE);
      return 0;
    case WM_ENABLE: InvalidateRect(hwnd, nullptr, TRUE); return 0;
    default: return DefWindowProcA(hwnd, msg, wParam, lParam);
  }
}

}  // namespace native
