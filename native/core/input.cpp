// Input from the backend turned into queued messages, as the system does it: mouse
// activation of an inactive window, capture, client coordinates, key state with each
// message. Entry points: InputPointer, InputKey, ChooseMenuItem (native/core/input.h).
#include "native/core/input.h"

#include <cstdlib>

namespace native {
namespace {

uint32_t gButtons = 0;  // kKeyLeftButton / kKeyRightButton currently held
uint32_t gModifiers = 0;

WPARAM MouseKeys() {
  WPARAM keys = 0;
  if (gButtons & kKeyLeftButton) keys |= MK_LBUTTON;
  if (gButtons & kKeyRightButton) keys |= MK_RBUTTON;
  if (gModifiers & kKeyShift) keys |= MK_SHIFT;
  if (gModifiers & kKeyControl) keys |= MK_CONTROL;
  return keys;
}

UINT MessageFor(PointerAction action) {
  switch (action) {
    case PointerAction::kMove: return WM_MOUSEMOVE;
    case PointerAction::kLeftDown: return WM_LBUTTONDOWN;
    case PointerAction::kLeftUp: return WM_LBUTTONUP;
    case PointerAction::kRightDown: return WM_RBUTTONDOWN;
    case PointerAction::kRightUp: return WM_RBUTTONUP;
  }
  return WM_NULL;
}

void TrackButtons(PointerAction action) {
  if (action == PointerAction::kLeftDown) gButtons |= kKeyLeftButton;
  if (action == PointerAction::kLeftUp) gButtons &= ~kKeyLeftButton;
  if (action == PointerAction::kRightDown) gButtons |= kKeyRightButton;
  if (action == PointerAction::kRightUp) gButtons &= ~kKeyRightButton;
}

// Activates the clicked window's top-level window; false when the click is eaten.
bool MouseActivate(HWND target, UINT msg) {
  HWND top = TopLevelOf(target);
  if (top == State().active) return true;
  LRESULT r = SendMessageA(target, WM_MOUSEACTIVATE, reinterpret_cast<WPARAM>(top),
                           MAKELPARAM(HTCLIENT, msg));
  if (!IsWindow(target)) return false;
  if (r == MA_ACTIVATE || r == MA_ACTIVATEANDEAT || r == 0) SetActive(top, WA_CLICKACTIVE);
  return r != MA_ACTIVATEANDEAT && r != MA_NOACTIVATEANDEAT;
}

// A second left press on the same window within the double-click time and a few pixels of
// the first is a double click for classes that ask for them.
UINT DoubleClickFor(HWND target, UINT msg, POINT screen) {
  static HWND lastWindow = nullptr;
  static DWORD lastTime = 0;
  static POINT lastPoint{};
  if (msg != WM_LBUTTONDOWN) return msg;
  DWORD now = GetTickCount();
  bool twice = target == lastWindow && now - lastTime <= GetDoubleClickTime() &&
               std::abs(screen.x - lastPoint.x) <= 2 && std::abs(screen.y - lastPoint.y) <= 2;
  lastWindow = twice ? nullptr : target;
  lastTime = now;
  lastPoint = screen;
  return twice && (target->cls->style & CS_DBLCLKS) ? WM_LBUTTONDBLCLK : msg;
}

// The window the pointer's messages go to: the capture, else the one under the pointer.
HWND PointerTarget(POINT screen) {
  auto& s = State();
  return s.capture && IsWindow(s.capture) ? s.capture : WindowFromPoint(screen);
}

}  // namespace

POINT PointerPosition() { return TheBackend().CursorPos(); }

void InputPointer(PointerAction action, POINT screen) {
  TrackButtons(action);
  HWND target = PointerTarget(screen);
  if (!target) return;
  UINT msg = MessageFor(action);
  bool press = action == PointerAction::kLeftDown || action == PointerAction::kRightDown;
  if (press && !State().capture) {
    if (!MouseActivate(target, msg)) return;
    // The press that activated the window is delivered too, to what is under the pointer
    // now: activation may have raised the window or enabled the control there.
    target = PointerTarget(screen);
    if (!target) return;
  }
  msg = DoubleClickFor(target, msg, screen);
  POINT local = screen;
  ScreenToClient(target, &local);
  PostInput(target, msg, MouseKeys(),
            MAKELPARAM(static_cast<SHORT>(local.x), static_cast<SHORT>(local.y)),
            gModifiers | gButtons);
}

void InputWheel(int notches, POINT screen) {
  HWND target = KeyTarget();
  if (!target) target = WindowFromPoint(screen);
  if (!target || notches == 0) return;
  auto delta = static_cast<SHORT>(notches * WHEEL_DELTA);
  PostInput(target, WM_MOUSEWHEEL, MAKEWPARAM(static_cast<WORD>(MouseKeys()), static_cast<WORD>(delta)),
            MAKELPARAM(static_cast<SHORT>(screen.x), static_cast<SHORT>(screen.y)),
            gModifiers | gButtons);
}

HWND KeyTarget() {
  auto& s = State();
  if (s.focus && IsWindow(s.focus)) return s.focus;
  return s.active && IsWindow(s.active) ? s.active : nullptr;
}

void InputKey(int virtualKey, bool down, char ch, uint32_t modifiers) {
  gModifiers = modifiers;
  HWND target = KeyTarget();
  if (!target) return;
  bool alt = (modifiers & kKeyAlt) != 0 && !(modifiers & kKeyControl);
  UINT msg = down ? (alt ? WM_SYSKEYDOWN : WM_KEYDOWN) : (alt ? WM_SYSKEYUP : WM_KEYUP);
  DWORD lParam = 1 | (static_cast<DWORD>(static_cast<uint8_t>(ch)) << 16);
  if (!down) lParam |= 0xC0000000u;
  if (alt) lParam |= 0x20000000u;
  PostInput(target, msg, static_cast<WPARAM>(virtualKey), static_cast<LPARAM>(lParam),
            modifiers | gButtons);
}

void InputKeyPress(int virtualKey, char ch, uint32_t modifiers) {
  uint32_t held = 0;
  const std::pair<uint32_t, int> mods[] = {
      {kKeyControl, VK_CONTROL}, {kKeyShift, VK_SHIFT}, {kKeyAlt, VK_MENU}};
  for (auto [bit, vk] : mods) {
    if (!(modifiers & bit)) continue;
    held |= bit;
    InputKey(vk, true, 0, held);
  }
  InputKey(virtualKey, true, ch, modifiers);
  InputKey(virtualKey, false, 0, modifiers);
  for (auto [bit, vk] : mods) {
    if (!(modifiers & bit)) continue;
    held &= ~bit;
    InputKey(vk, false, 0, held);
  }
  gModifiers = 0;
}

std::string ChooseMenuItem(HWND window, const std::vector<int>& positions) {
  if (!IsWindow(window)) return "no such window";
  HMENU bar = GetMenu(window);
  if (!bar) return "the window has no menu bar";
  SendMessageA(window, WM_INITMENU, reinterpret_cast<WPARAM>(bar), 0);
  HMENU menu = GetMenu(window);
  for (size_t i = 0; i < positions.size(); ++i) {
    if (!menu || !IsWindow(window)) return "the menu went away";
    int pos = positions[i];
    UINT state = GetMenuState(menu, pos, MF_BYPOSITION);
    if (state == 0xFFFFFFFFu) return "no such item";
    if (state & (MF_GRAYED | MF_DISABLED)) return "item is disabled";
    if (i + 1 == positions.size()) {
      if (state & MF_POPUP) return "item opens a submenu";
      if (state & MF_SEPARATOR) return "item is a separator";
      PostMessageA(window, WM_COMMAND, MAKEWPARAM(GetMenuItemID(menu, pos), 0), 0);
      return "";
    }
    HMENU sub = GetSubMenu(menu, pos);
    if (!sub) return "no such submenu";
    SendMessageA(window, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(sub),
                 MAKELPARAM(pos, FALSE));
    menu = sub;
  }
  return "empty menu path";
}

void RequestClose(HWND window) {
  if (IsWindow(window)) PostInput(window, WM_CLOSE, 0, 0, 0);
}

RECT UserMovedWindow(HWND window, RECT clientOnScreen, bool sizing) {
  if (!IsWindow(window)) return clientOnScreen;
  RECT outer = clientOnScreen;
  AdjustWindowRectEx(&outer, window->style, window->menu != nullptr, window->exStyle);
  if (sizing) {
    SendMessageA(window, WM_SIZING, WMSZ_BOTTOMRIGHT, reinterpret_cast<LPARAM>(&outer));
  }
  if (!IsWindow(window)) return clientOnScreen;
  SetWindowPos(window, nullptr, outer.left, outer.top, outer.right - outer.left,
               outer.bottom - outer.top, SWP_NOZORDER | SWP_NOACTIVATE);
  if (!IsWindow(window)) return clientOnScreen;
  POINT o = ClientOriginOnScreen(window);
  RECT c = ClientRect(window);
  return RECT{o.x, o.y, o.x + c.right, o.y + c.bottom};
}

}  // namespace native
