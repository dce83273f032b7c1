# Installing Armonix as a desktop program (`make install PREFIX=... DESTDIR=...`): the
# program build/armonix, its desktop entry, its icon and the README in their XDG places;
# `cpack -G DEB` packs the same files with the libraries and the SoundFont they need.
include(GNUInstallDirs)

set(AMX_DATA_DIR ${PROJECT_SOURCE_DIR}/data)
# Installing and packing take what is built (`make install` builds first) instead of
# building every target, tests and benchmarks included.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY TRUE)

# The shipped program: the runtime with the application image, one file that app/ builds
# (AMX_APP_EXE, made by the target armonix-app, or armonix).
get_property(AMX_INSTALL_EXE GLOBAL PROPERTY AMX_APP_EXE)
if(AMX_INSTALL_EXE AND (TARGET armonix-app OR TARGET armonix))
  install(PROGRAMS ${AMX_INSTALL_EXE} DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()
# The target that makes it, for tests that run or install it, and what `make install`
# builds before installing.
set(AMX_APP_TARGET "")
if(TARGET armonix-app)
  set(AMX_APP_TARGET armonix-app)
elseif(TARGET armonix)
  set(AMX_APP_TARGET armonix)
endif()
add_custom_target(amx_installable)
if(AMX_APP_TARGET)
  add_dependencies(amx_installable ${AMX_APP_TARGET})
endif()
install(FILES ${AMX_DATA_DIR}/armonix.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${AMX_DATA_DIR}/armonix.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(FILES ${PROJECT_SOURCE_DIR}/README.md ${AMX_DATA_DIR}/copyright
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/armonix)

# The Debian package. The program is i386 whatever the build host; its libraries are the
# ones it is linked with (dpkg-shlibdeps would need the package database of the target), and
# any General MIDI SoundFont in the system's place will do.
set(CPACK_PACKAGE_NAME armonix)
set(CPACK_PACKAGE_VERSION 1.0.0)
set(CPACK_PACKAGE_CONTACT "Armonix developers <armonix@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "ear training for students of harmony")
set(CPACK_PACKAGE_DESCRIPTION
    "Armonix trains the ear of students of harmony with an Italian user interface: notes in
the four voice ranges, intervals, scales and modes, melodic dictation, cadences, the
harmonies of a key, chord types and harmonic dictation, played by a built-in General MIDI
synthesizer.")
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_ARCHITECTURE i386)
set(CPACK_DEBIAN_PACKAGE_SECTION education)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "libc6 (>= 2.36), libgcc-s1, libstdc++6 (>= 12), libfltk1.3 (>= 1.3.8), libx11-6, libfluidsynth3 (>= 2.3), libpulse0, libasound2, libglib2.0-0, timgm6mb-soundfont | sf2-soundfont-gm")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "pulseaudio | pipewire-pulse")
include(CPack)
