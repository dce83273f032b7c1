# Arrays, numbers, colours and random numbers.
target_sources(armonixrt PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/arraystorage.cpp
  ${CMAKE_CURRENT_LIST_DIR}/array.cpp
  ${CMAKE_CURRENT_LIST_DIR}/arrayaccess.cpp
  ${CMAKE_CURRENT_LIST_DIR}/arrayedit.cpp
  ${CMAKE_CURRENT_LIST_DIR}/arraysort.cpp
  ${CMAKE_CURRENT_LIST_DIR}/arrayfastbool.cpp
  ${CMAKE_CURRENT_LIST_DIR}/number.cpp
  ${CMAKE_CURRENT_LIST_DIR}/math.cpp
  ${CMAKE_CURRENT_LIST_DIR}/colour.cpp
  ${CMAKE_CURRENT_LIST_DIR}/random.cpp)
