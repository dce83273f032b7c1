// Painting and drawing: invalid regions and WM_PAINT, device contexts clipped to their
// window, brushes, pens and fonts, rectangles, lines and text, text measuring, system
// colours and metrics. Drawing goes to the backend in top-level client coordinates.
// Entry points: InvalidateRect, BeginPaint, FillRect, TextOutA, DrawTextA, GetSystemMetrics.
#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "native/core/state.h"

struct HICON__ {
  int id;
};
struct HPALETTE__ {
  int id;
};

namespace native {

int Backend::TextWidth(const std::string& text, const FontRequest& font) {
  return static_cast<int>(text.size()) * Metrics(font).averageWidth;
}

FontMetrics Backend::Metrics(const FontRequest& font) {
  int h = std::max(font.height, 1);
  int ascent = (h * 10 + 6) / 13;
  return FontMetrics{ascent, h - ascent, std::max(1, (h * 6 + 6) / 13 + (font.bold ? 1 : 0))};
}

namespace {

RECT Intersect(const RECT& a, const RECT& b) {
  RECT r{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
         std::min(a.bottom, b.bottom)};
  if (r.right < r.left) r.right = r.left;
  if (r.bottom < r.top) r.bottom = r.top;
  return r;
}

bool Empty(const RECT& r) { return r.right <= r.left || r.bottom <= r.top; }

RECT Union(const RECT& a, const RECT& b) {
  return RECT{std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right),
              std::max(a.bottom, b.bottom)};
}

RECT Offset(RECT r, LONG dx, LONG dy) { return RECT{r.left + dx, r.top + dy, r.right + dx, r.bottom + dy}; }

// The part of hwnd's client area that is not clipped by its ancestors, in top-level client
// coordinates.
RECT VisibleClient(HWND hwnd) {
  POINT o = ClientOriginInTopLevel(hwnd);
  RECT r = Offset(ClientRect(hwnd), o.x, o.y);
  for (HWND w = hwnd; !IsTopLevel(w); w = w->parent) {
    POINT po = ClientOriginInTopLevel(w->parent);
    r = Intersect(r, Offset(ClientRect(w->parent), po.x, po.y));
  }
  return r;
}

void InvalidateTree(HWND hwnd, const RECT& clientRect, bool erase) {
  RECT r = Intersect(clientRect, ClientRect(hwnd));
  if (Empty(r)) return;
  hwnd->invalid = hwnd->hasInvalid ? Union(hwnd->invalid, r) : r;
  hwnd->hasInvalid = true;
  hwnd->eraseNeeded = hwnd->eraseNeeded || erase;
  for (HWND child : hwnd->children) {
    RECT in = ClientInsets(child);
    LONG dx = child->rect.left + in.left;
    LONG dy = child->rect.top + in.top;
    InvalidateTree(child, Offset(r, -dx, -dy), erase);
  }
}

HDC NewDC(HWND hwnd) {
  HDC dc = new HDC__();
  dc->hwnd = hwnd;
  dc->topLevel = TopLevelOf(hwnd);
  dc->origin = ClientOriginInTopLevel(hwnd);
  dc->clip = VisibleClient(hwnd);
  dc->bkColor = GetSysColor(COLOR_WINDOW);
  dc->textColor = GetSysColor(COLOR_WINDOWTEXT);
  dc->brush = GetStockObject(WHITE_BRUSH);
  dc->pen = GetStockObject(BLACK_PEN);
  dc->drawing = HasBackend() && TheBackend().BeginDrawing(dc->topLevel);
  State().dcs.insert(dc);
  return dc;
}

void FreeDC(HDC dc) {
  if (dc->drawing && HasBackend() && IsWindow(dc->topLevel)) TheBackend().EndDrawing(dc->topLevel);
  State().dcs.erase(dc);
  delete dc;
}

HDC ValidDC(HDC dc) { return dc && State().dcs.count(dc) ? dc : nullptr; }

HGDIOBJ NewObject(GdiKind kind) {
  HGDIOBJ obj = new HGDIOBJ__();
  obj->kind = kind;
  State().gdiObjects.insert(obj);
  return obj;
}

bool ValidObject(HGDIOBJ obj) { return obj && State().gdiObjects.count(obj); }

DWORD SysColor(int index) {
  switch (index) {
    case COLOR_WINDOW:
    case COLOR_BTNHIGHLIGHT:
    case COLOR_HIGHLIGHTTEXT: return RGB(255, 255, 255);
    case COLOR_BTNFACE:
    case COLOR_MENU:
    case COLOR_3DLIGHT:
    case COLOR_SCROLLBAR: return RGB(212, 208, 200);
    case COLOR_BTNSHADOW:
    case COLOR_GRAYTEXT:
    case COLOR_APPWORKSPACE: return RGB(128, 128, 128);
    case COLOR_3DDKSHADOW: return RGB(64, 64, 64);
    case COLOR_HIGHLIGHT:
    case COLOR_ACTIVECAPTION: return RGB(10, 36, 106);
    case COLOR_BACKGROUND: return RGB(58, 110, 165);
    case COLOR_INFOBK: return RGB(255, 255, 225);
    default: return RGB(0, 0, 0);
  }
}

// A brush handle, or a system colour index + 1 given in its place (the class-background
// idiom). Returns false for a hollow or unknown brush.
bool BrushColor(HBRUSH brush, COLORREF* color) {
  auto value = reinterpret_cast<uintptr_t>(brush);
  if (value > 0 && value <= 31) {
    *color = SysColor(static_cast<int>(value) - 1);
    return true;
  }
  if (!ValidObject(brush) || brush->kind != GdiKind::kBrush || brush->hollow) return false;
  *color = brush->color;
  return true;
}

std::string TextArg(LPCSTR text, int length) {
  if (!text) return {};
  return length < 0 ? std::string(text) : std::string(text, strnlen(text, length));
}

FontMetrics MetricsOf(HDC dc) { return TheBackend().Metrics(FontFromHandle(dc->font)); }

int WidthOf(HDC dc, const std::string& text) {
  return TheBackend().TextWidth(text, FontFromHandle(dc->font));
}

void DrawTextAt(HDC dc, int x, int top, const std::string& text) {
  FontRequest font = FontFromHandle(dc->font);
  if (dc->bkMode == OPAQUE) {
    FontMetrics m = TheBackend().Metrics(font);
    RECT box{x, top, x + TheBackend().TextWidth(text, font), top + m.ascent + m.descent};
    TheBackend().FillRect(Offset(box, dc->origin.x, dc->origin.y), dc->bkColor, dc->clip);
  }
  TheBackend().Text(x + dc->origin.x, top + dc->origin.y, text, font, dc->textColor, dc->clip);
}

std::string StripPrefix(const std::string& text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '&' && i + 1 < text.size()) ++i;
    out += text[i];
  }
  return out;
}

