// The X11 part of the FLTK backend, kept apart because the X headers and the Win32-style
// types cannot share a file. Entry points: DisplayAvailable, FltkWindowAt.
#pragma once

class Fl_Window;

namespace native {

// Whether an X display can be opened (without FLTK ending the process when it cannot).
bool DisplayAvailable();

// Our FLTK window under a screen point, following the stacking order (null when none).
Fl_Window* FltkWindowAt(int x, int y);

}  // namespace native
