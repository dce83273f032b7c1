// RuntimeMain and ProcessStart (runtimemain.h).
#include "runtime/startup/runtimemain.h"

#include "runtime/exceptions/unhandled.h"
#include "runtime/image/loader.h"
#include "runtime/objects/stringencoding.h"
#include "runtime/startup/commandline.h"
#include "runtime/startup/runstate.h"

namespace {
constexpr DWORD kPlatformNt = 2;
}

bool SystemHasThemes() {
  static const bool hasThemes = [] {
    OSVERSIONINFOA info = {};
    info.dwOSVersionInfoSize = sizeof info;
    return GetVersionExA(&info) && info.dwPlatformId == kPlatformNt && info.dwMajorVersion == 5 &&
           info.dwMinorVersion == 1;
  }();
  return hasThemes;
}

int RuntimeMain(HINSTANCE module, const std::string& commandLineTail, int showCommand) {
  RunState& run = CurrentRun();
  run.module = module;                 // 1
  run.commandLineTail = commandLineTail;
  run.showCommand = showCommand;
  InitCommonControls();                // 2
  // 3: the small-block heap's lock is a static mutex, ready before any allocation.
  // 4, 6: the theme library would be loaded here on the one system version that has it;
  // this platform's native layer draws its own controls, so only the test is made.
  SystemHasThemes();
  ImageLoader();                       // 5
  return 0;                            // 7
}

int ProcessStart(int argc, const char* const* argv) {
  InstallFaultReporter();
  // Arguments arrive as UTF-8; the runtime's text is Windows-1252.
  std::string commandLine = Utf8ToWindows1252(JoinCommandLine(argc, argv));
  return RuntimeMain(GetModuleHandleA(nullptr), CommandLineTail(commandLine), SW_SHOWDEFAULT);
}
