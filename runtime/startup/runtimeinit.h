// RuntimeInit: sets up the runtime and the application, in a fixed order of seventeen
// steps, and runs the opening events ("Open", "OpenDocument" or "NewDocument", and
// "Activate" in MDI mode). The image's entry function calls it with the application
// descriptor (class table and project items in data1).
#pragma once

struct ClassRecord;

// Step 10: the last class of the image's table descending from the built-in Application
// class, or that class itself when none does.
ClassRecord* ChooseApplicationClass();