std::vector<std::string> BreakLines(HDC dc, const std::string& text, int width, bool wrap) {
  std::vector<std::string> lines;
  std::string current;
  auto flush = [&] {
    lines.push_back(current);
    current.clear();
  };
  for (size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    if (c == '\r') continue;
    if (c == '\n') {
      flush();
      continue;
    }
    current += c;
    if (wrap && width > 0 && WidthOf(dc, current) > width) {
      size_t space = current.find_last_of(' ');
      if (space != std::string::npos && space > 0) {
        std::string rest = current.substr(space + 1);
        current.erase(space);
        flush();
        current = rest;
      }
    }
  }
  flush();
  return lines;
}

HICON__ gArrow{1};
HICON__ gIcon{2};
HPALETTE__ gPalette{1};

}  // namespace

FontRequest FontFromHandle(HFONT font) {
  FontRequest request;
  request.face = "MS Sans Serif";
  if (!ValidObject(font) || font->kind != GdiKind::kFont) return request;
  const LOGFONTA& lf = font->font;
  if (lf.lfFaceName[0]) request.face.assign(lf.lfFaceName, strnlen(lf.lfFaceName, LF_FACESIZE));
  if (lf.lfHeight != 0) request.height = std::abs(lf.lfHeight);
  request.bold = lf.lfWeight >= 600;
  request.italic = lf.lfItalic != 0;
  request.underline = lf.lfUnderline != 0;
  return request;
}

}  // namespace native

using namespace native;

