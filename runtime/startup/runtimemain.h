// The runtime main routine and process start: the command-line tail, the show command, the
// common controls, the version test (the theme library is not loaded on this platform) and
// the image loader. Entry points: RuntimeMain, ProcessStart.
#pragma once
#include <string>

#include "native/win32.h"

// Always 0.
int RuntimeMain(HINSTANCE module, const std::string& commandLineTail, int showCommand);
// main(): builds the command line from the arguments, takes its tail, calls RuntimeMain.
int ProcessStart(int argc, const char* const* argv);
// The version test: the themed look exists only on the one system version that has it
// (platform NT, version 5.1). Made once and remembered.
bool SystemHasThemes();
