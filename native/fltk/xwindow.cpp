// Window-from-point on X11: descend from the root with XTranslateCoordinates, which honours
// stacking and window-manager frames, until a window FLTK knows is met.
// Entry points: DisplayAvailable, FltkWindowAt.
#include "native/fltk/xwindow.h"

#include <FL/Fl.H>
#include <FL/Fl_Window.H>
#include <FL/x.H>

#include <cstdlib>

namespace native {

bool DisplayAvailable() {
  const char* name = std::getenv("DISPLAY");
  if (!name || !*name) return false;
  Display* d = XOpenDisplay(name);
  if (!d) return false;
  XCloseDisplay(d);
  return true;
}

Fl_Window* FltkWindowAt(int x, int y) {
  fl_open_display();
  ::Window root = RootWindow(fl_display, fl_screen);
  ::Window src = root;
  ::Window dst = root;
  ::Window child = 0;
  int cx = x;
  int cy = y;
  for (int depth = 0; depth < 16; ++depth) {
    if (!XTranslateCoordinates(fl_display, src, dst, x, y, &cx, &cy, &child) || child == 0) {
      return nullptr;
    }
    if (Fl_Window* w = fl_find(child)) return w;
    src = dst;
    dst = child;
    x = cx;
    y = cy;
  }
  return nullptr;
}

}  // namespace native
