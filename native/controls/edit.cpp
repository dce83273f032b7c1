// The "EDIT" and "RichEdit" classes: single- and multi-line text fields with a caret and a
// selection, read-only and password modes, a length limit and change notifications
// (EN_CHANGE: always for "EDIT", under ENM_CHANGE for "RichEdit"). Typing arrives as WM_CHAR;
// editing keys as WM_KEYDOWN. Entry point: EditProc.
#include <algorithm>
#include <cstring>

#include "native/controls/controls.h"

namespace native {
namespace {

EditData& Data(HWND hwnd) {
  if (!hwnd->control) {
    auto data = std::make_unique<EditData>();
    data->rich = !EqualNoCase(hwnd->className, "EDIT");
    if (hwnd->style & ES_PASSWORD) data->passwordChar = '*';
    hwnd->control = std::move(data);
  }
  return static_cast<EditData&>(*hwnd->control);
}

bool ReadOnly(HWND hwnd) { return (hwnd->style & ES_READONLY) != 0; }
bool MultiLine(HWND hwnd) { return (hwnd->style & ES_MULTILINE) != 0; }

void Notify(HWND hwnd, WORD code) {
  EditData& d = Data(hwnd);
  if (d.rich && code == EN_CHANGE && !(d.eventMask & ENM_CHANGE)) return;
  if (d.rich && code == EN_UPDATE && !(d.eventMask & ENM_UPDATE)) return;
  NotifyParent(hwnd, code);
}

void Changed(HWND hwnd) {
  Data(hwnd).modified = true;
  InvalidateRect(hwnd, nullptr, TRUE);
  Notify(hwnd, EN_UPDATE);
  if (IsWindow(hwnd)) Notify(hwnd, EN_CHANGE);
}

void ClampSelection(HWND hwnd) {
  EditData& d = Data(hwnd);
  DWORD n = static_cast<DWORD>(hwnd->text.size());
  d.selStart = std::min(d.selStart, n);
  d.selEnd = std::min(d.selEnd, n);
}

DWORD SelLow(const EditData& d) { return std::min(d.selStart, d.selEnd); }
DWORD SelHigh(const EditData& d) { return std::max(d.selStart, d.selEnd); }

// Replaces the selection with text, keeping within the limit; false when nothing fit.
bool ReplaceSelection(HWND hwnd, std::string text, bool enforceLimit) {
  EditData& d = Data(hwnd);
  ClampSelection(hwnd);
  DWORD lo = SelLow(d);
  DWORD hi = SelHigh(d);
  size_t remaining = hwnd->text.size() - (hi - lo);
  if (enforceLimit && remaining + text.size() > d.limit) {
    text.resize(d.limit > remaining ? d.limit - remaining : 0);
    if (text.empty() && hi == lo) {
      NotifyParent(hwnd, EN_MAXTEXT);
      return false;
    }
  }
  hwnd->text.replace(lo, hi - lo, text);
  d.selStart = d.selEnd = lo + static_cast<DWORD>(text.size());
  return true;
}

void TypeChar(HWND hwnd, char c) {
  auto byte = static_cast<uint8_t>(c);
  if (ReadOnly(hwnd)) {
    MessageBeep(0);
    return;
  }
  std::string insert;
  if (byte == '\b') {
    EditData& d = Data(hwnd);
    ClampSelection(hwnd);
    if (d.selStart == d.selEnd) {
      if (d.selStart == 0) return;
      d.selStart -= (d.selStart >= 2 && hwnd->text.compare(d.selStart - 2, 2, "\r\n") == 0) ? 2 : 1;
    }
  } else if (byte == '\r' || byte == '\n') {
    if (!MultiLine(hwnd)) return;
    insert = "\r\n";
  } else if (byte == '\t') {
    if (!MultiLine(hwnd)) return;
    insert = "\t";
  } else if (byte < 32 || byte == 127) {
    return;
  } else {
    if ((hwnd->style & ES_NUMBER) && (byte < '0' || byte > '9')) {
      MessageBeep(0);
      return;
    }
    if (hwnd->style & ES_UPPERCASE) c = static_cast<char>(toupper(byte));
    if (hwnd->style & ES_LOWERCASE) c = static_cast<char>(tolower(byte));
    insert = std::string(1, c);
  }
  if (ReplaceSelection(hwnd, insert, true)) Changed(hwnd);
}

void MoveCaret(HWND hwnd, DWORD to, bool extend) {
  EditData& d = Data(hwnd);
  d.selEnd = to;
  if (!extend) d.selStart = to;
  InvalidateRect(hwnd, nullptr, FALSE);
}

void KeyDown(HWND hwnd, WPARAM key) {
  EditData& d = Data(hwnd);
  ClampSelection(hwnd);
  bool shift = GetKeyState(VK_SHIFT) < 0;
  DWORD n = static_cast<DWORD>(hwnd->text.size());
  switch (key) {
    case VK_LEFT: MoveCaret(hwnd, d.selEnd > 0 ? d.selEnd - 1 : 0, shift); break;
    case VK_RIGHT: MoveCaret(hwnd, std::min(d.selEnd + 1, n), shift); break;
    case VK_HOME: MoveCaret(hwnd, 0, shift); break;
    case VK_END: MoveCaret(hwnd, n, shift); break;
    case VK_DELETE:
      if (ReadOnly(hwnd)) return;
      if (d.selStart == d.selEnd) {
        if (d.selEnd >= n) return;
        d.selEnd += 1;
      }
      ReplaceSelection(hwnd, "", false);
      Changed(hwnd);
      break;
    default: break;
  }
}

std::string Shown(HWND hwnd) {
  char pw = Data(hwnd).passwordChar;
  return pw ? std::string(hwnd->text.size(), pw) : hwnd->text;
}

void Paint(HWND hwnd) {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(hwnd, &ps);
  if (!dc) return;
  EditData& d = Data(hwnd);
  RECT r = ClientRect(hwnd);
  bool enabled = !(hwnd->style & WS_DISABLED);
  FillSolid(dc, r, enabled ? d.background : GetSysColor(COLOR_BTNFACE));
  if ((hwnd->style & WS_BORDER) || (hwnd->exStyle & WS_EX_CLIENTEDGE)) DrawEdge3D(dc, r, true);
  if (hwnd->font) SelectObject(dc, hwnd->font);
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, enabled ? GetSysColor(COLOR_WINDOWTEXT) : GetSysColor(COLOR_GRAYTEXT));
  RECT text{r.left + 3, r.top + 2, r.right - 3, r.bottom - 2};
  std::string shown = Shown(hwnd);
  UINT format = MultiLine(hwnd) ? DT_WORDBREAK | DT_NOPREFIX
                                : DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX;
  DrawTextA(dc, shown.c_str(), -1, &text, format);
  if (GetFocus() == hwnd && !MultiLine(hwnd)) {
    SIZE before{};
    GetTextExtentPoint32A(dc, shown.c_str(), static_cast<int>(std::min<size_t>(d.selEnd, shown.size())), &before);
    int x = text.left + before.cx;
    FillSolid(dc, RECT{x, text.top + 1, x + 1, text.bottom - 1}, 0);
  }
  EndPaint(hwnd, &ps);
}

LRESULT GetSel(HWND hwnd, WPARAM wParam, LPARAM lParam) {
  EditData& d = Data(hwnd);
  ClampSelection(hwnd);
  DWORD lo = SelLow(d);
  DWORD hi = SelHigh(d);
  if (wParam) *reinterpret_cast<DWORD*>(wParam) = lo;
  if (lParam) *reinterpret_cast<DWORD*>(lParam) = hi;
  return MAKELONG(std::min<DWORD>(lo, 0xFFFF), std::min<DWORD>(hi, 0xFFFF));
}

void SetSel(HWND hwnd, WPARAM wParam, LPARAM lParam) {
  EditData& d = Data(hwnd);
  auto start = static_cast<LONG>(wParam);
  auto end = static_cast<LONG>(lParam);
  DWORD n = static_cast<DWORD>(hwnd->text.size());
  if (start < 0) {
    d.selStart = d.selEnd;  // no selection, caret kept
  } else {
    d.selStart = std::min(static_cast<DWORD>(start), n);
    d.selEnd = end < 0 ? n : std::min(static_cast<DWORD>(end), n);
  }
  InvalidateRect(hwnd, nullptr, FALSE);
}

DWORD SetLimit(HWND hwnd, DWORD limit) {
  EditData& d = Data(hwnd);
  DWORD old = d.limit;
  d.limit = limit == 0 ? (d.rich ? 0x7FFFFFFEu : 0x7FFFFFFEu) : limit;
  return old;
}

void Focus(HWND hwnd, bool gained) {
  InvalidateRect(hwnd, nullptr, FALSE);
  NotifyParent(hwnd, gained ? EN_SETFOCUS : EN_KILLFOCUS);
}

void ClickAt(HWND hwnd, LPARAM lParam) {
  if (GetFocus() != hwnd) SetFocus(hwnd);
  if (!IsWindow(hwnd)) return;
  HDC dc = GetDC(hwnd);
  if (hwnd->font) SelectObject(dc, hwnd->font);
  std::string shown = Shown(hwnd);
  int x = GET_X_LPARAM(lParam) - 3;
  DWORD at = 0;
  for (; at < shown.size(); ++at) {
    SIZE s{};
    GetTextExtentPoint32A(dc, shown.c_str(), at + 1, &s);
    if (s.cx > x) break;
  }
  ReleaseDC(hwnd, dc);
  MoveCaret(hwnd, at, false);
}

}  // namespace