BOOL InvalidateRect(HWND hwnd, const RECT* rect, BOOL erase) {
  if (!hwnd) {
    for (HWND top : State().topLevels) InvalidateRect(top, nullptr, erase);
    return TRUE;
  }
  if (!Valid(hwnd)) return FALSE;
  InvalidateTree(hwnd, rect ? *rect : ClientRect(hwnd), erase != FALSE);
  if (HasBackend()) TheBackend().PaintRequested(TopLevelOf(hwnd));
  return TRUE;
}

BOOL ValidateRect(HWND hwnd, const RECT*) {
  if (!Valid(hwnd)) return FALSE;
  hwnd->hasInvalid = false;
  hwnd->eraseNeeded = false;
  return TRUE;
}

BOOL UpdateWindow(HWND hwnd) {
  if (!Valid(hwnd)) return FALSE;
  if (hwnd->hasInvalid && ReallyVisible(hwnd)) CallProc(hwnd, WM_PAINT, 0, 0);
  std::vector<HWND> children = hwnd->children;
  for (HWND child : children) {
    if (IsWindow(child)) UpdateWindow(child);
  }
  return TRUE;
}

BOOL RedrawWindow(HWND hwnd, const RECT* rect, HRGN, UINT flags) {
  if (flags & RDW_INVALIDATE) InvalidateRect(hwnd, rect, (flags & RDW_ERASE) ? TRUE : FALSE);
  if (flags & RDW_UPDATENOW) UpdateWindow(hwnd);
  return TRUE;
}

BOOL GetUpdateRect(HWND hwnd, LPRECT rect, BOOL) {
  if (!Valid(hwnd) || !hwnd->hasInvalid) {
    if (rect) *rect = RECT{0, 0, 0, 0};
    return FALSE;
  }
  if (rect) *rect = hwnd->invalid;
  return TRUE;
}

HDC BeginPaint(HWND hwnd, PAINTSTRUCT* paint) {
  if (!Valid(hwnd) || !paint) return nullptr;
  RECT area = hwnd->hasInvalid ? hwnd->invalid : ClientRect(hwnd);
  bool erase = hwnd->eraseNeeded;
  hwnd->hasInvalid = false;
  hwnd->eraseNeeded = false;
  HDC dc = NewDC(hwnd);
  dc->clip = Intersect(dc->clip, Offset(area, dc->origin.x, dc->origin.y));
  std::memset(paint, 0, sizeof *paint);
  paint->hdc = dc;
  paint->rcPaint = area;
  paint->fErase = TRUE;
  if (erase && SendMessageA(hwnd, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0)) {
    paint->fErase = FALSE;
  }
  return dc;
}

BOOL EndPaint(HWND, const PAINTSTRUCT* paint) {
  if (!paint || !ValidDC(paint->hdc)) return FALSE;
  FreeDC(paint->hdc);
  return TRUE;
}

HDC GetDC(HWND hwnd) {
  if (!hwnd) return nullptr;
  return Valid(hwnd) ? NewDC(hwnd) : nullptr;
}

int ReleaseDC(HWND, HDC dc) {
  if (!ValidDC(dc)) return 0;
  FreeDC(dc);
  return 1;
}

int GetDeviceCaps(HDC, int index) {
  switch (index) {
    case LOGPIXELSX:
    case LOGPIXELSY: return 96;
    case HORZRES: return GetSystemMetrics(SM_CXSCREEN);
    case VERTRES: return GetSystemMetrics(SM_CYSCREEN);
    default: return 0;
  }
}

HBRUSH CreateSolidBrush(COLORREF color) {
  HBRUSH b = NewObject(GdiKind::kBrush);
  b->color = color & 0xFFFFFF;
  return b;
}

HPEN CreatePen(int style, int width, COLORREF color) {
  HPEN p = NewObject(GdiKind::kPen);
  p->color = color & 0xFFFFFF;
  p->penWidth = std::max(width, 1);
  p->hollow = style == PS_NULL;
  return p;
}

HFONT CreateFontIndirectA(const LOGFONTA* font) {
  if (!font) return nullptr;
  HFONT f = NewObject(GdiKind::kFont);
  f->font = *font;
  f->font.lfFaceName[LF_FACESIZE - 1] = 0;
  return f;
}

