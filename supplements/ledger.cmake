# The general-ledger extraction: the ledger lines of every account as LedgerEntry records.
list(APPEND SUPPLEMENTS_SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/ledger_extraction.cpp
                                ${CMAKE_CURRENT_SOURCE_DIR}/ledger_stream.cpp
                                ${CMAKE_CURRENT_SOURCE_DIR}/report_text_check.cpp)
list(APPEND SUPPLEMENTS_TESTS ${CMAKE_CURRENT_SOURCE_DIR}/ledger_extraction_test.cpp
                              ${CMAKE_CURRENT_SOURCE_DIR}/report_text_check_test.cpp)
