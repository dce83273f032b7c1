// The layout switch of the generic pane accessors (paneIntGetter and the rest): which of
// the two pane offsets packed into their parameter addresses the pane's copy. Off (the
// classic layout) unless the runtime selects the alternative control layout.
#pragma once

namespace controls {
void SetAlternativeControlLayout(bool on);
bool AlternativeControlLayout();
}  // namespace controls
