# expat, the XML parser that reads reports back (report/). Linux links Debian's libexpat
# (libexpat1-dev). The Windows build compiles the libexpat sources that a pinned npm package
# carries (node-expat 2.4.1 ships expat 2.2.1 as deps/libexpat) into a static library, so the
# .exe needs no DLL and the parser never changes under us. Either way the reader links the
# target vintor_expat.
if(TARGET vintor_expat)
  return()
endif()

add_library(vintor_expat INTERFACE)

if(WIN32)
  # The same download cache as the SQLite sources (cmake/VintorSqlite.cmake): fetched once,
  # checked by its hash whenever it is used, fetched again when damaged or changed.
  set(expat_package_name node-expat-2.4.1.tgz)
  set(expat_package_hash 6daade62158d4d7db7091bd209cd68973c160adacf6bc16f8510c07f225da53d)
  if(DEFINED ENV{XDG_CACHE_HOME} AND IS_ABSOLUTE "$ENV{XDG_CACHE_HOME}")
    set(default_cache "$ENV{XDG_CACHE_HOME}/vintor")
  elseif(DEFINED ENV{HOME})
    set(default_cache "$ENV{HOME}/.cache/vintor")
  else()
    set(default_cache "${CMAKE_BINARY_DIR}/downloads")
  endif()
  set(VINTOR_DOWNLOAD_CACHE "${default_cache}" CACHE PATH
      "Folder that keeps downloaded sources between builds")
  set(expat_package "${VINTOR_DOWNLOAD_CACHE}/${expat_package_name}")
  set(expat_package_ok FALSE)
  if(EXISTS "${expat_package}")
    file(SHA256 "${expat_package}" cached_hash)
    if(cached_hash STREQUAL expat_package_hash)
      set(expat_package_ok TRUE)
    endif()
  endif()
  if(NOT expat_package_ok)
    file(MAKE_DIRECTORY "${VINTOR_DOWNLOAD_CACHE}")
    file(DOWNLOAD https://registry.npmjs.org/node-expat/-/${expat_package_name}
         "${expat_package}.part" EXPECTED_HASH SHA256=${expat_package_hash} STATUS status)
    list(GET status 0 status_code)
    if(NOT status_code EQUAL 0)
      file(REMOVE "${expat_package}.part")
      message(FATAL_ERROR "cannot download the expat sources: ${status}")
    endif()
    file(RENAME "${expat_package}.part" "${expat_package}")
  endif()

  include(FetchContent)
  FetchContent_Declare(vintor_expat_package
    URL "${expat_package}"
    URL_HASH SHA256=${expat_package_hash}
    DOWNLOAD_EXTRACT_TIMESTAMP TRUE)
  # Only the C sources are wanted: the package's own build (node-gyp) and its binding are
  # never used.
  FetchContent_GetProperties(vintor_expat_package)
  if(NOT vintor_expat_package_POPULATED)
    FetchContent_Populate(vintor_expat_package)
  endif()
  set(VINTOR_EXPAT_SOURCE_DIR ${vintor_expat_package_SOURCE_DIR}/deps/libexpat/lib)

  # A plain C library: none of the program's options apply to code that is not ours, and
  # UNICODE stays undefined (expat calls the narrow LoadLibrary for its hash salt).
  # XML_STATIC: linked into the program, nothing exported from a DLL.
  add_library(vintor_expat_static STATIC
    ${VINTOR_EXPAT_SOURCE_DIR}/xmlparse.c
    ${VINTOR_EXPAT_SOURCE_DIR}/xmlrole.c
    ${VINTOR_EXPAT_SOURCE_DIR}/xmltok.c)
  target_compile_definitions(vintor_expat_static PUBLIC XML_STATIC)
  target_compile_options(vintor_expat_static PRIVATE -w)
  target_include_directories(vintor_expat_static SYSTEM PUBLIC ${VINTOR_EXPAT_SOURCE_DIR})
  target_link_libraries(vintor_expat INTERFACE vintor_expat_static)
else()
  find_package(EXPAT REQUIRED)
  target_link_libraries(vintor_expat INTERFACE EXPAT::EXPAT)
endif()
