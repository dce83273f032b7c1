# Third-party libraries, all from Debian's i386 packages (scripts/install-deps).
find_package(PkgConfig REQUIRED)
find_package(Threads REQUIRED)
find_package(GTest REQUIRED)
find_package(benchmark QUIET)

pkg_check_modules(CAPSTONE REQUIRED IMPORTED_TARGET capstone)
pkg_check_modules(FLUIDSYNTH REQUIRED IMPORTED_TARGET fluidsynth)
pkg_check_modules(ALSA REQUIRED IMPORTED_TARGET alsa)

find_path(ASMJIT_INCLUDE_DIR asmjit/asmjit.h REQUIRED)
find_library(ASMJIT_LIBRARY asmjit REQUIRED)
add_library(asmjit::asmjit UNKNOWN IMPORTED)
set_target_properties(asmjit::asmjit PROPERTIES IMPORTED_LOCATION ${ASMJIT_LIBRARY}
                      INTERFACE_INCLUDE_DIRECTORIES ${ASMJIT_INCLUDE_DIR})

find_library(FLTK_LIBRARY fltk REQUIRED)
find_path(FLTK_INCLUDE_DIR FL/Fl.H REQUIRED)
find_package(X11 REQUIRED)
add_library(fltk::fltk UNKNOWN IMPORTED)
set_target_properties(fltk::fltk PROPERTIES IMPORTED_LOCATION ${FLTK_LIBRARY}
                      INTERFACE_INCLUDE_DIRECTORIES ${FLTK_INCLUDE_DIR}
                      INTERFACE_LINK_LIBRARIES "${X11_LIBRARIES};${CMAKE_DL_LIBS}")