HFONT CreateFontA(int height, int width, int escapement, int orientation, int weight,
                  DWORD italic, DWORD underline, DWORD strikeOut, DWORD charSet,
                  DWORD outPrecision, DWORD clipPrecision, DWORD quality, DWORD pitchAndFamily,
                  LPCSTR faceName) {
  LOGFONTA lf{};
  lf.lfHeight = height;
  lf.lfWidth = width;
  lf.lfEscapement = escapement;
  lf.lfOrientation = orientation;
  lf.lfWeight = weight;
  lf.lfItalic = static_cast<BYTE>(italic);
  lf.lfUnderline = static_cast<BYTE>(underline);
  lf.lfStrikeOut = static_cast<BYTE>(strikeOut);
  lf.lfCharSet = static_cast<BYTE>(charSet);
  lf.lfOutPrecision = static_cast<BYTE>(outPrecision);
  lf.lfClipPrecision = static_cast<BYTE>(clipPrecision);
  lf.lfQuality = static_cast<BYTE>(quality);
  lf.lfPitchAndFamily = static_cast<BYTE>(pitchAndFamily);
  if (faceName) std::strncpy(lf.lfFaceName, faceName, LF_FACESIZE - 1);
  return CreateFontIndirectA(&lf);
}

HGDIOBJ GetStockObject(int index) {
  static HGDIOBJ stock[20] = {};
  if (index < 0 || index >= 20) return nullptr;
  if (stock[index]) return stock[index];
  HGDIOBJ obj = nullptr;
  switch (index) {
    case WHITE_BRUSH: obj = CreateSolidBrush(RGB(255, 255, 255)); break;
    case LTGRAY_BRUSH: obj = CreateSolidBrush(RGB(192, 192, 192)); break;
    case GRAY_BRUSH: obj = CreateSolidBrush(RGB(128, 128, 128)); break;
    case DKGRAY_BRUSH: obj = CreateSolidBrush(RGB(64, 64, 64)); break;
    case BLACK_BRUSH: obj = CreateSolidBrush(RGB(0, 0, 0)); break;
    case NULL_BRUSH: obj = CreateSolidBrush(0); obj->hollow = true; break;
    case WHITE_PEN: obj = CreatePen(PS_SOLID, 1, RGB(255, 255, 255)); break;
    case BLACK_PEN: obj = CreatePen(PS_SOLID, 1, 0); break;
    case NULL_PEN: obj = CreatePen(PS_NULL, 1, 0); break;
    case ANSI_VAR_FONT:
    case SYSTEM_FONT:
    case DEFAULT_GUI_FONT:
      obj = CreateFontA(-11, 0, 0, 0, FW_NORMAL, 0, 0, 0, ANSI_CHARSET, 0, 0, 0, 0,
                        "MS Sans Serif");
      break;
    default: return nullptr;
  }
  obj->stock = true;
  stock[index] = obj;
  return obj;
}

HGDIOBJ SelectObject(HDC dc, HGDIOBJ object) {
  if (!ValidDC(dc) || !ValidObject(object)) return nullptr;
  HGDIOBJ* slot = object->kind == GdiKind::kBrush ? &dc->brush
                  : object->kind == GdiKind::kPen ? &dc->pen
                  : object->kind == GdiKind::kFont ? &dc->font
                                                   : nullptr;
  if (!slot) return nullptr;
  HGDIOBJ previous = *slot;
  *slot = object;
  if (!previous && object->kind == GdiKind::kFont) previous = GetStockObject(SYSTEM_FONT);
  return previous;
}

BOOL DeleteObject(HGDIOBJ object) {
  if (!ValidObject(object)) return FALSE;
  if (object->stock) return TRUE;
  for (HDC dc : State().dcs) {
    if (dc->brush == object || dc->pen == object || dc->font == object) return FALSE;  // selected
  }
  State().gdiObjects.erase(object);
  delete object;
  return TRUE;
}

int GetObjectA(HGDIOBJ object, int size, LPVOID buffer) {
  if (!ValidObject(object) || object->kind != GdiKind::kFont) return 0;
  if (!buffer) return sizeof(LOGFONTA);
  int n = std::min<int>(size, sizeof(LOGFONTA));
  std::memcpy(buffer, &object->font, n);
  return n;
}

DWORD GetSysColor(int index) { return SysColor(index); }

