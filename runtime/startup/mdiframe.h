// The MDI frame of an application whose project settings ask for one: the "KT_MDIFRAME"
// window with its "MDICLIENT" child; its close runs the quitting procedure. Entry point:
// CreateMdiFrame (RuntimeInit step 12).
#pragma once
#include <string>

#include "native/win32.h"

constexpr int kMdiFrameWidth = 640;
constexpr int kMdiFrameHeight = 480;
constexpr UINT kFirstMdiChildId = 3000;

// Registers the frame and child classes and creates the visible frame titled caption.
// Returns the frame (also kept in the run state with its client), nil when creation failed.
HWND CreateMdiFrame(const std::string& caption);
LRESULT CALLBACK MdiFrameProcedure(HWND frame, UINT message, WPARAM wParam, LPARAM lParam);
