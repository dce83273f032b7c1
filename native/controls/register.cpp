// Registers the built-in control classes once, before the first window is created; they
// survive ResetForTests. Entry point: RegisterSystemClasses.
#include "native/controls/controls.h"

namespace native {

void RegisterSystemClasses() {
  static bool done = false;
  if (done) return;
  done = true;
  const struct {
    const char* name;
    WNDPROC proc;
  } classes[] = {{"BUTTON", ButtonProc},   {"EDIT", EditProc},         {"RichEdit", EditProc},
                 {"RICHEDIT20A", EditProc}, {"STATIC", StaticProc}, {"MDICLIENT", MdiClientProc}};
  for (const auto& c : classes) {
    auto cls = std::make_unique<WindowClass>();
    cls->name = c.name;
    cls->proc = c.proc;
    cls->system = true;
    State().classes[c.name] = std::move(cls);
  }
}

}  // namespace native
