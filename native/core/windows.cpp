// Window classes and windows: registration, creation and destruction, window words and
// properties, text, visibility, geometry and the coordinate conversions.
// Entry points: RegisterClassA, CreateWindowExA, DestroyWindow, SetWindowPos, ShowWindow, ...
#include <algorithm>
#include <cstring>

#include "native/core/state.h"

namespace native {

bool NoCaseLess::operator()(const std::string& a, const std::string& b) const {
  return strcasecmp(a.c_str(), b.c_str()) < 0;
}

bool EqualNoCase(const std::string& a, const std::string& b) {
  return strcasecmp(a.c_str(), b.c_str()) == 0;
}

NativeState& State() {
  static NativeState* state = new NativeState();  // lives until exit; never destroyed
  return *state;
}

HWND Valid(HWND hwnd) {
  if (hwnd && State().windows.count(hwnd)) return hwnd;
  State().lastError = ERROR_INVALID_WINDOW_HANDLE;
  return nullptr;
}

bool IsTopLevel(HWND hwnd) { return !(hwnd->style & WS_CHILD) || !hwnd->parent; }

HWND TopLevelOf(HWND hwnd) {
  while (hwnd && !IsTopLevel(hwnd)) hwnd = hwnd->parent;
  return hwnd;
}

bool ReallyVisible(HWND hwnd) {
  for (; hwnd; hwnd = IsTopLevel(hwnd) ? nullptr : hwnd->parent) {
    if (!(hwnd->style & WS_VISIBLE)) return false;
  }
  return true;
}

namespace {

constexpr int kCaption = 19;
constexpr int kSmallCaption = 15;
constexpr int kMenuBar = 19;

RECT InsetsFor(DWORD style, DWORD exStyle, bool menu, bool topLevel) {
  int border = 0;
  if (style & WS_THICKFRAME) {
    border = 4;
  } else if ((style & WS_DLGFRAME) || (exStyle & WS_EX_DLGMODALFRAME)) {
    border = 3;
  } else if (style & WS_BORDER) {
    border = 1;
  }
  if (exStyle & WS_EX_CLIENTEDGE) border += 2;
  // Child controls draw their own borders inside their rectangle; only captioned children
  // (multiple-document children) get a non-client area.
  if (!topLevel && (style & WS_CAPTION) != WS_CAPTION) return RECT{0, 0, 0, 0};
  int top = border;
  if ((style & WS_CAPTION) == WS_CAPTION) {
    top += (exStyle & WS_EX_TOOLWINDOW) ? kSmallCaption : kCaption;
  }
  if (menu && topLevel) top += kMenuBar;
  return RECT{border, top, border, border};
}

}  // namespace

RECT ClientInsets(HWND hwnd) {
  return InsetsFor(hwnd->style, hwnd->exStyle, hwnd->menu != nullptr, IsTopLevel(hwnd));
}

RECT ClientRect(HWND hwnd) {
  RECT in = ClientInsets(hwnd);
  LONG w = hwnd->rect.right - hwnd->rect.left - in.left - in.right;
  LONG h = hwnd->rect.bottom - hwnd->rect.top - in.top - in.bottom;
  return RECT{0, 0, std::max<LONG>(w, 0), std::max<LONG>(h, 0)};
}

POINT ClientOriginOnScreen(HWND hwnd) {
  RECT in = ClientInsets(hwnd);
  POINT p{hwnd->rect.left + in.left, hwnd->rect.top + in.top};
  if (!IsTopLevel(hwnd)) {
    POINT o = ClientOriginOnScreen(hwnd->parent);
    p.x += o.x;
    p.y += o.y;
  }
  return p;
}

POINT ClientOriginInTopLevel(HWND hwnd) {
  POINT mine = ClientOriginOnScreen(hwnd);
  POINT top = ClientOriginOnScreen(TopLevelOf(hwnd));
  return POINT{mine.x - top.x, mine.y - top.y};
}

HWND DeepestChildAt(HWND parent, POINT pt) {
  for (HWND child : parent->children) {
    const RECT& r = child->rect;
    if (!(child->style & WS_VISIBLE)) continue;
    if (pt.x < r.left || pt.x >= r.right || pt.y < r.top || pt.y >= r.bottom) continue;
    if (child->style & WS_DISABLED) return parent;
    RECT in = ClientInsets(child);
    return DeepestChildAt(child, POINT{pt.x - r.left - in.left, pt.y - r.top - in.top});
  }
  return parent;
}

LRESULT CallProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (!Valid(hwnd) || !hwnd->proc) return 0;
  ++State().procDepth;
  LRESULT result = hwnd->proc(hwnd, msg, wParam, lParam);
  --State().procDepth;
  return result;
}

