# The sources the Windows build compiles from pinned npm packages (cmake/VintorSqlite.cmake,
# cmake/VintorExpat.cmake). A package is downloaded once into a cache that every build
# folder and clone reuses (VINTOR_DOWNLOAD_CACHE, by default ~/.cache/vintor), and checked by
# its hash whenever it is used: a damaged or changed file is fetched again.
include_guard(GLOBAL)
include(FetchContent)

if(DEFINED ENV{XDG_CACHE_HOME} AND IS_ABSOLUTE "$ENV{XDG_CACHE_HOME}")
  set(vintor_default_cache "$ENV{XDG_CACHE_HOME}/vintor")
elseif(DEFINED ENV{HOME})
  set(vintor_default_cache "$ENV{HOME}/.cache/vintor")
else()
  set(vintor_default_cache "${CMAKE_BINARY_DIR}/downloads")
endif()
set(VINTOR_DOWNLOAD_CACHE "${vintor_default_cache}" CACHE PATH
    "Folder that keeps downloaded sources between builds")

# vintor_npm_package(CONTENT PACKAGE VERSION SHA256 WHAT OUT_VAR) unpacks the registry's
# PACKAGE-VERSION.tgz as the FetchContent content CONTENT and sets OUT_VAR to its folder.
# WHAT names the sources in the message of a failed download. Only the sources are wanted:
# the package's own build (node-gyp) is never run.
function(vintor_npm_package content package version hash what out_var)
  set(file_name ${package}-${version}.tgz)
  set(archive "${VINTOR_DOWNLOAD_CACHE}/${file_name}")
  set(archive_ok FALSE)
  if(EXISTS "${archive}")
    file(SHA256 "${archive}" cached_hash)
    if(cached_hash STREQUAL hash)
      set(archive_ok TRUE)
    endif()
  endif()
  if(NOT archive_ok)
    file(MAKE_DIRECTORY "${VINTOR_DOWNLOAD_CACHE}")
    file(DOWNLOAD https://registry.npmjs.org/${package}/-/${file_name}
         "${archive}.part" EXPECTED_HASH SHA256=${hash} STATUS status)
    list(GET status 0 status_code)
    if(NOT status_code EQUAL 0)
      file(REMOVE "${archive}.part")
      message(FATAL_ERROR "cannot download the ${what} sources: ${status}")
    endif()
    file(RENAME "${archive}.part" "${archive}")
  endif()

  FetchContent_Declare(${content}
    URL "${archive}"
    URL_HASH SHA256=${hash}
    DOWNLOAD_EXTRACT_TIMESTAMP TRUE)
  FetchContent_GetProperties(${content})
  if(NOT ${content}_POPULATED)
    FetchContent_Populate(${content})
  endif()
  set(${out_var} "${${content}_SOURCE_DIR}" PARENT_SCOPE)
endfunction()
