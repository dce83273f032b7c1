// What the files of the window layer share among themselves: making and destroying the
// native window, closing, showing, full screen and back colour, the "KTWindow" procedure,
// the mouse tracker, keyboard pre-translation, the last message seen, and installing the
// layer's start-up hooks. Entry point for start-up: InstallWindowLayer.
#pragma once
#include <cstdint>

#include "native/win32.h"
#include "runtime/objects/class.h"
#include "runtime/ui/viewwindow.h"
#include "runtime/ui/windowobject.h"

namespace windows {

// ---- Native windows (nativewindow.cpp) ----
// Styles of a WindowKind and the Booleans of the window (kinds 11 and up: failed assertion
// 4, "window" 494, and false).
struct WindowStyle {
  DWORD style;
  DWORD exStyle;
  bool owned;        // gets an owner window
  bool modalStack;   // joins the modal stack
};
bool StyleForKind(int32_t kind, bool closeBox, bool growIcon, bool zoomIcon, WindowStyle* out);
// Makes the "KTWindow" of the view (invisible), with owner and menu bar; false when the
// native window could not be made.
bool CreateNativeWindow(RuntimeViewWindow* view, WindowObject* window);
// Leaves the modal stack, drops the menu bar and destroys the native window.
void DestroyNativeWindow(RuntimeViewWindow* view);
// When `leaving` (the main window, being hidden or already destroyed; or nil) goes off
// screen, the newest other document window on screen takes the menu bar over.
bool HandOverMenuBar(RuntimeViewWindow* leaving);
// The main window (the first document window; it carries the application menu bar), or nil.
RuntimeViewWindow* MainViewWindow();
// Attaches or detaches the application menu bar on the main window.
void ShowMenuBar(RuntimeViewWindow* main, bool show);
// The first visible window of the modal stack, or nil.
HWND FirstVisibleModal();
// WindowKind and default placement of a Frame value (0..7; others as Frame 0).
int32_t KindForFrame(int32_t frame);
int32_t DefaultPlacementForFrame(int32_t frame);
// Offsets bounds (top 0, left 0, the described size) for a placement on a screen.
Rect16 PlaceBounds(Rect16 bounds, int32_t placement, int32_t screenWidth, int32_t screenHeight);

// ---- Closing (windowclose.cpp) ----
// The close request: CancelClose, then closing unless it answered True. True when the
// window was closed (or was already gone).
bool RequestClose(RuntimeViewWindow* view);
// Closing steps 1 to 4, without asking.
void CloseNow(RuntimeViewWindow* view);
// Fires "CancelClose"; true refuses.
bool WindowRefusesClose(WindowObject* window);

// ---- Showing and presentation (windowshow.cpp) ----
void ShowWindowObject(WindowObject* window);
void HideWindowObject(WindowObject* window);
// Shows every view window that is marked shown but not yet visible (main loop step 1).
void ShowWindowsMarkedVisible();
void ApplyBackColor(RuntimeViewWindow* view, int32_t rgb);
void EnterFullScreen(RuntimeViewWindow* view, WindowObject* window);
void LeaveFullScreen(RuntimeViewWindow* view, WindowObject* window);
// Moves and sizes a live native window to the window's client bounds.
void ApplyBoundsToNative(RuntimeViewWindow* view, WindowObject* window);
// The client rectangle of the native window in screen coordinates.
Rect16 NativeClientBounds(HWND hwnd);

// ---- The "KTWindow" procedure (windowproc.cpp) ----
LRESULT CALLBACK TopLevelWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
void RegisterWindowClasses(HINSTANCE module);
void Resized(RuntimeViewWindow* view);
void Moved(RuntimeViewWindow* view);
void Activate(RuntimeViewWindow* view);
void Deactivate(RuntimeViewWindow* view);
// WM_SIZING: clamps the dragged outer rectangle to the size limits.
void ClampSizing(RuntimeViewWindow* view, WPARAM edge, RECT* dragged);

// The message the window procedure last recorded (read by MouseX/MouseY).
struct LastMessage {
  UINT message = 0;
  WPARAM wParam = 0;
  LPARAM lParam = 0;
  DWORD time = 0;
  POINT cursor = {0, 0};  // screen coordinates
};
LastMessage& LastSeenMessage();
// The modifier keys recorded before the last child command was forwarded.
int32_t LastCommandModifiers();

// ---- Mouse (windowmouse.cpp) ----
// The tracker step of the main loop.
void TrackMouse();
// Forgets the tracked window and last position (a window going away, tests).
void ForgetTrackedWindow(HWND hwnd);
void ResetMouseTracker();

// ---- Keyboard (windowkeys.cpp) ----
// Key-down pre-translation; true when the key was consumed.
bool PreTranslateMessage(MSG* message);
// The window's KeyDown event for a key message; true when consumed.
bool WindowKeyDown(RuntimeViewWindow* view, const MSG& message);

// ---- Paint (windowpaint.cpp) ----
// Raises Paint with a new Graphics object bound to the context.
void RaisePaint(RuntimeViewWindow* view, HDC dc);
// The context a Graphics object draws in (nil for any other object).
HDC GraphicsContext(ObjectHeader* graphics);

// ---- Hooks (windowhooks.cpp) ----
// Installs the window layer's start-up hooks (done once at load; tests call it again after
// resetting the hooks).
void InstallWindowLayer();
int32_t OpenWindowCount();

// The object as a window when it is one (class Window or a subclass), else nil.
WindowObject* WindowOf(ObjectHeader* object);

}  // namespace windows