void NotifyParent(HWND control, WORD code) {
  if (!Valid(control) || !control->parent) return;
  CallProc(control->parent, WM_COMMAND, MAKEWPARAM(control->id, code),
           reinterpret_cast<LPARAM>(control));
}

void FreeGraveyard() {
  auto& s = State();
  if (s.procDepth != 0) return;
  for (HWND dead : s.graveyard) delete dead;
  s.graveyard.clear();
}

namespace {

WindowClass* FindClass(LPCSTR name) {
  RegisterSystemClasses();
  if (!name) return nullptr;
  if (IS_INTRESOURCE(name)) return nullptr;  // atoms are not kept
  auto it = State().classes.find(name);
  return it == State().classes.end() ? nullptr : it->second.get();
}

ATOM AddClass(std::unique_ptr<WindowClass> wc) {
  RegisterSystemClasses();  // the built-in names are taken first
  auto& classes = State().classes;
  if (wc->name.empty()) {
    State().lastError = ERROR_INVALID_PARAMETER;
    return 0;
  }
  if (classes.count(wc->name)) {
    State().lastError = ERROR_CLASS_ALREADY_EXISTS;
    return 0;
  }
  ATOM atom = static_cast<ATOM>(0xC000 + classes.size());
  classes[wc->name] = std::move(wc);
  return atom;
}

bool HasText(LPCSTR text) { return text && !IS_INTRESOURCE(text); }

void RemoveFromList(std::vector<HWND>& list, HWND hwnd) {
  list.erase(std::remove(list.begin(), list.end(), hwnd), list.end());
}

HWND NextToActivate(HWND leaving) {
  auto& s = State();
  HWND owner = leaving ? leaving->owner : nullptr;
  if (owner && Valid(owner) && (owner->style & WS_VISIBLE) && !(owner->style & WS_DISABLED)) {
    return owner;
  }
  for (HWND w : s.topLevels) {
    if (w != leaving && (w->style & WS_VISIBLE) && !w->destroying) return w;
  }
  return nullptr;
}

bool Contains(HWND ancestor, HWND hwnd) {
  for (; hwnd; hwnd = IsTopLevel(hwnd) ? nullptr : hwnd->parent) {
    if (hwnd == ancestor) return true;
  }
  return false;
}

// Focus, capture and activation leave a window that is hidden or destroyed.
void LeaveWindow(HWND hwnd) {
  auto& s = State();
  if (s.capture && Contains(hwnd, s.capture)) ReleaseCapture();
  if (s.focus && Contains(hwnd, s.focus)) {
    if (IsTopLevel(hwnd)) {
      SetFocus(nullptr);
    } else {
      SetFocus(hwnd->parent);
    }
  }
  if (s.active == hwnd) SetActive(NextToActivate(hwnd), WA_ACTIVE);
}

void SendDestroy(HWND hwnd) {
  CallProc(hwnd, WM_DESTROY, 0, 0);
  std::vector<HWND> children = hwnd->children;
  for (HWND child : children) {
    if (Valid(child)) SendDestroy(child);
  }
}

void Unlink(HWND hwnd) {
  auto& s = State();
  std::vector<HWND> children = hwnd->children;
  for (HWND child : children) {
    if (Valid(child)) Unlink(child);
  }
  CallProc(hwnd, WM_NCDESTROY, 0, 0);
  if (IsTopLevel(hwnd)) {
    if (hwnd->menu && s.menus.count(hwnd->menu)) DestroyMenu(hwnd->menu);
    if (HasBackend()) TheBackend().WindowDestroyed(hwnd);
    RemoveFromList(s.topLevels, hwnd);
  } else if (Valid(hwnd->parent)) {
    RemoveFromList(hwnd->parent->children, hwnd);
  }
  s.timers.erase(std::remove_if(s.timers.begin(), s.timers.end(),
                                [hwnd](const Timer& t) { return t.hwnd == hwnd; }),
                 s.timers.end());
  PurgeQueueFor(hwnd);
  s.windows.erase(hwnd);
  s.graveyard.push_back(hwnd);
}

bool PointsDiffer(const RECT& a, const RECT& b) { return a.left != b.left || a.top != b.top; }
bool SizesDiffer(const RECT& a, const RECT& b) {
  return a.right - a.left != b.right - b.left || a.bottom - a.top != b.bottom - b.top;
}

void InvalidateParentArea(HWND hwnd, const RECT& r) {
  if (IsTopLevel(hwnd) || !Valid(hwnd->parent)) return;
  InvalidateRect(hwnd->parent, &r, TRUE);
}

LPARAM MovePoint(HWND hwnd) {
  RECT in = ClientInsets(hwnd);
  return MAKELPARAM(hwnd->rect.left + in.left, hwnd->rect.top + in.top);
}

void RaiseInList(std::vector<HWND>& list, HWND hwnd) {
  RemoveFromList(list, hwnd);
  list.insert(list.begin(), hwnd);
}

}  // namespace

