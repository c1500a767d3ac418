# Compile options every target of the product links through vintor_options.
#
# All text inside the program is CP932 bytes: the sources are UTF-8 and every literal is
# converted to CP932 by the compiler, on both platforms. A unit test pins the bytes.
add_library(vintor_options INTERFACE)
target_compile_options(vintor_options INTERFACE
  $<$<COMPILE_LANGUAGE:CXX>:-finput-charset=UTF-8 -fexec-charset=CP932>
  -Wall -Wextra)
option(VINTOR_SANITIZE
       "Build everything with the address and undefined-behaviour sanitizers; a finding stops the program"
       OFF)
if(VINTOR_SANITIZE AND NOT WIN32)
  # The asan preset: every test, and every program a test starts, runs checked. A finding
  # ends the program with an error instead of a message the test would not see.
  target_compile_options(vintor_options INTERFACE -fsanitize=address,undefined
                         -fno-sanitize-recover=all -fno-omit-frame-pointer)
  target_link_options(vintor_options INTERFACE -fsanitize=address,undefined)
  target_sources(vintor_options INTERFACE
    $<$<STREQUAL:$<TARGET_PROPERTY:TYPE>,EXECUTABLE>:${PROJECT_SOURCE_DIR}/cmake/sanitizer_defaults.cpp>)
elseif(VINTOR_FUZZ)
  # Searching for faults: every library the targets link is checked too.
  target_compile_options(vintor_options INTERFACE -fsanitize=address,undefined -fno-omit-frame-pointer)
  target_link_options(vintor_options INTERFACE -fsanitize=address,undefined)
endif()
if(VINTOR_WERROR)
  target_compile_options(vintor_options INTERFACE -Werror)
endif()
target_include_directories(vintor_options INTERFACE ${PROJECT_SOURCE_DIR})
if(WIN32)
  # Unicode Win32 entry points only; the program converts CP932 to UTF-16 itself.
  target_compile_definitions(vintor_options INTERFACE UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX)
  target_link_options(vintor_options INTERFACE -static -static-libgcc -static-libstdc++)
endif()
