# Unit tests: GoogleTest on both platforms. Linux uses Debian's packaged library; the
# Windows build compiles GoogleTest from the sources Debian installs under
# /usr/src/googletest and runs every test executable under Wine, so each unit test proves
# the code runs on Windows too.
enable_testing()

if(WIN32)
  set(VINTOR_GOOGLETEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest sources")
  set(gtest_force_shared_crt OFF CACHE BOOL "" FORCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
  add_subdirectory(${VINTOR_GOOGLETEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
  set(VINTOR_GTEST_LIBS gmock gtest_main)
  find_program(VINTOR_WINE NAMES wine64 wine PATHS /usr/lib/wine NO_DEFAULT_PATH)
  find_program(VINTOR_WINE NAMES wine64 wine)
  if(NOT VINTOR_WINE)
    message(FATAL_ERROR "Wine is needed to run the Windows unit tests (apt-get install wine64)")
  endif()
  set(VINTOR_WINE_PREFIX ${CMAKE_BINARY_DIR}/wineprefix CACHE PATH "Wine prefix for the tests")
else()
  find_package(GTest REQUIRED)
  include(GoogleTest)
  set(VINTOR_GTEST_LIBS GTest::gmock GTest::gtest_main)
endif()

# vintor_add_unit_tests(<name> SOURCES <files...> LIBS <targets...>)
# One test executable per folder. On Linux each test case is its own CTest test (label
# unit); on Windows the executable runs whole under Wine as one CTest test (label win32).
function(vintor_add_unit_tests name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} vintor_options ${VINTOR_GTEST_LIBS})
  if(WIN32)
    add_test(NAME ${name}_under_wine COMMAND ${VINTOR_WINE} $<TARGET_FILE:${name}>)
    set_tests_properties(${name}_under_wine PROPERTIES
      LABELS "unit;win32" TIMEOUT 600
      ENVIRONMENT "WINEPREFIX=${VINTOR_WINE_PREFIX};WINEDEBUG=-all;LANG=ja_JP.UTF-8;LC_ALL=ja_JP.UTF-8")
  else()
    gtest_discover_tests(${name} PROPERTIES LABELS unit DISCOVERY_TIMEOUT 60)
  endif()
endfunction()