void InvalidateAll(HWND hwnd, bool erase) { InvalidateRect(hwnd, nullptr, erase); }

void SetActive(HWND hwnd, WORD how) {
  auto& s = State();
  if (hwnd == s.active) return;
  HWND old = s.active;
  s.active = hwnd;
  if (old && Valid(old)) {
    CallProc(old, WM_ACTIVATE, MAKEWPARAM(WA_INACTIVE, 0), reinterpret_cast<LPARAM>(hwnd));
  }
  if (!hwnd && s.appActive) {
    s.appActive = false;
    std::vector<HWND> tops = s.topLevels;
    for (HWND w : tops) {
      if (Valid(w)) CallProc(w, WM_ACTIVATEAPP, FALSE, 0);
    }
  }
  if (!hwnd || !Valid(hwnd)) {
    s.active = nullptr;
    if (s.focus) SetFocus(nullptr);
    return;
  }
  if (!s.appActive) {
    s.appActive = true;
    std::vector<HWND> tops = s.topLevels;
    for (HWND w : tops) {
      if (Valid(w)) CallProc(w, WM_ACTIVATEAPP, TRUE, 0);
    }
  }
  if (!Valid(hwnd) || s.active != hwnd) return;
  RaiseInList(s.topLevels, hwnd);
  if (HasBackend()) TheBackend().WindowActivated(hwnd);
  CallProc(hwnd, WM_ACTIVATE, MAKEWPARAM(how, 0), reinterpret_cast<LPARAM>(old));
  // Focus left behind in a window that is no longer active is dropped.
  if (s.focus && Valid(s.focus) && TopLevelOf(s.focus) != s.active) SetFocus(nullptr);
}

void ResetForTests() {
  auto& s = State();
  std::vector<HWND> tops = s.topLevels;
  for (HWND w : tops) {
    if (Valid(w)) DestroyWindow(w);
  }
  std::set<HMENU> menus = s.menus;
  for (HMENU m : menus) DestroyMenu(m);
  for (auto it = s.classes.begin(); it != s.classes.end();) {
    it = it->second->system ? std::next(it) : s.classes.erase(it);
  }
  {
    std::lock_guard<std::mutex> lock(s.queueLock);
    s.queue.clear();
    s.quitPosted = false;
    s.quitCode = 0;
  }
  s.timers.clear();
  s.active = s.focus = s.capture = nullptr;
  s.appActive = false;
  s.keyState = 0;
  FreeGraveyard();
}

}  // namespace native

using namespace native;

ATOM RegisterClassA(const WNDCLASSA* wc) {
  if (!wc || !HasText(wc->lpszClassName) || !wc->lpfnWndProc) {
    State().lastError = ERROR_INVALID_PARAMETER;
    return 0;
  }
  auto cls = std::make_unique<WindowClass>();
  cls->name = wc->lpszClassName;
  cls->style = wc->style;
  cls->proc = wc->lpfnWndProc;
  cls->classExtra = std::max(wc->cbClsExtra, 0);
  cls->windowExtra = std::clamp(wc->cbWndExtra, 0, 40000);
  cls->instance = wc->hInstance;
  cls->icon = wc->hIcon;
  cls->cursor = wc->hCursor;
  cls->background = wc->hbrBackground;
  return AddClass(std::move(cls));
}

ATOM RegisterClassExA(const WNDCLASSEXA* wc) {
  if (!wc) return 0;
  WNDCLASSA plain{wc->style,     wc->lpfnWndProc, wc->cbClsExtra,    wc->cbWndExtra,
                  wc->hInstance, wc->hIcon,       wc->hCursor,       wc->hbrBackground,
                  wc->lpszMenuName, wc->lpszClassName};
  return RegisterClassA(&plain);
}

BOOL UnregisterClassA(LPCSTR className, HINSTANCE) {
  WindowClass* cls = FindClass(className);
  if (!cls || cls->system) return FALSE;
  for (HWND w : State().windows) {
    if (w->cls == cls) return FALSE;  // still in use
  }
  State().classes.erase(cls->name);
  return TRUE;
}

BOOL GetClassInfoA(HINSTANCE, LPCSTR className, WNDCLASSA* wc) {
  WindowClass* cls = FindClass(className);
  if (!cls || !wc) return FALSE;
  *wc = WNDCLASSA{cls->style,    cls->proc,   cls->classExtra, cls->windowExtra,
                  cls->instance, cls->icon,   cls->cursor,     cls->background,
                  nullptr,       cls->name.c_str()};
  return TRUE;
}

