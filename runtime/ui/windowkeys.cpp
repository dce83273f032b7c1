// Keyboard pre-translation: every key-down is first looked up in the shortcut table, then
// offered to the focused pane and to the window's KeyDown, and only then given its default
// meaning (Tab moves the focus, Return and Escape press the default and cancel buttons).
// Entry points: PreTranslateMessage, WindowKeyDown.
#include <string>

#include "runtime/objects/builtinclasses.h"
#include "runtime/objects/strings.h"
#include "runtime/ui/controlcreation.h"
#include "runtime/ui/events.h"
#include "runtime/ui/pushbutton.h"
#include "runtime/ui/shortcuts.h"
#include "runtime/ui/stdcontrols.h"
#include "runtime/ui/windowlayer.h"

namespace windows {
namespace {

bool IsDown(int virtualKey) { return (GetKeyState(virtualKey) & 0x8000) != 0; }

// Keys that type no character still reach KeyDown with the code the language gives them.
char NonCharacterKey(WPARAM virtualKey) {
  switch (virtualKey) {
    case VK_LEFT: return 28;
    case VK_RIGHT: return 29;
    case VK_UP: return 30;
    case VK_DOWN: return 31;
    case VK_DELETE: return 127;
    case VK_HOME: return 1;
    case VK_END: return 4;
    case VK_PRIOR: return 11;
    case VK_NEXT: return 12;
    case VK_RETURN: return 13;
    case VK_TAB: return 9;
    case VK_ESCAPE: return 27;
    case VK_BACK: return 8;
    default: return 0;
  }
}

char KeyCharacter(const MSG& message) {
  BYTE state[256] = {};
  if (IsDown(VK_SHIFT)) state[VK_SHIFT] = 0x80;
  WORD typed = 0;
  UINT scan = static_cast<UINT>((message.lParam >> 16) & 0xFF);
  if (ToAscii(static_cast<UINT>(message.wParam), scan, state, &typed, 0) == 1 &&
      (typed & 0xFF) != 0) {
    return static_cast<char>(typed & 0xFF);
  }
  return NonCharacterKey(message.wParam);
}

RuntimeViewWindow* ViewOfMessage(const MSG& message) {
  if (message.hwnd == nullptr) return FrontmostViewWindow();
  return ViewWindowFromHandle(GetAncestor(message.hwnd, GA_ROOT));
}

// The focused pane's edit field, when the focus is in one.
EditFieldObject* FocusedEditField(Pane* focus) {
  return focus != nullptr ? stdcontrols::EditFieldOf(focus->control) : nullptr;
}

// Focusable panes in dictionary order; the one after (or before) the current focus.
Pane* NextFocusPane(RuntimeViewWindow* view, Pane* current, bool backwards) {
  WindowObject* window = view->Window();
  if (window == nullptr || window->controls == nullptr) return nullptr;
  Pane* first = nullptr;
  Pane* last = nullptr;
  Pane* before = nullptr;
  Pane* after = nullptr;
  bool passed = false;
  for (StringMapEntry* e = window->controls->First(); e != nullptr; e = e->orderNext) {
    auto* object = static_cast<ObjectHeader*>(e->value);
    if (!IsControlObject(object)) continue;
    Pane* pane = AsControl(object)->pane;
    if (pane == current) {
      passed = true;
      continue;
    }
    if (pane == nullptr || !pane->visible || !pane->enabled || !pane->AcceptFocus()) continue;
    if (first == nullptr) first = pane;
    last = pane;
    if (!passed) before = pane;
    if (passed && after == nullptr) after = pane;
  }
  if (backwards) return before != nullptr ? before : last;
  return after != nullptr ? after : first;
}

bool MoveFocus(RuntimeViewWindow* view, Pane* current, bool backwards) {
  Pane* next = NextFocusPane(view, current, backwards);
  if (next == nullptr) return false;
  view->focusPane = next;
  if (next->hwnd != nullptr) SetFocus(next->hwnd);
  return true;
}

// Step 4: Tab, Return and Escape; true when consumed.
bool DefaultKeyMeaning(RuntimeViewWindow* view, const MSG& message) {
  Pane* focus = FocusedPane();
  if (focus != nullptr && focus->owner != view) focus = nullptr;
  EditFieldObject* edit = FocusedEditField(focus);
  switch (message.wParam) {
    case VK_TAB:
      if (IsDown(VK_CONTROL)) return false;
      if (edit != nullptr && edit->multiLine && edit->acceptTabs) return false;
      return MoveFocus(view, focus != nullptr ? focus : view->focusPane, IsDown(VK_SHIFT));
    case VK_RETURN: {
      if (edit != nullptr && edit->multiLine) return false;
      PushButtonPane* button = DefaultButtonOf(view);
      if (button == nullptr) return false;
      PressButton(button);
      return true;
    }
    case VK_ESCAPE: {
      PushButtonPane* button = CancelButtonOf(view);
      if (button == nullptr) return false;
      PressButton(button);
      return true;
    }
    default:
      return false;  // arrows and the rest are left to the native controls
  }
}

}  // namespace

bool WindowKeyDown(RuntimeViewWindow* view, const MSG& message) {
  WindowObject* window = view->Window();
  char key = KeyCharacter(message);
  if (window == nullptr || key == 0) return false;
  StringRecord* text = MakeString(&key, 1);
  const uint32_t args[1] = {static_cast<uint32_t>(reinterpret_cast<uintptr_t>(text))};
  bool consumed = RaiseBoolEvent(&window->header, AMX_BUILTIN_EVENT(Window, KeyDown), 1, args);
  UnlockString(text);
  return consumed || view->closing;
}

bool PreTranslateMessage(MSG* message) {
  if (message == nullptr || (message->message != WM_KEYDOWN && message->message != WM_SYSKEYDOWN)) {
    return false;
  }
  std::string shortcut = ShortcutTextFromKey(static_cast<uint32_t>(message->wParam),
                                             IsDown(VK_CONTROL), IsDown(VK_SHIFT),
                                             IsDown(VK_MENU));
  bool matched = !shortcut.empty() && RunShortcut(shortcut);  // 2
  if (matched) return true;
  if (Pane* focus = FocusedPane()) {  // 3
    if (focus->KeyDown(*message)) return true;
  }
  RuntimeViewWindow* view = ViewOfMessage(*message);
  if (view == nullptr || view->torndown) return false;
  view->Hold();
  bool consumed = WindowKeyDown(view, *message);
  if (!consumed && !view->closing) consumed = DefaultKeyMeaning(view, *message);  // 4
  view->Release();
  return consumed;
}

}  // namespace windows
