# SQLite for the books. Linux links Debian's libsqlite3. The Windows build compiles the
# SQLite amalgamation that a pinned npm package carries (better-sqlite3 12.11.1 ships
# SQLite 3.53.2 as deps/sqlite3/sqlite3.c), so the static .exe needs no DLL and the version
# never drifts. Either way the books link the target vintor_sqlite.
if(TARGET vintor_sqlite)
  return()
endif()

add_library(vintor_sqlite INTERFACE)

if(WIN32)
  # The package is downloaded once into a cache that every build folder and clone reuses
  # (VINTOR_DOWNLOAD_CACHE, by default ~/.cache/vintor), and checked by its hash whenever
  # it is used: a damaged or changed file is fetched again.
  set(sqlite_package_name better-sqlite3-12.11.1.tgz)
  set(sqlite_package_hash ebf0ed75a7a59dbcb3b24bbd014ef49d9f15bc328e4adcbf516f2a8fadfa2835)
  if(DEFINED ENV{XDG_CACHE_HOME} AND IS_ABSOLUTE "$ENV{XDG_CACHE_HOME}")
    set(default_cache "$ENV{XDG_CACHE_HOME}/vintor")
  elseif(DEFINED ENV{HOME})
    set(default_cache "$ENV{HOME}/.cache/vintor")
  else()
    set(default_cache "${CMAKE_BINARY_DIR}/downloads")
  endif()
  set(VINTOR_DOWNLOAD_CACHE "${default_cache}" CACHE PATH
      "Folder that keeps downloaded sources between builds")
  set(sqlite_package "${VINTOR_DOWNLOAD_CACHE}/${sqlite_package_name}")
  set(sqlite_package_ok FALSE)
  if(EXISTS "${sqlite_package}")
    file(SHA256 "${sqlite_package}" cached_hash)
    if(cached_hash STREQUAL sqlite_package_hash)
      set(sqlite_package_ok TRUE)
    endif()
  endif()
  if(NOT sqlite_package_ok)
    file(MAKE_DIRECTORY "${VINTOR_DOWNLOAD_CACHE}")
    file(DOWNLOAD https://registry.npmjs.org/better-sqlite3/-/${sqlite_package_name}
         "${sqlite_package}.part" EXPECTED_HASH SHA256=${sqlite_package_hash} STATUS status)
    list(GET status 0 status_code)
    if(NOT status_code EQUAL 0)
      file(REMOVE "${sqlite_package}.part")
      message(FATAL_ERROR "cannot download the SQLite sources: ${status}")
    endif()
    file(RENAME "${sqlite_package}.part" "${sqlite_package}")
  endif()

  include(FetchContent)
  FetchContent_Declare(vintor_sqlite_package
    URL "${sqlite_package}"
    URL_HASH SHA256=${sqlite_package_hash}
    DOWNLOAD_EXTRACT_TIMESTAMP TRUE)
  # Only the sources are wanted: the package's own build (node-gyp) is never run.
  FetchContent_GetProperties(vintor_sqlite_package)
  if(NOT vintor_sqlite_package_POPULATED)
    FetchContent_Populate(vintor_sqlite_package)
  endif()
  set(VINTOR_SQLITE_SOURCE_DIR ${vintor_sqlite_package_SOURCE_DIR}/deps/sqlite3)

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