int GetClassNameA(HWND hwnd, LPSTR buffer, int size) {
  if (!Valid(hwnd) || !buffer || size <= 0) return 0;
  int n = std::min<int>(hwnd->className.size(), size - 1);
  std::memcpy(buffer, hwnd->className.data(), n);
  buffer[n] = 0;
  return n;
}

HWND CreateWindowExA(DWORD exStyle, LPCSTR className, LPCSTR windowName, DWORD style, int x,
                     int y, int width, int height, HWND parent, HMENU menuOrId,
                     HINSTANCE instance, LPVOID param) {
  auto& s = State();
  RegisterSystemClasses();
  WindowClass* cls = FindClass(className);
  if (!cls) {
    s.lastError = ERROR_CANNOT_FIND_WND_CLASS;
    return nullptr;
  }
  bool child = (style & WS_CHILD) != 0;
  if (child && !Valid(parent)) return nullptr;
  if (!child && parent && !Valid(parent)) return nullptr;
  if (x == CW_USEDEFAULT) x = y = 20;
  if (width == CW_USEDEFAULT) {
    width = 640;
    height = 480;
  }
  HWND w = new HWND__();
  w->cls = cls;
  w->className = cls->name;
  w->text = HasText(windowName) ? windowName : "";
  w->style = style & ~WS_VISIBLE;
  w->exStyle = exStyle;
  w->proc = cls->proc;
  w->extra.assign((cls->windowExtra + 3) / 4, 0);
  w->instance = instance;
  w->rect = RECT{x, y, x + std::max(width, 0), y + std::max(height, 0)};
  if (child) {
    w->parent = parent;
    w->id = static_cast<LONG>(reinterpret_cast<uintptr_t>(menuOrId));
    parent->children.push_back(w);
  } else {
    w->owner = parent ? TopLevelOf(parent) : nullptr;
    w->menu = (menuOrId && s.menus.count(menuOrId)) ? menuOrId : nullptr;
    s.topLevels.insert(s.topLevels.begin(), w);
  }
  s.windows.insert(w);
  if (!child) TheBackend().WindowCreated(w);  // the first window selects the backend

  CREATESTRUCTA cs{param, instance, menuOrId, parent, height, width, y, x,
                   static_cast<LONG>(style), windowName, className, exStyle};
  LPARAM csParam = reinterpret_cast<LPARAM>(&cs);
  if (!CallProc(w, WM_NCCREATE, 0, csParam) || !Valid(w) ||
      CallProc(w, WM_CREATE, 0, csParam) == -1 || !Valid(w)) {
    if (Valid(w)) DestroyWindow(w);
    return nullptr;
  }
  RECT client = ClientRect(w);
  CallProc(w, WM_SIZE, SIZE_RESTORED, MAKELPARAM(client.right, client.bottom));
  if (Valid(w)) CallProc(w, WM_MOVE, 0, MovePoint(w));
  if (Valid(w) && (style & WS_VISIBLE)) ShowWindow(w, SW_SHOW);
  return Valid(w);
}

BOOL DestroyWindow(HWND hwnd) {
  auto& s = State();
  if (!Valid(hwnd) || hwnd->destroying) return FALSE;
  hwnd->destroying = true;
  if (IsTopLevel(hwnd)) {
    std::vector<HWND> owned;
    for (HWND w : s.topLevels) {
      if (w->owner == hwnd) owned.push_back(w);
    }
    for (HWND w : owned) {
      if (Valid(w)) DestroyWindow(w);
    }
  }
  if (hwnd->style & WS_VISIBLE) ShowWindow(hwnd, SW_HIDE);
  LeaveWindow(hwnd);
  SendDestroy(hwnd);
  Unlink(hwnd);
  FreeGraveyard();
  return TRUE;
}

BOOL IsWindow(HWND hwnd) { return hwnd && State().windows.count(hwnd) ? TRUE : FALSE; }

BOOL IsChild(HWND parent, HWND hwnd) {
  if (!Valid(parent) || !Valid(hwnd) || parent == hwnd) return FALSE;
  return Contains(parent, hwnd) ? TRUE : FALSE;
}

HWND GetParent(HWND hwnd) {
  if (!Valid(hwnd)) return nullptr;
  return IsTopLevel(hwnd) ? hwnd->owner : hwnd->parent;
}

