// Takes a screenshot of the X root window into a binary PPM file, for the FLTK test (which
// keeps it in the build directory). Usage: native_xshot FILE.ppm
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <cstdio>

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: native_xshot FILE.ppm\n");
    return 2;
  }
  Display* display = XOpenDisplay(nullptr);
  if (!display) {
    std::fprintf(stderr, "native_xshot: cannot open the display\n");
    return 1;
  }
  Window root = DefaultRootWindow(display);
  XWindowAttributes attrs;
  XGetWindowAttributes(display, root, &attrs);
  XImage* image = XGetImage(display, root, 0, 0, attrs.width, attrs.height, AllPlanes, ZPixmap);
  if (!image) {
    std::fprintf(stderr, "native_xshot: cannot read the screen\n");
    return 1;
  }
  FILE* out = std::fopen(argv[1], "wb");
  if (!out) {
    std::perror(argv[1]);
    return 1;
  }
  std::fprintf(out, "P6\n%d %d\n255\n", attrs.width, attrs.height);
  for (int y = 0; y < attrs.height; ++y) {
    for (int x = 0; x < attrs.width; ++x) {
      unsigned long p = XGetPixel(image, x, y);
      unsigned char rgb[3] = {static_cast<unsigned char>((p & image->red_mask) >> 16),
                              static_cast<unsigned char>((p & image->green_mask) >> 8),
                              static_cast<unsigned char>(p & image->blue_mask)};
      std::fwrite(rgb, 1, 3, out);
    }
  }
  std::fclose(out);
  XDestroyImage(image);
  XCloseDisplay(display);
  return 0;
}
