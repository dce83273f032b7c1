# The language's strings: records and ownership, character tables, search, comparison,
# number conversion, pattern formatting, the string functions and their DBCS forms.
target_sources(armonixrt PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/stringcompare.cpp
  ${CMAKE_CURRENT_LIST_DIR}/stringdbcs.cpp
  ${CMAKE_CURRENT_LIST_DIR}/stringformat.cpp
  ${CMAKE_CURRENT_LIST_DIR}/stringfunctions.cpp
  ${CMAKE_CURRENT_LIST_DIR}/stringnumber.cpp
  ${CMAKE_CURRENT_LIST_DIR}/stringrecord.cpp
  ${CMAKE_CURRENT_LIST_DIR}/stringsearch.cpp
  ${CMAKE_CURRENT_LIST_DIR}/stringtables.cpp
)