HWND SetParent(HWND hwnd, HWND newParent) {
  if (!Valid(hwnd) || IsTopLevel(hwnd) || !Valid(newParent) || Contains(hwnd, newParent)) {
    return nullptr;
  }
  HWND old = hwnd->parent;
  RemoveFromList(old->children, hwnd);
  hwnd->parent = newParent;
  newParent->children.push_back(hwnd);
  InvalidateAll(old, true);
  InvalidateAll(newParent, true);
  return old;
}

HWND GetWindow(HWND hwnd, UINT cmd) {
  if (!Valid(hwnd)) return nullptr;
  const std::vector<HWND>& siblings =
      IsTopLevel(hwnd) ? State().topLevels : hwnd->parent->children;
  auto it = std::find(siblings.begin(), siblings.end(), hwnd);
  switch (cmd) {
    case GW_HWNDFIRST: return siblings.empty() ? nullptr : siblings.front();
    case GW_HWNDLAST: return siblings.empty() ? nullptr : siblings.back();
    case GW_HWNDNEXT: return (it == siblings.end() || it + 1 == siblings.end()) ? nullptr : *(it + 1);
    case GW_HWNDPREV: return (it == siblings.begin() || it == siblings.end()) ? nullptr : *(it - 1);
    case GW_OWNER: return IsTopLevel(hwnd) ? hwnd->owner : nullptr;
    case GW_CHILD: return hwnd->children.empty() ? nullptr : hwnd->children.front();
    default: return nullptr;
  }
}

HWND GetAncestor(HWND hwnd, UINT flags) {
  if (!Valid(hwnd)) return nullptr;
  switch (flags) {
    case GA_PARENT: return IsTopLevel(hwnd) ? nullptr : hwnd->parent;
    case GA_ROOT: return TopLevelOf(hwnd);
    case GA_ROOTOWNER: {
      HWND root = TopLevelOf(hwnd);
      while (root->owner && Valid(root->owner)) root = root->owner;
      return root;
    }
    default: return nullptr;
  }
}

HWND GetDesktopWindow() { return nullptr; }

HWND FindWindowA(LPCSTR className, LPCSTR windowName) {
  for (HWND w : State().topLevels) {
    if (HasText(className) && !EqualNoCase(w->className, className)) continue;
    if (HasText(windowName) && w->text != windowName) continue;
    return w;
  }
  return nullptr;
}

HWND GetDlgItem(HWND parent, int id) {
  if (!Valid(parent)) return nullptr;
  for (HWND child : parent->children) {
    if (child->id == id) return child;
  }
  return nullptr;
}

int GetDlgCtrlID(HWND hwnd) { return Valid(hwnd) ? hwnd->id : 0; }

LONG GetWindowLongA(HWND hwnd, int index) {
  if (!Valid(hwnd)) return 0;
  switch (index) {
    case GWL_WNDPROC: return static_cast<LONG>(reinterpret_cast<uintptr_t>(hwnd->proc));
    case GWL_HINSTANCE: return static_cast<LONG>(reinterpret_cast<uintptr_t>(hwnd->instance));
    case GWL_HWNDPARENT:
      return static_cast<LONG>(reinterpret_cast<uintptr_t>(GetParent(hwnd)));
    case GWL_STYLE: return static_cast<LONG>(hwnd->style);
    case GWL_EXSTYLE: return static_cast<LONG>(hwnd->exStyle);
    case GWL_USERDATA: return hwnd->userData;
    case GWL_ID: return hwnd->id;
    default: break;
  }
  if (index < 0 || index % 4 != 0 || static_cast<size_t>(index / 4) >= hwnd->extra.size()) {
    State().lastError = ERROR_INVALID_PARAMETER;
    return 0;
  }
  return hwnd->extra[index / 4];
}

LONG SetWindowLongA(HWND hwnd, int index, LONG value) {
  if (!Valid(hwnd)) return 0;
  LONG old = GetWindowLongA(hwnd, index);
  switch (index) {
    case GWL_WNDPROC:
      if (value) hwnd->proc = reinterpret_cast<WNDPROC>(static_cast<uintptr_t>(value));
      return old;
    case GWL_STYLE: {
      DWORD visible = hwnd->style & WS_VISIBLE;
      hwnd->style = (static_cast<DWORD>(value) & ~WS_VISIBLE) | visible;
      return old;
    }
    case GWL_EXSTYLE: hwnd->exStyle = static_cast<DWORD>(value); return old;
    case GWL_USERDATA: hwnd->userData = value; return old;
    case GWL_ID: hwnd->id = value; return old;
    case GWL_HINSTANCE:
    case GWL_HWNDPARENT: return old;
    default: break;
  }
  if (index < 0 || index % 4 != 0 || static_cast<size_t>(index / 4) >= hwnd->extra.size()) {
    return 0;
  }
  hwnd->extra[index / 4] = value;
  return old;
}

