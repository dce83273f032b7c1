// armonix-runtime: process start. Everything else is in RuntimeMain (runtimemain.h).
#include "runtime/startup/runtimemain.h"

int main(int argc, char** argv) { return ProcessStart(argc, argv); }