HBRUSH GetSysColorBrush(int index) {
  static HBRUSH brushes[32] = {};
  if (index < 0 || index >= 32) return nullptr;
  if (!brushes[index]) {
    brushes[index] = CreateSolidBrush(SysColor(index));
    brushes[index]->stock = true;
  }
  return brushes[index];
}

COLORREF SetTextColor(HDC dc, COLORREF color) {
  if (!ValidDC(dc)) return 0xFFFFFFFFu;
  COLORREF old = dc->textColor;
  dc->textColor = color & 0xFFFFFF;
  return old;
}

COLORREF GetTextColor(HDC dc) { return ValidDC(dc) ? dc->textColor : 0; }

COLORREF SetBkColor(HDC dc, COLORREF color) {
  if (!ValidDC(dc)) return 0xFFFFFFFFu;
  COLORREF old = dc->bkColor;
  dc->bkColor = color & 0xFFFFFF;
  return old;
}

int SetBkMode(HDC dc, int mode) {
  if (!ValidDC(dc)) return 0;
  int old = dc->bkMode;
  dc->bkMode = mode;
  return old;
}

UINT SetTextAlign(HDC dc, UINT align) {
  if (!ValidDC(dc)) return 0xFFFFFFFFu;
  UINT old = dc->textAlign;
  dc->textAlign = align;
  return old;
}

int FillRect(HDC dc, const RECT* rect, HBRUSH brush) {
  COLORREF color;
  if (!ValidDC(dc) || !rect) return 0;
  if (!BrushColor(brush, &color)) return 1;
  TheBackend().FillRect(Offset(*rect, dc->origin.x, dc->origin.y), color, dc->clip);
  return 1;
}

int FrameRect(HDC dc, const RECT* rect, HBRUSH brush) {
  COLORREF color;
  if (!ValidDC(dc) || !rect || Empty(*rect)) return 0;
  if (!BrushColor(brush, &color)) return 1;
  const RECT& r = *rect;
  const RECT sides[4] = {{r.left, r.top, r.right, r.top + 1},
                         {r.left, r.bottom - 1, r.right, r.bottom},
                         {r.left, r.top, r.left + 1, r.bottom},
                         {r.right - 1, r.top, r.right, r.bottom}};
  for (const RECT& side : sides) {
    TheBackend().FillRect(Offset(side, dc->origin.x, dc->origin.y), color, dc->clip);
  }
  return 1;
}

BOOL Rectangle(HDC dc, int left, int top, int right, int bottom) {
  if (!ValidDC(dc)) return FALSE;
  RECT r{left, top, right, bottom};
  FillRect(dc, &r, dc->brush);
  if (ValidObject(dc->pen) && !dc->pen->hollow) {
    HBRUSH frame = CreateSolidBrush(dc->pen->color);
    FrameRect(dc, &r, frame);
    DeleteObject(frame);
  }
  return TRUE;
}

BOOL Ellipse(HDC dc, int left, int top, int right, int bottom) {
  if (!ValidDC(dc)) return FALSE;
  RECT r = Offset(RECT{left, top, right, bottom}, dc->origin.x, dc->origin.y);
  COLORREF color;
  if (BrushColor(dc->brush, &color)) TheBackend().Ellipse(r, color, true, dc->clip);
  if (ValidObject(dc->pen) && !dc->pen->hollow) TheBackend().Ellipse(r, dc->pen->color, false, dc->clip);
  return TRUE;
}

BOOL MoveToEx(HDC dc, int x, int y, LPPOINT previous) {
  if (!ValidDC(dc)) return FALSE;
  if (previous) *previous = dc->current;
  dc->current = POINT{x, y};
  return TRUE;
}

BOOL LineTo(HDC dc, int x, int y) {
  if (!ValidDC(dc)) return FALSE;
  POINT from = dc->current;
  dc->current = POINT{x, y};
  if (!ValidObject(dc->pen) || dc->pen->hollow) return TRUE;
  TheBackend().Line(POINT{from.x + dc->origin.x, from.y + dc->origin.y},
                    POINT{x + dc->origin.x, y + dc->origin.y}, dc->pen->color,
                    dc->pen->penWidth, dc->clip);
  return TRUE;
}