DWORD GetClassLongA(HWND hwnd, int index) {
  if (!Valid(hwnd)) return 0;
  const WindowClass& cls = *hwnd->cls;
  switch (index) {
    case GCL_STYLE: return cls.style;
    case GCL_WNDPROC: return static_cast<DWORD>(reinterpret_cast<uintptr_t>(cls.proc));
    case GCL_CBWNDEXTRA: return static_cast<DWORD>(cls.windowExtra);
    case GCL_HBRBACKGROUND: return static_cast<DWORD>(reinterpret_cast<uintptr_t>(cls.background));
    default: State().lastError = ERROR_INVALID_PARAMETER; return 0;
  }
}

BOOL SetPropA(HWND hwnd, LPCSTR name, HANDLE data) {
  if (!Valid(hwnd) || !HasText(name)) return FALSE;
  hwnd->props[name] = data;
  return TRUE;
}

HANDLE GetPropA(HWND hwnd, LPCSTR name) {
  if (!Valid(hwnd) || !HasText(name)) return nullptr;
  auto it = hwnd->props.find(name);
  return it == hwnd->props.end() ? nullptr : it->second;
}

HANDLE RemovePropA(HWND hwnd, LPCSTR name) {
  if (!Valid(hwnd) || !HasText(name)) return nullptr;
  auto it = hwnd->props.find(name);
  if (it == hwnd->props.end()) return nullptr;
  HANDLE data = it->second;
  hwnd->props.erase(it);
  return data;
}

BOOL SetWindowTextA(HWND hwnd, LPCSTR text) {
  if (!Valid(hwnd)) return FALSE;
  return CallProc(hwnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text ? text : "")) ? TRUE
                                                                                  : FALSE;
}

int GetWindowTextA(HWND hwnd, LPSTR buffer, int size) {
  if (!Valid(hwnd) || !buffer || size <= 0) return 0;
  return static_cast<int>(CallProc(hwnd, WM_GETTEXT, size, reinterpret_cast<LPARAM>(buffer)));
}

int GetWindowTextLengthA(HWND hwnd) {
  return Valid(hwnd) ? static_cast<int>(CallProc(hwnd, WM_GETTEXTLENGTH, 0, 0)) : 0;
}

BOOL ShowWindow(HWND hwnd, int cmd) {
  auto& s = State();
  if (!Valid(hwnd)) return FALSE;
  bool was = (hwnd->style & WS_VISIBLE) != 0;
  bool show = cmd != SW_HIDE;
  if (show != was) {
    CallProc(hwnd, WM_SHOWWINDOW, show ? TRUE : FALSE, 0);
    if (!Valid(hwnd)) return was;
    RECT before = hwnd->rect;
    if (show) {
      hwnd->style |= WS_VISIBLE;
      InvalidateAll(hwnd, true);
    } else {
      hwnd->style &= ~WS_VISIBLE;
      hwnd->hasInvalid = false;
      InvalidateParentArea(hwnd, before);
    }
    if (IsTopLevel(hwnd) && HasBackend()) TheBackend().WindowShown(hwnd, show);
  }
  if (!show) {
    LeaveWindow(hwnd);
    return was;
  }
  bool activate = cmd != SW_SHOWNA && cmd != SW_SHOWNOACTIVATE && cmd != SW_SHOWMINNOACTIVE &&
                  cmd != SW_MINIMIZE;
  if (IsTopLevel(hwnd) && activate && !(hwnd->style & WS_DISABLED)) {
    RaiseInList(s.topLevels, hwnd);
    SetActive(hwnd, WA_ACTIVE);
  }
  return was;
}

BOOL IsWindowVisible(HWND hwnd) { return Valid(hwnd) && ReallyVisible(hwnd) ? TRUE : FALSE; }
BOOL IsIconic(HWND) { return FALSE; }
BOOL IsZoomed(HWND) { return FALSE; }

BOOL EnableWindow(HWND hwnd, BOOL enable) {
  if (!Valid(hwnd)) return FALSE;
  BOOL wasDisabled = (hwnd->style & WS_DISABLED) ? TRUE : FALSE;
  if (bool(enable) == !wasDisabled) return wasDisabled;
  if (enable) {
    hwnd->style &= ~WS_DISABLED;
  } else {
    hwnd->style |= WS_DISABLED;
    auto& s = State();
    if (s.focus && Contains(hwnd, s.focus)) SetFocus(nullptr);
    if (s.capture && Contains(hwnd, s.capture)) ReleaseCapture();
  }
  CallProc(hwnd, WM_ENABLE, enable ? TRUE : FALSE, 0);
  if (Valid(hwnd)) InvalidateAll(hwnd, true);
  return wasDisabled;
}

