# The statement of changes in net assets and the general-ledger section.
list(APPEND SUPPLEMENTS_SOURCES
  ${CMAKE_CURRENT_SOURCE_DIR}/equity_statement.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/ledger_section.cpp)
list(APPEND SUPPLEMENTS_TESTS
  ${CMAKE_CURRENT_SOURCE_DIR}/equity_statement_test.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/ledger_section_test.cpp)
