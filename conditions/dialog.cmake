# The conditions dialog presenter, its period arithmetic, the store interface of its saved
# settings, and the fake library part its tests and front-end tests build on.
list(APPEND CONDITIONS_SOURCES
  ${CMAKE_CURRENT_SOURCE_DIR}/conditions_dialog.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/period_months.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/settings_store.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/fake_period_library.cpp)
list(APPEND CONDITIONS_TESTS
  ${CMAKE_CURRENT_SOURCE_DIR}/conditions_dialog_test.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/period_months_test.cpp)
