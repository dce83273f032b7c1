# Objects, classes and memory: the object model, the built-in classes, the image's class
# table and project items, the shared accessors, the name fold table and StringMap.
target_sources(armonixrt PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/accessors.cpp
  ${CMAKE_CURRENT_LIST_DIR}/builtinclasses.cpp
  ${CMAKE_CURRENT_LIST_DIR}/classtable.cpp
  ${CMAKE_CURRENT_LIST_DIR}/heap.cpp
  ${CMAKE_CURRENT_LIST_DIR}/namefold.cpp
  ${CMAKE_CURRENT_LIST_DIR}/objectentries.cpp
  ${CMAKE_CURRENT_LIST_DIR}/objects.cpp
  ${CMAKE_CURRENT_LIST_DIR}/projectitems.cpp
  ${CMAKE_CURRENT_LIST_DIR}/runtimeclass.cpp
  ${CMAKE_CURRENT_LIST_DIR}/stringmap.cpp
  ${CMAKE_CURRENT_LIST_DIR}/typedescriptor.cpp)
