# The path styles, the output destination checks and the saved settings file.
list(APPEND CONDITIONS_SOURCES
  ${CMAKE_CURRENT_SOURCE_DIR}/separator_path_style.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/windows_path_style.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/posix_path_style.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/native_path_style.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/destination_check.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/saved_settings.cpp)
list(APPEND CONDITIONS_TESTS
  ${CMAKE_CURRENT_SOURCE_DIR}/windows_path_style_test.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/posix_path_style_test.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/native_path_style_test.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/destination_check_test.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/saved_settings_test.cpp)
