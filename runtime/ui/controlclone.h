// Making a further member of a control array while the program runs (the application's
// "New pb" on a control array): the run-time-creation flag that CreatePane handlers may read
// while such a control gets its pane. Entry point: RuntimeCloneControlReference (entries).
#pragma once

namespace controls {
// True while the CreatePane handler of a control made at run time is running.
bool CreatingAtRunTime();
}  // namespace controls
