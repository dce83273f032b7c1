// The keyboard focus as compiled code moves it: a control's pane becomes its window's
// remembered focus pane (and takes the keyboard focus while that window is active), or the
// focus is cleared. Windowless panes hold the focus through their window's native window.
// Entry points: RuntimeSetFocus, formSetFocus, clearFocus.
#include <string_view>

#include "runtime/entries/entries.h"
#include "runtime/exceptions/imagecall.h"
#include "runtime/ui/control.h"
#include "runtime/ui/pane.h"
#include "runtime/ui/viewwindow.h"

namespace {

// The view window whose native top-level window holds the keyboard focus, or nil. The
// native window keeps its view window's address in extra word 0.
RuntimeViewWindow* ViewWindowWithFocus() {
  constexpr int kMaxDepth = 32;  // nesting never goes this deep; a cycle must not hang
  HWND hwnd = GetFocus();
  for (int depth = 0; hwnd != nullptr && depth < kMaxDepth; ++depth, hwnd = GetParent(hwnd)) {
    char className[16] = {};
    GetClassNameA(hwnd, className, sizeof className);
    std::string_view name(className);
    if (name == "KTWindow" || name == "KT_MDICHILD") {
      return reinterpret_cast<RuntimeViewWindow*>(static_cast<intptr_t>(GetWindowLongA(hwnd, 0)));
    }
  }
  return nullptr;
}

// Remembers the pane as its window's focus pane; a windowless pane hears of the change
// itself, since no native focus message reaches it.
void RememberFocusPane(RuntimeViewWindow* owner, Pane* pane) {
  Pane* previous = owner->focusPane;
  owner->focusPane = pane;
  if (previous == pane) return;
  if (previous != nullptr && previous->hwnd == nullptr) previous->LostFocus();
  if (pane != nullptr && pane->hwnd == nullptr) pane->GotFocus();
}

void GiveKeyboardFocus(Pane* pane) {
  HWND target = pane->hwnd != nullptr ? pane->hwnd : pane->owner->Handle();
  if (target != nullptr) SetFocus(target);
}

}  // namespace

AMX_ENTRY void RuntimeSetFocus(ObjectHeader* control) noexcept {
  AMX_IMAGE_CALLER();  // focus changes raise events of controls
  Pane* pane = controls::LivePane(control);
  if (pane == nullptr || pane->owner == nullptr || !pane->AcceptFocus()) return;
  RememberFocusPane(pane->owner, pane);
  if (pane->owner->active != 0) GiveKeyboardFocus(pane);
}

AMX_ENTRY void formSetFocus(ObjectHeader* control) noexcept {
  AMX_IMAGE_CALLER();
  Pane* pane = controls::LivePane(control);
  if (pane == nullptr || pane->owner == nullptr) return;
  RememberFocusPane(pane->owner, pane);
  GiveKeyboardFocus(pane);
}

AMX_ENTRY void clearFocus() noexcept {
  AMX_IMAGE_CALLER();
  if (RuntimeViewWindow* view = ViewWindowWithFocus()) RememberFocusPane(view, nullptr);
  SetFocus(nullptr);
}
