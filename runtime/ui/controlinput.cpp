// The mouse input the pane families share: modifier bits, the click record, the contextual
// flag around right presses, the cursor for a point and the forwarding of child
// notifications to the top-level window. Entry points: ReportMousePress, SetCursorForPoint,
// ForwardChildNotification.
#include "runtime/ui/controlinput.h"

#include "runtime/ui/drawnpane.h"
#include "runtime/ui/pane.h"
#include "runtime/ui/viewwindow.h"

namespace controls {
namespace {

constexpr UINT kNcLeftDoubleClick = 0x00A3;   // WM_NCLBUTTONDBLCLK
constexpr UINT kNcRightDoubleClick = 0x00A6;  // WM_NCRBUTTONDBLCLK

uint32_t gLastClick = 0;
uint32_t gClickCount = 0;
bool gContextual = false;

bool IsDoubleClick(UINT message) {
  return message == WM_LBUTTONDBLCLK || message == WM_RBUTTONDBLCLK ||
         message == kNcLeftDoubleClick || message == kNcRightDoubleClick;
}

// Sets the contextual flag for the life of the object, restoring the old value (a nested
// press inside a handler must not clear the outer one).
class ContextualScope {
 public:
  explicit ContextualScope(bool on) : saved_(gContextual) { gContextual = on; }
  ~ContextualScope() { gContextual = saved_; }
  ContextualScope(const ContextualScope&) = delete;
  ContextualScope& operator=(const ContextualScope&) = delete;

 private:
  bool saved_;
};

bool IsNotification(UINT message) {
  return message == WM_COMMAND || message == WM_NOTIFY || message == WM_DRAWITEM ||
         message == WM_HSCROLL || message == WM_VSCROLL;
}

// The child window a notification names: the lParam handle, or the header's sender.
HWND NotifyingChild(UINT message, LPARAM lParam) {
  if (lParam == 0) return nullptr;
  if (message == WM_NOTIFY) return reinterpret_cast<const NMHDR*>(lParam)->hwndFrom;
  if (message == WM_DRAWITEM) return nullptr;  // the item record names no window we trust
  return reinterpret_cast<HWND>(lParam);
}

}  // namespace

int32_t MouseModifiers(WPARAM keyState) {
  int32_t modifiers = 0;
  if ((keyState & MK_CONTROL) != 0) modifiers |= kModifierControl;
  if ((keyState & MK_SHIFT) != 0) modifiers |= kModifierShift;
  return modifiers;
}

bool IsMousePress(UINT message) {
  switch (message) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONDBLCLK:
    case WM_NCLBUTTONDOWN:
    case WM_NCRBUTTONDOWN:
    case kNcLeftDoubleClick:
    case kNcRightDoubleClick:
      return true;
    default:
      return false;
  }
}

bool IsContextualPress(UINT message) {
  return message == WM_RBUTTONDOWN || message == WM_RBUTTONDBLCLK ||
         message == WM_NCRBUTTONDOWN || message == kNcRightDoubleClick;
}

uint32_t LastClickKind() { return gLastClick; }
uint32_t RecordedClickCount() { return gClickCount; }
bool IsContextualClick() { return gContextual; }

bool ReportMousePress(RuntimeViewWindow* owner, UINT message, int32_t x, int32_t y,
                      int32_t modifiers) {
  gLastClick = IsDoubleClick(message) ? kDoubleClick : kSingleClick;
  ++gClickCount;
  if (owner == nullptr) return false;
  ContextualScope contextual(IsContextualPress(message));
  return owner->MouseDown(x, y, modifiers);
}

void SetCursorForPoint(RuntimeViewWindow* owner, int32_t x, int32_t y) {
  HCURSOR cursor = nullptr;
  if (owner != nullptr) {
    for (Pane* pane = owner->panes; pane != nullptr; pane = pane->next) {
      if (pane->visible != 0 && pane->bounds.Contains(x, y)) {
        cursor = pane->cursor;
        break;
      }
    }
    if (cursor == nullptr) cursor = owner->cursor;
  }
  if (cursor == nullptr) cursor = LoadCursorA(nullptr, IDC_ARROW);
  SetCursor(cursor);
}

bool ForwardChildNotification(HWND from, UINT message, WPARAM wParam, LPARAM lParam,
                              LRESULT* result) {
  if (!IsNotification(message)) return false;
  HWND child = NotifyingChild(message, lParam);
  if (child == nullptr || GetPropA(child, "KTInstance") == nullptr) return false;
  HWND top = GetAncestor(from, GA_ROOT);
  if (top == nullptr || top == from) return false;
  *result = SendMessageA(top, message, wParam, lParam);
  return true;
}

void ResetClickState() {
  gLastClick = 0;
  gClickCount = 0;
  gContextual = false;
}

}  // namespace controls
