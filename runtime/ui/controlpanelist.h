// A window's child panes as the pane families keep them: linked at the top of the owner's
// z-order list when made, taken out (and forgotten as focus pane) when destroyed, and the
// control's link to a pane that goes away cleared. Entry points: LinkPane, UnlinkPane,
// DetachPaneFromControl.
#pragma once

class Pane;
class RuntimeViewWindow;

namespace controls {
// Puts the pane at the top of its owner's panes; nothing when it is already listed.
void LinkPane(RuntimeViewWindow* owner, Pane* pane);
// Takes the pane out of its owner's panes and forgets it as the owner's focus pane.
void UnlinkPane(RuntimeViewWindow* owner, Pane* pane);
// A pane that goes away leaves its control without pane (the control's link is not counted).
void DetachPaneFromControl(Pane* pane);
}  // namespace controls
