target_sources(armonixrt PRIVATE ${CMAKE_CURRENT_LIST_DIR}/heap.cpp)