BOOL IsWindowEnabled(HWND hwnd) {
  return Valid(hwnd) && !(hwnd->style & WS_DISABLED) ? TRUE : FALSE;
}

BOOL MoveWindow(HWND hwnd, int x, int y, int width, int height, BOOL repaint) {
  UINT flags = SWP_NOZORDER | SWP_NOACTIVATE | (repaint ? 0 : SWP_NOREDRAW);
  return SetWindowPos(hwnd, nullptr, x, y, width, height, flags);
}

BOOL SetWindowPos(HWND hwnd, HWND insertAfter, int x, int y, int cx, int cy, UINT flags) {
  auto& s = State();
  if (!Valid(hwnd)) return FALSE;
  RECT old = hwnd->rect;
  RECT now = old;
  if (!(flags & SWP_NOMOVE)) {
    now = RECT{x, y, x + (old.right - old.left), y + (old.bottom - old.top)};
  }
  if (!(flags & SWP_NOSIZE)) {
    now.right = now.left + std::max(cx, 0);
    now.bottom = now.top + std::max(cy, 0);
  }
  bool moved = PointsDiffer(old, now);
  bool sized = SizesDiffer(old, now);
  hwnd->rect = now;
  if ((moved || sized) && !(flags & SWP_NOREDRAW) && (hwnd->style & WS_VISIBLE)) {
    InvalidateParentArea(hwnd, old);
    InvalidateAll(hwnd, true);
  }
  if (!(flags & SWP_NOZORDER)) {
    std::vector<HWND>& list = IsTopLevel(hwnd) ? s.topLevels : hwnd->parent->children;
    if (insertAfter == HWND_BOTTOM) {
      RemoveFromList(list, hwnd);
      list.push_back(hwnd);
    } else if (insertAfter == HWND_TOP || insertAfter == HWND_TOPMOST ||
               insertAfter == HWND_NOTOPMOST) {
      RaiseInList(list, hwnd);
    } else if (Valid(insertAfter) && insertAfter != hwnd) {
      RemoveFromList(list, hwnd);
      auto it = std::find(list.begin(), list.end(), insertAfter);
      list.insert(it == list.end() ? list.end() : it + 1, hwnd);
    }
    if (insertAfter == HWND_TOPMOST) hwnd->exStyle |= WS_EX_TOPMOST;
    if (insertAfter == HWND_NOTOPMOST) hwnd->exStyle &= ~WS_EX_TOPMOST;
  }
  if (moved) CallProc(hwnd, WM_MOVE, 0, MovePoint(hwnd));
  if (sized && Valid(hwnd)) {
    RECT client = ClientRect(hwnd);
    CallProc(hwnd, WM_SIZE, SIZE_RESTORED, MAKELPARAM(client.right, client.bottom));
  }
  if (!Valid(hwnd)) return TRUE;
  if ((moved || sized) && HasBackend()) TheBackend().WindowGeometryChanged(TopLevelOf(hwnd));
  if (flags & SWP_SHOWWINDOW) ShowWindow(hwnd, (flags & SWP_NOACTIVATE) ? SW_SHOWNA : SW_SHOW);
  if (flags & SWP_HIDEWINDOW) ShowWindow(hwnd, SW_HIDE);
  if (Valid(hwnd) && IsTopLevel(hwnd) && !(flags & (SWP_NOACTIVATE | SWP_NOZORDER)) &&
      (hwnd->style & WS_VISIBLE) && insertAfter == HWND_TOP) {
    SetActive(hwnd, WA_ACTIVE);
  }
  return TRUE;
}

