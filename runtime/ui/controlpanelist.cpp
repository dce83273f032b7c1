// Keeping a window's child panes and the control-to-pane link consistent as panes come and
// go, so no window or control is left pointing at a destroyed pane. Entry points: LinkPane,
// UnlinkPane, DetachPaneFromControl.
#include "runtime/ui/controlpanelist.h"

#include "runtime/ui/control.h"
#include "runtime/ui/pane.h"
#include "runtime/ui/viewwindow.h"

namespace controls {

void LinkPane(RuntimeViewWindow* owner, Pane* pane) {
  if (owner == nullptr || pane == nullptr) return;
  for (Pane* p = owner->panes; p != nullptr; p = p->next) {
    if (p == pane) return;
  }
  pane->owner = owner;
  pane->next = owner->panes;
  owner->panes = pane;
}

void UnlinkPane(RuntimeViewWindow* owner, Pane* pane) {
  if (owner == nullptr || pane == nullptr) return;
  for (Pane** link = &owner->panes; *link != nullptr; link = &(*link)->next) {
    if (*link == pane) {
      *link = pane->next;
      break;
    }
  }
  pane->next = nullptr;
  if (owner->focusPane == pane) owner->focusPane = nullptr;
}

void DetachPaneFromControl(Pane* pane) {
  if (pane == nullptr) return;
  ControlObject* control = ControlOf(pane->control);
  if (control != nullptr && control->pane == pane) control->pane = nullptr;
  pane->control = nullptr;
}

}  // namespace controls
