// The rest of the runtime as the plug-in list target sees it: installation.cpp is compiled
// whole, but only its list walk runs, so every routine the installer would call to write,
// load or run a library stops the run here if it is ever reached.
#include <cstdlib>

#include "native/win32.h"
#include "runtime/entries/namemap.h"
#include "runtime/exceptions/imagecall.h"
#include "runtime/plugins/classregistration.h"
#include "runtime/plugins/pluginregistry.h"
#include "runtime/startup/hooks.h"

uint32_t CallImage(const void*, int32_t, const uint32_t*) { std::abort(); }
extern "C" void* LookupEntryByName(const char*) { std::abort(); }
void FinishPluginClasses() { std::abort(); }
void SetCurrentPlugin(PluginRecord*) { std::abort(); }
PluginRecord* AddPluginRecord(void*, const char*) { std::abort(); }
RuntimeHooks& StartupHooks() { std::abort(); }
int MessageBoxA(HWND, LPCSTR, LPCSTR, UINT) { std::abort(); }
HMODULE LoadLibraryA(LPCSTR) { std::abort(); }
FARPROC GetProcAddress(HMODULE, LPCSTR) { std::abort(); }
UINT GetSystemDirectoryA(LPSTR, UINT) { std::abort(); }
UINT GetWindowsDirectoryA(LPSTR, UINT) { std::abort(); }
void ExitProcess(UINT) { std::abort(); }
