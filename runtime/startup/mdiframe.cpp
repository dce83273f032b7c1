// The MDI frame (mdiframe.h). Application activation fires the application's "Activate" or
// "Deactivate"; menu messages go to the menu layer's hook; display changes to the window
// layer's hook; the rest to the default frame procedure.
#include "runtime/startup/mdiframe.h"

#include "runtime/startup/appevents.h"
#include "runtime/startup/hooks.h"
#include "runtime/startup/quit.h"
#include "runtime/startup/runstate.h"

namespace {

constexpr char kFrameClass[] = "KT_MDIFRAME";
constexpr char kChildClass[] = "KT_MDICHILD";

void RegisterFrameClasses(HINSTANCE module) {
  WNDCLASSA frame = {};
  frame.lpfnWndProc = MdiFrameProcedure;
  frame.hInstance = module;
  frame.hIcon = LoadIconA(nullptr, IDI_APPLICATION);
  frame.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  frame.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<uintptr_t>(COLOR_APPWORKSPACE + 1));
  frame.lpszClassName = kFrameClass;
  RegisterClassA(&frame);

  WNDCLASSA child = {};
  child.lpfnWndProc = DefMDIChildProcA;
  child.cbWndExtra = 4;  // one window word
  child.hInstance = module;
  child.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  child.lpszClassName = kChildClass;
  RegisterClassA(&child);
}

void CreateClient(HWND frame) {
  CLIENTCREATESTRUCT client = {};
  client.idFirstChild = kFirstMdiChildId;
  CurrentRun().mdiClient = CreateWindowExA(
      0, "MDICLIENT", nullptr,
      WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_VSCROLL | WS_HSCROLL | MDIS_ALLCHILDSTYLES,
      0, 0, 0, 0, frame, nullptr, CurrentRun().module, &client);
}

}  // namespace

LRESULT CALLBACK MdiFrameProcedure(HWND frame, UINT message, WPARAM wParam, LPARAM lParam) {
  RuntimeHooks& hooks = StartupHooks();
  switch (message) {
    case WM_CREATE:
      CreateClient(frame);
      return 0;
    case WM_CLOSE:
      if (QuitApplication()) CurrentRun().quit = true;
      return 0;
    case WM_ACTIVATEAPP:
      FireApplicationEvent(wParam != 0 ? ApplicationEvent::kActivate
                                       : ApplicationEvent::kDeactivate);
      return 0;
    case WM_COMMAND:
    case WM_INITMENU:
    case WM_INITMENUPOPUP:
      return hooks.frameMenuCommand(frame, message, wParam, lParam);
    case WM_DISPLAYCHANGE:
      hooks.displayChanged();
      return 0;
    default:
      return DefFrameProcA(frame, CurrentRun().mdiClient, message, wParam, lParam);
  }
}

HWND CreateMdiFrame(const std::string& caption) {
  RunState& run = CurrentRun();
  RegisterFrameClasses(run.module);
  run.mdiFrame = CreateWindowExA(0, kFrameClass, caption.c_str(),
                                 WS_OVERLAPPEDWINDOW | WS_VISIBLE | WS_CLIPCHILDREN,
                                 CW_USEDEFAULT, CW_USEDEFAULT, kMdiFrameWidth, kMdiFrameHeight,
                                 nullptr, StartupHooks().menuBar(), run.module, nullptr);
  return run.mdiFrame;
}