BOOL BringWindowToTop(HWND hwnd) {
  return SetWindowPos(hwnd, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
}

BOOL GetClientRect(HWND hwnd, LPRECT rect) {
  if (!Valid(hwnd) || !rect) return FALSE;
  *rect = ClientRect(hwnd);
  return TRUE;
}

BOOL GetWindowRect(HWND hwnd, LPRECT rect) {
  if (!Valid(hwnd) || !rect) return FALSE;
  RECT r = hwnd->rect;
  if (!IsTopLevel(hwnd)) {
    POINT o = ClientOriginOnScreen(hwnd->parent);
    r = RECT{r.left + o.x, r.top + o.y, r.right + o.x, r.bottom + o.y};
  }
  *rect = r;
  return TRUE;
}

BOOL AdjustWindowRectEx(LPRECT rect, DWORD style, BOOL menu, DWORD exStyle) {
  if (!rect) return FALSE;
  RECT in = InsetsFor(style, exStyle, menu != FALSE, !(style & WS_CHILD));
  rect->left -= in.left;
  rect->top -= in.top;
  rect->right += in.right;
  rect->bottom += in.bottom;
  return TRUE;
}

BOOL AdjustWindowRect(LPRECT rect, DWORD style, BOOL menu) {
  return AdjustWindowRectEx(rect, style, menu, 0);
}

BOOL ClientToScreen(HWND hwnd, LPPOINT point) {
  if (!Valid(hwnd) || !point) return FALSE;
  POINT o = ClientOriginOnScreen(hwnd);
  point->x += o.x;
  point->y += o.y;
  return TRUE;
}

BOOL ScreenToClient(HWND hwnd, LPPOINT point) {
  if (!Valid(hwnd) || !point) return FALSE;
  POINT o = ClientOriginOnScreen(hwnd);
  point->x -= o.x;
  point->y -= o.y;
  return TRUE;
}

int MapWindowPoints(HWND from, HWND to, LPPOINT points, UINT count) {
  POINT a = from && Valid(from) ? ClientOriginOnScreen(from) : POINT{0, 0};
  POINT b = to && Valid(to) ? ClientOriginOnScreen(to) : POINT{0, 0};
  LONG dx = a.x - b.x;
  LONG dy = a.y - b.y;
  for (UINT i = 0; points && i < count; ++i) {
    points[i].x += dx;
    points[i].y += dy;
  }
  return MAKELONG(static_cast<SHORT>(dx), static_cast<SHORT>(dy));
}

HWND WindowFromPoint(POINT point) {
  HWND top = TheBackend().TopLevelAt(point);
  if (!Valid(top)) return nullptr;
  POINT o = ClientOriginOnScreen(top);
  RECT client = ClientRect(top);
  POINT local{point.x - o.x, point.y - o.y};
  if (local.x < 0 || local.y < 0 || local.x >= client.right || local.y >= client.bottom) {
    return top;
  }
  return DeepestChildAt(top, local);
}

HWND ChildWindowFromPoint(HWND parent, POINT point) {
  if (!Valid(parent)) return nullptr;
  RECT client = ClientRect(parent);
  if (point.x < 0 || point.y < 0 || point.x >= client.right || point.y >= client.bottom) {
    return nullptr;
  }
  for (HWND child : parent->children) {
    const RECT& r = child->rect;
    if (point.x >= r.left && point.x < r.right && point.y >= r.top && point.y < r.bottom) {
      return child;
    }
  }
  return parent;
}

HWND GetActiveWindow() { return State().active; }
HWND GetForegroundWindow() { return State().active; }

HWND SetActiveWindow(HWND hwnd) {
  HWND old = State().active;
  if (hwnd && !Valid(hwnd)) return nullptr;
  SetActive(hwnd ? TopLevelOf(hwnd) : nullptr, WA_ACTIVE);
  return old;
}

BOOL SetForegroundWindow(HWND hwnd) {
  if (!Valid(hwnd)) return FALSE;
  SetActive(TopLevelOf(hwnd), WA_ACTIVE);
  return TRUE;
}

HWND GetFocus() { return State().focus; }

HWND SetFocus(HWND hwnd) {
  auto& s = State();
  HWND old = s.focus;
  if (hwnd) {
    if (!Valid(hwnd) || (hwnd->style & WS_DISABLED)) return nullptr;
    HWND top = TopLevelOf(hwnd);
    if (top != s.active) {
      SetActive(top, WA_ACTIVE);
      if (!Valid(hwnd) || s.active != top) return nullptr;
      old = s.focus;
    }
  }
  if (old == hwnd) return old;
  s.focus = hwnd;
  if (old && Valid(old)) CallProc(old, WM_KILLFOCUS, reinterpret_cast<WPARAM>(hwnd), 0);
  if (hwnd && Valid(hwnd) && s.focus == hwnd) {
    CallProc(hwnd, WM_SETFOCUS, reinterpret_cast<WPARAM>(old), 0);
  }
  return old;
}

HWND GetCapture() { return State().capture; }

HWND SetCapture(HWND hwnd) {
  auto& s = State();
  HWND old = s.capture;
  if (hwnd && !Valid(hwnd)) return nullptr;
  s.capture = hwnd;
  if (old && old != hwnd && Valid(old)) {
    CallProc(old, WM_CAPTURECHANGED, 0, reinterpret_cast<LPARAM>(hwnd));
  }
  return old;
}

BOOL ReleaseCapture() {
  auto& s = State();
  HWND old = s.capture;
  s.capture = nullptr;
  if (old && Valid(old)) CallProc(old, WM_CAPTURECHANGED, 0, 0);
  return TRUE;
}
