/* Run-time options of the sanitizer build, compiled into every program so that a test run
 * by ctest, by hand or as a child process behaves the same: leak detection on, the first
 * report ends the program, and the leak suppressions beside this one. Options given in
 * ASAN_OPTIONS, LSAN_OPTIONS or UBSAN_OPTIONS still take precedence. */
const char* __asan_default_options(void) {
  return "detect_leaks=1";
}

const char* __lsan_default_options(void) {
  return "suppressions=" AMX_SANITIZER_DIR "/lsan.supp:print_suppressions=0";
}

const char* __ubsan_default_options(void) {
  return "print_stacktrace=1:halt_on_error=1";
}
