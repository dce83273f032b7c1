# Sources: target_sources(armonixrt PRIVATE ${CMAKE_CURRENT_LIST_DIR}/file.cpp)