COLORREF SetPixel(HDC dc, int x, int y, COLORREF color) {
  if (!ValidDC(dc)) return 0xFFFFFFFFu;
  TheBackend().FillRect(Offset(RECT{x, y, x + 1, y + 1}, dc->origin.x, dc->origin.y), color,
                        dc->clip);
  return color;
}

BOOL TextOutA(HDC dc, int x, int y, LPCSTR text, int length) {
  if (!ValidDC(dc) || !text) return FALSE;
  std::string s = TextArg(text, length);
  FontMetrics m = MetricsOf(dc);
  int width = WidthOf(dc, s);
  UINT h = dc->textAlign & 6;
  if (h == TA_CENTER) x -= width / 2;
  else if (h == TA_RIGHT) x -= width;
  UINT v = dc->textAlign & 24;
  if (v == TA_BASELINE) y -= m.ascent;
  else if (v == TA_BOTTOM) y -= m.ascent + m.descent;
  DrawTextAt(dc, x, y, s);
  return TRUE;
}

int DrawTextA(HDC dc, LPCSTR text, int length, LPRECT rect, UINT format) {
  if (!ValidDC(dc) || !text || !rect) return 0;
  std::string s = TextArg(text, length);
  if (!(format & DT_NOPREFIX)) s = StripPrefix(s);
  FontMetrics m = MetricsOf(dc);
  int lineHeight = m.ascent + m.descent;
  std::vector<std::string> lines;
  if (format & DT_SINGLELINE) {
    lines.push_back(s);
  } else {
    lines = BreakLines(dc, s, rect->right - rect->left, (format & DT_WORDBREAK) != 0);
  }
  int total = lineHeight * static_cast<int>(lines.size());
  if (format & DT_CALCRECT) {
    int widest = 0;
    for (const std::string& line : lines) widest = std::max(widest, WidthOf(dc, line));
    rect->right = rect->left + widest;
    rect->bottom = rect->top + total;
    return total;
  }
  int y = rect->top;
  if ((format & DT_SINGLELINE) && (format & DT_VCENTER)) {
    y = rect->top + (rect->bottom - rect->top - lineHeight) / 2;
  } else if ((format & DT_SINGLELINE) && (format & DT_BOTTOM)) {
    y = rect->bottom - lineHeight;
  }
  RECT saved = dc->clip;
  if (!(format & DT_NOCLIP)) dc->clip = Intersect(dc->clip, Offset(*rect, dc->origin.x, dc->origin.y));
  for (const std::string& line : lines) {
    int width = WidthOf(dc, line);
    int x = rect->left;
    if (format & DT_CENTER) x = rect->left + (rect->right - rect->left - width) / 2;
    else if (format & DT_RIGHT) x = rect->right - width;
    DrawTextAt(dc, x, y, line);
    y += lineHeight;
  }
  dc->clip = saved;
  return total;
}

BOOL GetTextExtentPoint32A(HDC dc, LPCSTR text, int length, SIZE* size) {
  if (!ValidDC(dc) || !size) return FALSE;
  FontMetrics m = MetricsOf(dc);
  size->cx = WidthOf(dc, TextArg(text, length));
  size->cy = m.ascent + m.descent;
  return TRUE;
}

BOOL GetTextMetricsA(HDC dc, TEXTMETRICA* metrics) {
  if (!ValidDC(dc) || !metrics) return FALSE;
  FontMetrics m = MetricsOf(dc);
  FontRequest font = FontFromHandle(dc->font);
  std::memset(metrics, 0, sizeof *metrics);
  metrics->tmHeight = m.ascent + m.descent;
  metrics->tmAscent = m.ascent;
  metrics->tmDescent = m.descent;
  metrics->tmAveCharWidth = m.averageWidth;
  metrics->tmMaxCharWidth = m.averageWidth * 2;
  metrics->tmWeight = font.bold ? FW_BOLD : FW_NORMAL;
  metrics->tmItalic = font.italic;
  metrics->tmUnderlined = font.underline;
  metrics->tmLastChar = 0xFF;
  metrics->tmDefaultChar = '?';
  metrics->tmBreakChar = ' ';
  metrics->tmDigitizedAspectX = metrics->tmDigitizedAspectY = 96;
  return TRUE;
}