LRESULT EditProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_CREATE: Data(hwnd); return 0;
    case WM_PAINT: Paint(hwnd); return 0;
    case WM_ERASEBKGND: return 1;
    case WM_CHAR: TypeChar(hwnd, static_cast<char>(wParam)); return 0;
    case WM_KEYDOWN: KeyDown(hwnd, wParam); return 0;
    case WM_LBUTTONDOWN: ClickAt(hwnd, lParam); return 0;
    case WM_SETFOCUS: Focus(hwnd, true); return 0;
    case WM_KILLFOCUS: Focus(hwnd, false); return 0;
    case WM_SETTEXT: {
      hwnd->text = lParam ? reinterpret_cast<const char*>(lParam) : "";
      EditData& d = Data(hwnd);
      d.selStart = d.selEnd = 0;
      d.modified = false;
      InvalidateRect(hwnd, nullptr, TRUE);
      Notify(hwnd, EN_UPDATE);
      if (IsWindow(hwnd)) Notify(hwnd, EN_CHANGE);
      return TRUE;
    }
    case EM_GETSEL: return GetSel(hwnd, wParam, lParam);
    case EM_SETSEL: SetSel(hwnd, wParam, lParam); return 0;
    case EM_REPLACESEL:
      ReplaceSelection(hwnd, lParam ? reinterpret_cast<const char*>(lParam) : "", true);
      Changed(hwnd);
      return 0;
    case EM_LIMITTEXT: SetLimit(hwnd, static_cast<DWORD>(wParam)); return 0;
    case EM_EXLIMITTEXT: SetLimit(hwnd, static_cast<DWORD>(lParam)); return 0;
    case EM_GETLIMITTEXT: return static_cast<LRESULT>(Data(hwnd).limit);
    case EM_SETREADONLY:
      hwnd->style = wParam ? (hwnd->style | ES_READONLY) : (hwnd->style & ~ES_READONLY);
      InvalidateRect(hwnd, nullptr, TRUE);
      return TRUE;
    case EM_SETPASSWORDCHAR:
      Data(hwnd).passwordChar = static_cast<char>(wParam);
      hwnd->style = wParam ? (hwnd->style | ES_PASSWORD) : (hwnd->style & ~ES_PASSWORD);
      InvalidateRect(hwnd, nullptr, TRUE);
      return 0;
    case EM_GETPASSWORDCHAR: return static_cast<uint8_t>(Data(hwnd).passwordChar);
    case EM_SETEVENTMASK: {
      DWORD old = Data(hwnd).eventMask;
      Data(hwnd).eventMask = static_cast<DWORD>(lParam);
      return static_cast<LRESULT>(old);
    }
    case EM_GETEVENTMASK: return static_cast<LRESULT>(Data(hwnd).eventMask);
    case EM_SETBKGNDCOLOR: {
      COLORREF old = Data(hwnd).background;
      Data(hwnd).background = wParam ? GetSysColor(COLOR_WINDOW) : static_cast<COLORREF>(lParam);
      InvalidateRect(hwnd, nullptr, TRUE);
      return static_cast<LRESULT>(old);
    }
    case EM_SETCHARFORMAT: {
      auto* cf = reinterpret_cast<const CHARFORMATA*>(lParam);
      if (!cf || cf->cbSize < sizeof(CHARFORMATA)) return 0;
      Data(hwnd).format = *cf;
      InvalidateRect(hwnd, nullptr, TRUE);
      return 1;
    }
    case EM_GETCHARFORMAT: {
      auto* cf = reinterpret_cast<CHARFORMATA*>(lParam);
      if (!cf || cf->cbSize < sizeof(CHARFORMATA)) return 0;
      *cf = Data(hwnd).format;
      return static_cast<LRESULT>(cf->dwMask);
    }
    case EM_GETLINECOUNT:
      return 1 + std::count(hwnd->text.begin(), hwnd->text.end(), '\n');
    case EM_GETMODIFY: return Data(hwnd).modified ? TRUE : FALSE;
    case EM_SETMODIFY: Data(hwnd).modified = wParam != 0; return 0;
    case WM_ENABLE: InvalidateRect(hwnd, nullptr, TRUE); return 0;
    default: return DefWindowProcA(hwnd, msg, wParam, lParam);
  }
}

}  // namespace native
