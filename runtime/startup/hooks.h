// The places where start-up, the event loop and shutdown call into layers that later work
// adds: windows and panes, controls, menus, plug-ins, sound, serial ports. Each is a plain
// function pointer that does nothing (or reports "none") until its layer installs itself,
// so RuntimeInit and RuntimeRun keep their full order today. Entry point: StartupHooks().
#pragma once
#include <cstdint>

#include "native/win32.h"

struct ObjectHeader;

struct RuntimeHooks {
  // RuntimeInit step 1: register the window classes (defaults register plain "KTWindow"
  // and "KT_Pane" classes with DefWindowProcA).
  void (*registerWindowClasses)(HINSTANCE module);
  // Step 3: default colours and the default control font.
  void (*setDefaultColoursAndFont)();
  // Step 4, second half: the window and control classes.
  void (*registerWindowAndControlClasses)();
  // Step 5: write out, load and register the plug-ins that Win32InstallPlugins recorded.
  void (*installPlugins)();
  // Step 6: the default text font ("System", 12).
  void (*setDefaultTextFont)(const char* name, int32_t size);
  // Step 11, project item of kind 2: the menu-bar stream.
  void (*buildMenuBar)(const uint8_t* stream, uint32_t length);

  // The window list as the loop and the quitting procedure see it (open windows only).
  int32_t (*openWindowCount)();
  ObjectHeader* (*firstWindow)();                 // lent; nil when none is open
  ObjectHeader* (*windowAt)(int32_t index);       // lent; 0-based
  void (*closeWindow)(ObjectHeader* window);      // closes it and takes it off the list
  bool (*windowRefusesClose)(ObjectHeader* window);  // fires "CancelClose"; true refuses
  void (*showWindowsMarkedVisible)();

  // Loop iteration steps.
  bool (*paneHasCapture)();
  void (*trackMouse)();                           // the mouse-tracking step
  bool (*preTranslateMessage)(MSG* message);      // keyboard and shortcut pre-translation
  void (*runDeferredPaneUpdates)();
  void (*idleFocusedPane)();
  void (*tickSerialPorts)();

  // The MDI frame's dispatch into the menu layer and window layer.
  LRESULT (*frameMenuCommand)(HWND frame, UINT message, WPARAM wParam, LPARAM lParam);
  void (*displayChanged)();
  HMENU (*menuBar)();  // the menu bar the MDI frame carries; nil when none was built

  // Shutdown: the menu bar goes with the windows (end of step 2); steps 3 and 5.
  void (*destroyMenuBar)();
  void (*stopSound)();
  void (*shutDownMovies)();
};

RuntimeHooks& StartupHooks();
// Puts every hook back to its default (tests).
void ResetStartupHooks();
