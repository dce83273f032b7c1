# The chord exercises run for real (included by tests/app/CMakeLists.txt): listening,
# recognition, inversions, harmonic dictation and the instrument choice, each through
# build/armonix headless with the MIDI recorder.
amx_app_test(app_chords_test SOURCES
  chords_listening_test.cpp
  chords_recognition_test.cpp
  chords_inversions_test.cpp
  chords_dictation_test.cpp
  chords_instruments_test.cpp
  chords_design_test.cpp
  chords_hovering_test.cpp)
