# SQLite for the books. Linux links Debian's libsqlite3. The Windows build compiles the
# SQLite amalgamation that a pinned npm package carries (better-sqlite3 12.11.1 ships
# SQLite 3.53.2 as deps/sqlite3/sqlite3.c), so the static .exe needs no DLL and the version
# never drifts. Either way the books link the target vintor_sqlite.
if(TARGET vintor_sqlite)
  return()
endif()

add_library(vintor_sqlite INTERFACE)

if(WIN32)
  include(${CMAKE_CURRENT_LIST_DIR}/VintorNpmPackage.cmake)
  vintor_npm_package(vintor_sqlite_package better-sqlite3 12.11.1
    ebf0ed75a7a59dbcb3b24bbd014ef49d9f15bc328e4adcbf516f2a8fadfa2835 SQLite package_dir)
  set(VINTOR_SQLITE_SOURCE_DIR ${package_dir}/deps/sqlite3)

  # A plain C library: none of the program's options (no CP932 literals, no -Werror) apply
  # to code that is not ours. The books use one connection per thread, open no extensions
  # and declare no foreign keys.
  add_library(vintor_sqlite_amalgamation STATIC ${VINTOR_SQLITE_SOURCE_DIR}/sqlite3.c)
  target_compile_definitions(vintor_sqlite_amalgamation
    PRIVATE SQLITE_THREADSAFE=0 SQLITE_OMIT_LOAD_EXTENSION SQLITE_DEFAULT_FOREIGN_KEYS=0)
  target_compile_options(vintor_sqlite_amalgamation PRIVATE -w)
  target_include_directories(vintor_sqlite_amalgamation SYSTEM PUBLIC ${VINTOR_SQLITE_SOURCE_DIR})
  target_link_libraries(vintor_sqlite INTERFACE vintor_sqlite_amalgamation)
else()
  find_package(SQLite3 REQUIRED)
  target_link_libraries(vintor_sqlite INTERFACE SQLite::SQLite3)
endif()
