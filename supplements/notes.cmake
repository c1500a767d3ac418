# The notes section: the table of note elements and the section that writes the shown ones.
list(APPEND SUPPLEMENTS_SOURCES
  ${CMAKE_CURRENT_SOURCE_DIR}/notes_section.cpp)
list(APPEND SUPPLEMENTS_TESTS
  ${CMAKE_CURRENT_SOURCE_DIR}/note_element_table_test.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/notes_section_test.cpp)
