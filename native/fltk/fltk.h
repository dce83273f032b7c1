// The FLTK desktop backend (X11): real top-level windows with menu bars, drawing through
// FLTK, message boxes, the pointer in screen coordinates and the window under a point.
// Entry point: CreateFltkBackend.
#pragma once

#include <string>

#include "native/core/backend.h"

namespace native {

// Opens the display; null (and why) when there is none.
Backend* CreateFltkBackend(std::string* why);

}  // namespace native
