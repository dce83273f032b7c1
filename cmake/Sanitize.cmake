# AMX_SANITIZE=ON instruments every target with AddressSanitizer (leak detection included)
# and UndefinedBehaviorSanitizer without recovery, so that the first fault ends the test that
# met it. `make sanitize` configures build-sanitize/ this way. Every program links the
# run-time options and suppression files of cmake/sanitizers/ (each entry with its reason).
option(AMX_SANITIZE "Build with AddressSanitizer, LeakSanitizer and UBSan" OFF)

if(AMX_SANITIZE)
  # -O1 after the build type's own level: reports keep usable stacks, and the instrumented
  # tree builds and runs in reasonable time.
  add_compile_options(-O1 -fsanitize=address,undefined -fno-sanitize-recover=undefined)
  # The compiler driver leaves out --as-needed when sanitizing; given back, programs name the
  # same libraries as in a normal build (the package's dependency check reads them).
  add_link_options(-fsanitize=address,undefined LINKER:--as-needed)
  add_library(amxsanitizerdefaults STATIC ${CMAKE_CURRENT_LIST_DIR}/sanitizers/defaults.c)
  target_compile_definitions(amxsanitizerdefaults PRIVATE
                             AMX_SANITIZER_DIR="${CMAKE_CURRENT_LIST_DIR}/sanitizers")
  # Nothing calls the option hooks, so the linker is told to take them from the archive.
  link_libraries(amxsanitizerdefaults)
  add_link_options(LINKER:--undefined=__asan_default_options
                   LINKER:--undefined=__lsan_default_options
                   LINKER:--undefined=__ubsan_default_options)
endif()
