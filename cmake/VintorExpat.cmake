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
  include(${CMAKE_CURRENT_LIST_DIR}/VintorNpmPackage.cmake)
  vintor_npm_package(vintor_expat_package node-expat 2.4.1
    6daade62158d4d7db7091bd209cd68973c160adacf6bc16f8510c07f225da53d expat package_dir)
  set(VINTOR_EXPAT_SOURCE_DIR ${package_dir}/deps/libexpat/lib)

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
