# The single-voice exercises (notes, intervals, scales, the melodic minor scale and melodic
# dictation) run for real through build/armonix; included by CMakeLists.txt of this folder.
amx_app_test(app_melody_test SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/melody_notes_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/melody_scales_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/melody_dictation_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/melody_hover_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/melody_design_test.cpp)