int IntersectClipRect(HDC dc, int left, int top, int right, int bottom) {
  if (!ValidDC(dc)) return 0;
  dc->clip = Intersect(dc->clip, Offset(RECT{left, top, right, bottom}, dc->origin.x, dc->origin.y));
  return Empty(dc->clip) ? 1 : 2;  // NULLREGION : SIMPLEREGION
}

int SaveDC(HDC dc) {
  if (!ValidDC(dc)) return 0;
  dc->savedClips.push_back(dc->clip);
  return static_cast<int>(dc->savedClips.size());
}

BOOL RestoreDC(HDC dc, int saved) {
  if (!ValidDC(dc) || dc->savedClips.empty()) return FALSE;
  size_t keep = saved < 0 ? dc->savedClips.size() + saved : static_cast<size_t>(saved) - 1;
  if (keep >= dc->savedClips.size()) return FALSE;
  dc->clip = dc->savedClips[keep];
  dc->savedClips.resize(keep);
  return TRUE;
}

HPALETTE SelectPalette(HDC, HPALETTE, BOOL) { return &gPalette; }
UINT RealizePalette(HDC) { return 0; }

int GetSystemMetrics(int index) {
  switch (index) {
    case SM_CXSCREEN:
    case SM_CXFULLSCREEN:
    case SM_CXMAXIMIZED:
    case SM_CXVIRTUALSCREEN: return TheBackend().ScreenWidth();
    case SM_CYSCREEN:
    case SM_CYFULLSCREEN:
    case SM_CYMAXIMIZED:
    case SM_CYVIRTUALSCREEN: return TheBackend().ScreenHeight();
    case SM_CXVSCROLL:
    case SM_CYHSCROLL: return 16;
    case SM_CYCAPTION: return 19;
    case SM_CYSMCAPTION: return 15;
    case SM_CXBORDER:
    case SM_CYBORDER: return 1;
    case SM_CXDLGFRAME:
    case SM_CYDLGFRAME: return 3;
    case SM_CXFRAME:
    case SM_CYFRAME: return 4;
    case SM_CXEDGE:
    case SM_CYEDGE: return 2;
    case SM_CYMENU: return 19;
    case SM_CXMIN: return 112;
    case SM_CYMIN: return 27;
    case SM_CMONITORS: return 1;
    default: return 0;
  }
}

BOOL SystemParametersInfoA(UINT action, UINT, LPVOID param, UINT) {
  if (action == SPI_GETWHEELSCROLLLINES && param) {
    *static_cast<UINT*>(param) = 3;
    return TRUE;
  }
  if (action == SPI_GETWORKAREA && param) {
    *static_cast<RECT*>(param) = RECT{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    return TRUE;
  }
  return FALSE;
}

BOOL GetCursorPos(LPPOINT point) {
  if (!point) return FALSE;
  *point = TheBackend().CursorPos();
  return TRUE;
}

BOOL SetCursorPos(int x, int y) {
  TheBackend().SetCursorPos(POINT{x, y});
  return TRUE;
}

SHORT GetKeyState(int virtualKey) {
  uint32_t state = State().keyState;
  uint32_t bit = virtualKey == VK_SHIFT     ? kKeyShift
                 : virtualKey == VK_CONTROL ? kKeyControl
                 : virtualKey == VK_MENU    ? kKeyAlt
                 : virtualKey == VK_LBUTTON ? kKeyLeftButton
                 : virtualKey == VK_RBUTTON ? kKeyRightButton
                                            : 0;
  return (state & bit) ? static_cast<SHORT>(-32768) : 0;
}

SHORT GetAsyncKeyState(int virtualKey) { return GetKeyState(virtualKey); }

HCURSOR LoadCursorA(HINSTANCE, LPCSTR) { return &gArrow; }
HCURSOR SetCursor(HCURSOR cursor) { return cursor ? &gArrow : nullptr; }
HICON LoadIconA(HINSTANCE, LPCSTR) { return &gIcon; }
UINT GetDoubleClickTime() { return 500; }

BOOL MessageBeep(UINT) {
  TheBackend().Beep();
  return TRUE;
}

int MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type) {
  std::string body = text ? text : "";
  std::string title = caption ? caption : "Error";
  if (owner && !IsWindow(owner)) owner = nullptr;
  return TheBackend().MessageBox(owner, body, title, type);
}
