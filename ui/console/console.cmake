# The Linux front-end: the desktop and the conditions dialog on the terminal, and the
# exporter's command line. Windows has its own views (ui/win32).
if(NOT WIN32)
  add_library(vintor_ui_console
    ${CMAKE_CURRENT_LIST_DIR}/terminal.cpp
    ${CMAKE_CURRENT_LIST_DIR}/console_desktop.cpp
    ${CMAKE_CURRENT_LIST_DIR}/console_dialog.cpp
    ${CMAKE_CURRENT_LIST_DIR}/console_options.cpp
    ${CMAKE_CURRENT_LIST_DIR}/console_progress_view.cpp
    ${CMAKE_CURRENT_LIST_DIR}/host_channel.cpp)
  target_link_libraries(vintor_ui_console PUBLIC vintor_options vintor_ui vintor_conditions
                                                 vintor_text vintor_app)

  vintor_add_unit_tests(vintor_ui_console_tests
    SOURCES
      ${CMAKE_CURRENT_LIST_DIR}/terminal_test.cpp
      ${CMAKE_CURRENT_LIST_DIR}/console_desktop_test.cpp
      ${CMAKE_CURRENT_LIST_DIR}/console_dialog_test.cpp
      ${CMAKE_CURRENT_LIST_DIR}/console_options_test.cpp
      ${CMAKE_CURRENT_LIST_DIR}/console_progress_view_test.cpp
      ${CMAKE_CURRENT_LIST_DIR}/host_channel_test.cpp
    LIBS vintor_ui_console util)

  # The dialog on a real pseudo-terminal, as a user sees it.
  add_executable(vintor_ui_console_e2e_tests ${CMAKE_CURRENT_LIST_DIR}/console_pty_test.cpp)
  target_link_libraries(vintor_ui_console_e2e_tests PRIVATE vintor_ui_console vintor_options
                                                            ${VINTOR_GTEST_LIBS} util)
  gtest_discover_tests(vintor_ui_console_e2e_tests PROPERTIES LABELS e2e DISCOVERY_TIMEOUT 60)
endif()
