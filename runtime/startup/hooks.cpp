// Default hooks: the window classes are registered with the native default procedure,
// window lists are empty, everything else does nothing until its layer installs itself.
#include "runtime/startup/hooks.h"

#include <initializer_list>

#include "runtime/startup/runstate.h"

namespace {

void RegisterPlainWindowClasses(HINSTANCE module) {
  for (const char* name : {"KTWindow", "KT_Pane"}) {
    WNDCLASSA windowClass = {};
    windowClass.style = CS_DBLCLKS;
    windowClass.lpfnWndProc = DefWindowProcA;
    windowClass.hInstance = module;
    windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    windowClass.lpszClassName = name;
    RegisterClassA(&windowClass);
  }
}

void Nothing() {}
void NoFont(const char*, int32_t) {}
void NoStream(const uint8_t*, uint32_t) {}
int32_t NoWindows() { return 0; }
ObjectHeader* NoWindow() { return nullptr; }
ObjectHeader* NoWindowAt(int32_t) { return nullptr; }
void CloseNothing(ObjectHeader*) {}
bool NeverRefuses(ObjectHeader*) { return false; }
bool NoCapture() { return false; }
bool NotTranslated(MSG*) { return false; }
LRESULT DefaultFrameCommand(HWND frame, UINT message, WPARAM wParam, LPARAM lParam) {
  return DefFrameProcA(frame, CurrentRun().mdiClient, message, wParam, lParam);
}
HMENU NoMenuBar() { return nullptr; }

RuntimeHooks DefaultHooks() {
  RuntimeHooks hooks;
  hooks.registerWindowClasses = RegisterPlainWindowClasses;
  hooks.setDefaultColoursAndFont = Nothing;
  hooks.registerWindowAndControlClasses = Nothing;
  hooks.installPlugins = Nothing;
  hooks.setDefaultTextFont = NoFont;
  hooks.buildMenuBar = NoStream;
  hooks.openWindowCount = NoWindows;
  hooks.firstWindow = NoWindow;
  hooks.windowAt = NoWindowAt;
  hooks.closeWindow = CloseNothing;
  hooks.windowRefusesClose = NeverRefuses;
  hooks.showWindowsMarkedVisible = Nothing;
  hooks.paneHasCapture = NoCapture;
  hooks.trackMouse = Nothing;
  hooks.preTranslateMessage = NotTranslated;
  hooks.runDeferredPaneUpdates = Nothing;
  hooks.idleFocusedPane = Nothing;
  hooks.tickSerialPorts = Nothing;
  hooks.frameMenuCommand = DefaultFrameCommand;
  hooks.displayChanged = Nothing;
  hooks.menuBar = NoMenuBar;
  hooks.destroyMenuBar = Nothing;
  hooks.stopSound = Nothing;
  hooks.shutDownMovies = Nothing;
  return hooks;
}

}  // namespace

RuntimeHooks& StartupHooks() {
  static RuntimeHooks hooks = DefaultHooks();
  return hooks;
}

void ResetStartupHooks() { StartupHooks() = DefaultHooks(); }
