// The Graphics class of control plug-ins and the drawing entries on it. Coordinates are the
// control's own; colours are the runtime's 0x00RRGGBB.
#include "runtime/plugins/plugingraphics.h"

#include <cstring>
#include <string>

#include "runtime/entries/entries.h"
#include "runtime/objects/objects.h"
#include "runtime/objects/strings.h"
#include "runtime/ui/fontmapping.h"

namespace {

void GraphicsDestructor(ObjectHeader* object, ClassRecord*) { UnbindPluginGraphics(object); }

ClassRecord& GraphicsClass() {
  static ClassRecord cls = [] {
    ClassRecord record;
    std::memset(&record, 0, sizeof record);
    record.kind = kClassRecordKind;
    record.name = MakeStringFromC("Graphics");
    record.builtIn = 1;
    record.instanceSize = sizeof(PluginGraphicsObject);
    record.destructor = GraphicsDestructor;
    return record;
  }();
  return cls;
}

COLORREF NativeColour(int32_t rgb) {
  return RGB((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF);
}

RECT Shifted(const PluginGraphicsObject& g, int32_t left, int32_t top, int32_t right, int32_t bottom) {
  return RECT{left + g.originX, top + g.originY, right + g.originX, bottom + g.originY};
}

PluginGraphicsObject* Drawable(ObjectHeader* graphics) {
  PluginGraphicsObject* g = PluginGraphicsOf(graphics);
  return g != nullptr && g->dc != nullptr ? g : nullptr;
}

constexpr int32_t kStyleBold = 1;
constexpr int32_t kStyleItalic = 2;
constexpr int32_t kStyleUnderline = 4;

HFONT MakeFont(StringRecord* fontName, int32_t size, int32_t style) {
  std::string face = MapFontName(StringView(fontName));
  int height = size > 0 ? -size : 0;
  return CreateFontA(height, 0, 0, 0, (style & kStyleBold) ? FW_BOLD : FW_NORMAL,
                     (style & kStyleItalic) ? TRUE : FALSE, (style & kStyleUnderline) ? TRUE : FALSE,
                     FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                     DEFAULT_QUALITY, DEFAULT_PITCH, face.c_str());
}

UINT AlignFormat(int32_t align) {
  switch (align) {
    case 1: return DT_LEFT;
    case 2: return DT_RIGHT;
    default: return DT_CENTER;
  }
}

// Fills or frames a rectangle of the plug-in's coordinates with a brush of one colour.
using BrushPainter = int (*)(HDC dc, const RECT* rect, HBRUSH brush);
void PaintRect(ObjectHeader* graphics, int32_t left, int32_t top, int32_t right, int32_t bottom,
               int32_t colour, BrushPainter paint) {
  PluginGraphicsObject* g = Drawable(graphics);
  if (g == nullptr) return;
  RECT r = Shifted(*g, left, top, right, bottom);
  HBRUSH brush = CreateSolidBrush(NativeColour(colour));
  paint(g->dc, &r, brush);
  DeleteObject(brush);
}

}  // namespace

ObjectHeader* MakePluginGraphics(HDC dc, HWND releaseWindow, int32_t originX, int32_t originY) {
  ObjectHeader* object = MakeObject(&GraphicsClass());
  auto* g = reinterpret_cast<PluginGraphicsObject*>(object);
  if (g == nullptr) return nullptr;
  g->dc = dc;
  g->releaseWindow = releaseWindow;
  g->originX = originX;
  g->originY = originY;
  return object;
}

void UnbindPluginGraphics(ObjectHeader* graphics) {
  PluginGraphicsObject* g = PluginGraphicsOf(graphics);
  if (g == nullptr || g->dc == nullptr) return;
  if (g->releaseWindow != nullptr) ReleaseDC(g->releaseWindow, g->dc);
  g->dc = nullptr;
  g->releaseWindow = nullptr;
}

PluginGraphicsObject* PluginGraphicsOf(ObjectHeader* graphics) {
  if (graphics == nullptr || graphics->cls != &GraphicsClass()) return nullptr;
  return reinterpret_cast<PluginGraphicsObject*>(graphics);
}

AMX_ENTRY int32_t PluginSystemColor(int32_t index) noexcept {
  COLORREF c = GetSysColor(index);
  return static_cast<int32_t>((GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c));
}

AMX_ENTRY void PluginGraphicsFillRect(ObjectHeader* graphics, int32_t left, int32_t top,
                                      int32_t right, int32_t bottom, int32_t colour) noexcept {
  PaintRect(graphics, left, top, right, bottom, colour, FillRect);
}

AMX_ENTRY void PluginGraphicsFrameRect(ObjectHeader* graphics, int32_t left, int32_t top,
                                       int32_t right, int32_t bottom, int32_t colour) noexcept {
  PaintRect(graphics, left, top, right, bottom, colour, FrameRect);
}

AMX_ENTRY void PluginGraphicsDrawLine(ObjectHeader* graphics, int32_t x1, int32_t y1, int32_t x2,
                                      int32_t y2, int32_t colour) noexcept {
  PluginGraphicsObject* g = Drawable(graphics);
  if (g == nullptr) return;
  HPEN pen = CreatePen(PS_SOLID, 1, NativeColour(colour));
  HGDIOBJ old = SelectObject(g->dc, pen);
  MoveToEx(g->dc, x1 + g->originX, y1 + g->originY, nullptr);
  LineTo(g->dc, x2 + g->originX, y2 + g->originY);
  SelectObject(g->dc, old);
  DeleteObject(pen);
}

// align: 1 left, 2 right, any other value centred; the text is centred vertically on one
// line.
AMX_ENTRY void PluginGraphicsDrawText(ObjectHeader* graphics, StringRecord* text,
                                      const int32_t* leftTopRightBottom, int32_t colour,
                                      StringRecord* fontName, int32_t fontSize, int32_t style,
                                      int32_t align) noexcept {
  PluginGraphicsObject* g = Drawable(graphics);
  if (g == nullptr || leftTopRightBottom == nullptr || StringLength(text) == 0) return;
  const int32_t* b = leftTopRightBottom;
  RECT r = Shifted(*g, b[0], b[1], b[2], b[3]);
  HFONT font = MakeFont(fontName, fontSize, style);
  HGDIOBJ old = SelectObject(g->dc, font);
  SetTextColor(g->dc, NativeColour(colour));
  SetBkMode(g->dc, TRANSPARENT);
  DrawTextA(g->dc, StringText(text), StringLength(text), &r,
            AlignFormat(align) | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
  SelectObject(g->dc, old);
  DeleteObject(font);
}
