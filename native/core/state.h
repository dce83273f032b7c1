// The window manager's records: window classes, windows (the objects behind HWND), menus,
// GDI objects and device contexts, and the process-wide state that ties them together.
// Everything here belongs to the user-interface thread except the message queue, which has
// its own lock (native/core/messages.cpp). Entry point: State().
#pragma once

#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "native/core/backend.h"
#include "native/win32.h"

namespace native {

// Per-control state of the built-in control classes (native/controls/).
struct ControlData {
  virtual ~ControlData() = default;
};

// Names of classes and properties compare ignoring ASCII case, as the system's do.
struct NoCaseLess {
  bool operator()(const std::string& a, const std::string& b) const;
};
bool EqualNoCase(const std::string& a, const std::string& b);

struct WindowClass {
  std::string name;
  UINT style = 0;
  WNDPROC proc = nullptr;
  int classExtra = 0;
  int windowExtra = 0;
  HINSTANCE instance = nullptr;
  HICON icon = nullptr;
  HCURSOR cursor = nullptr;
  HBRUSH background = nullptr;
  bool system = false;  // BUTTON, RichEdit, ...: survive ResetForTests
};

}  // namespace native

// The object behind a window handle. Invariants: a live window is in State().windows; a
// child has parent set and appears once in parent->children (top of z-order first); a
// top-level window appears once in State().topLevels (top first); rect is the window
// rectangle in the parent's client coordinates (screen coordinates for top-level windows).
struct HWND__ {
  native::WindowClass* cls = nullptr;
  std::string className;
  std::string text;  // Windows-1252
  DWORD style = 0;
  DWORD exStyle = 0;
  HWND parent = nullptr;
  HWND owner = nullptr;
  std::vector<HWND> children;
  RECT rect{};
  WNDPROC proc = nullptr;
  std::vector<LONG> extra;
  LONG userData = 0;
  LONG id = 0;
  HINSTANCE instance = nullptr;
  HMENU menu = nullptr;  // menu bar of a top-level window
  std::map<std::string, HANDLE, native::NoCaseLess> props;
  bool hasInvalid = false;
  bool eraseNeeded = false;
  RECT invalid{};  // client coordinates
  bool destroying = false;
  HFONT font = nullptr;
  std::unique_ptr<native::ControlData> control;
  void* backendData = nullptr;
};

namespace native {

struct MenuItem {
  UINT flags = 0;  // MF_GRAYED, MF_DISABLED, MF_CHECKED, MF_SEPARATOR, MF_POPUP
  UINT id = 0;
  HMENU popup = nullptr;
  std::string text;  // Windows-1252, "&" marks and "\t" shortcut suffix as given
};

}  // namespace native

struct HMENU__ {
  bool isPopup = false;
  std::vector<native::MenuItem> items;
};

namespace native {

enum class GdiKind { kBrush, kPen, kFont, kPalette };

}  // namespace native

struct HGDIOBJ__ {
  native::GdiKind kind = native::GdiKind::kBrush;
  COLORREF color = 0;
  bool hollow = false;
  int penWidth = 1;
  LOGFONTA font{};
  bool stock = false;
};

struct HDC__ {
  HWND hwnd = nullptr;
  HWND topLevel = nullptr;
  POINT origin{};  // hwnd's client origin in the top-level's client coordinates
  RECT clip{};     // top-level client coordinates
  HBRUSH brush = nullptr;
  HPEN pen = nullptr;
  HFONT font = nullptr;
  COLORREF textColor = 0;
  COLORREF bkColor = 0xFFFFFF;
  int bkMode = OPAQUE;
  UINT textAlign = 0;
  POINT current{};
  bool drawing = false;
  std::vector<RECT> savedClips;
};

namespace native {

struct QueuedMessage {
  MSG msg{};
  uint32_t keyState = 0;  // kKey* bits at the time the input happened
};

// Modifier and button state carried with each input message.
constexpr uint32_t kKeyShift = 1;
constexpr uint32_t kKeyControl = 2;
constexpr uint32_t kKeyAlt = 4;
constexpr uint32_t kKeyLeftButton = 8;
constexpr uint32_t kKeyRightButton = 16;

struct Timer {
  HWND hwnd = nullptr;
  UINT_PTR id = 0;
  UINT elapse = 0;
  DWORD due = 0;
};

struct NativeState {
  std::map<std::string, std::unique_ptr<WindowClass>, NoCaseLess> classes;
  std::set<HWND> windows;
  std::vector<HWND> topLevels;  // z-order, top first
  std::vector<HWND> graveyard;  // destroyed, freed when no window procedure runs
  std::set<HMENU> menus;
  std::set<HGDIOBJ> gdiObjects;
  std::set<HDC> dcs;
  HWND active = nullptr;
  HWND focus = nullptr;
  HWND capture = nullptr;
  bool appActive = false;
  int procDepth = 0;

  std::mutex queueLock;
  std::deque<QueuedMessage> queue;
  bool quitPosted = false;
  int quitCode = 0;
  std::vector<Timer> timers;

  uint32_t keyState = 0;  // as of the message last retrieved
  MSG lastMessage{};
  DWORD lastError = 0;
};

NativeState& State();

// Window helpers shared by the core's files.
HWND Valid(HWND hwnd);  // hwnd when it is a live window, else null (and sets the last error)
HWND TopLevelOf(HWND hwnd);
bool IsTopLevel(HWND hwnd);
bool ReallyVisible(HWND hwnd);  // this window and every ancestor visible
RECT ClientInsets(HWND hwnd);   // non-client thickness on each side
RECT ClientRect(HWND hwnd);     // (0, 0, width, height)
POINT ClientOriginOnScreen(HWND hwnd);
POINT ClientOriginInTopLevel(HWND hwnd);
HWND DeepestChildAt(HWND parent, POINT clientPoint);  // visible, enabled descendants
LRESULT CallProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
void NotifyParent(HWND control, WORD code);  // WM_COMMAND(id, code) to the parent
void SetActive(HWND hwnd, WORD how);
void InvalidateAll(HWND hwnd, bool erase);
void PurgeQueueFor(HWND hwnd);
void FreeGraveyard();
void RegisterSystemClasses();
// Tests: destroys every window, menu and GDI object and empties the queue.
void ResetForTests();

// Font of a device context or window as the backend understands it.
FontRequest FontFromHandle(HFONT font);

}  // namespace native
