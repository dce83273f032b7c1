/* Drawing the bevel button in the classic look: the face, a bevel of highlight and shadow
 * lines (inverted while pressed or set), a frame, and the caption (greyed when disabled). */
#include "plugins/appearance/bevelpaint.h"

enum {
  kColorWindowFrame = 6,
  kColorButtonFace = 15,
  kColorButtonShadow = 16,
  kColorGrayText = 17,
  kColorButtonText = 18,
  kColorButtonHighlight = 20,
};

enum { kStyleBold = 1, kStyleItalic = 2, kStyleUnderline = 4 };

static int32_t Colour(int32_t index) { return gRuntime.PluginSystemColor(index); }

/* Bevel width by the Bevel property: small 1, normal 2, large 3. */
static int32_t BevelWidth(const BevelData* data) {
  return data->bevel >= 0 && data->bevel <= 2 ? data->bevel + 1 : 1;
}

static void DrawBevel(Object* g, int32_t w, int32_t h, int32_t width, int sunken) {
  int32_t light = Colour(sunken ? kColorButtonShadow : kColorButtonHighlight);
  int32_t dark = Colour(sunken ? kColorButtonHighlight : kColorButtonShadow);
  for (int32_t i = 1; i <= width; ++i) {
    gRuntime.PluginGraphicsDrawLine(g, i, i, w - 1 - i, i, light);
    gRuntime.PluginGraphicsDrawLine(g, i, i, i, h - 1 - i, light);
    gRuntime.PluginGraphicsDrawLine(g, i, h - 1 - i, w - i, h - 1 - i, dark);
    gRuntime.PluginGraphicsDrawLine(g, w - 1 - i, i, w - 1 - i, h - i, dark);
  }
}

static int32_t TextStyle(const BevelData* data) {
  return (data->bold ? kStyleBold : 0) | (data->italic ? kStyleItalic : 0) |
         (data->underline ? kStyleUnderline : 0);
}

void PaintBevelButton(Object* control, Object* g) {
  if (control == NULL || g == NULL) return;
  BevelData* data = Bevel(control);
  int32_t b[4];
  gRuntime.PluginGetControlBounds(control, b);
  int32_t w = b[2] - b[0], h = b[3] - b[1];
  if (w <= 0 || h <= 0) return;
  int sunken = data->pressed || (data->value && data->buttonType != 0);
  int enabled = gRuntime.GetControlEnabled(control) != 0;
  gRuntime.PluginGraphicsFillRect(g, 0, 0, w, h, Colour(kColorButtonFace));
  DrawBevel(g, w, h, BevelWidth(data), sunken);
  gRuntime.PluginGraphicsFrameRect(g, 0, 0, w, h, Colour(kColorWindowFrame));
  int32_t shift = sunken ? 1 : 0;
  int32_t textBox[4] = {2 + shift + data->captionDelta, 2 + shift, w - 2 + shift, h - 2 + shift};
  gRuntime.PluginGraphicsDrawText(g, data->caption, textBox,
                                  Colour(enabled ? kColorButtonText : kColorGrayText),
                                  data->fontName, data->fontSize, TextStyle(data),
                                  data->captionAlign);
}
