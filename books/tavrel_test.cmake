# tavrel end to end, on the program as built: generated books survive export, import and
# export again byte for byte; the sample survives the same trip; refused input and usage
# errors give their exit statuses. Run by CTest with
#   -DTAVREL=<program> -DWORK=<scratch folder> [-DRUNNER=<wine>] [-DPATH_PREFIX=Z:]
#   -DSAMPLE=<samples/sample-books>
cmake_minimum_required(VERSION 3.25)

file(REMOVE_RECURSE "${WORK}")
file(MAKE_DIRECTORY "${WORK}")
# The program sees the scratch folder under its own name (a drive letter under Wine).
set(W "${PATH_PREFIX}${WORK}")

function(tavrel expected_status)
  execute_process(COMMAND ${RUNNER} "${TAVREL}" ${ARGN}
    RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT status EQUAL expected_status)
    message(FATAL_ERROR "tavrel ${ARGN}: status ${status}, expected ${expected_status}\n${out}${err}")
  endif()
  set(tavrel_output "${out}${err}" PARENT_SCOPE)
endfunction()

# Compares every file of folder a with the same file of folder b (and b has no others).
function(same_folders a b)
  file(GLOB_RECURSE files_a RELATIVE "${a}" "${a}/*")
  file(GLOB_RECURSE files_b RELATIVE "${b}" "${b}/*")
  list(SORT files_a)
  list(SORT files_b)
  if(NOT files_a STREQUAL files_b)
    message(FATAL_ERROR "${a} holds ${files_a}, ${b} holds ${files_b}")
  endif()
  foreach(file IN LISTS files_a)
    execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files "${a}/${file}" "${b}/${file}"
      RESULT_VARIABLE different)
    if(different)
      message(FATAL_ERROR "${a}/${file} and ${b}/${file} differ")
    endif()
  endforeach()
endfunction()

tavrel(0 --books "${W}/new/folder/a.db" generate --accounts 30 --lines 500 --seed 3)
tavrel(0 --books "${W}/new/folder/a.db" export "${W}/a")
tavrel(0 --books "${W}/b.db" import "${W}/a")
tavrel(0 --books "${W}/b.db" export "${W}/b")
same_folders("${WORK}/a" "${WORK}/b")

tavrel(0 --books "${W}/b.db" list)
if(NOT tavrel_output MATCHES "GEN3")
  message(FATAL_ERROR "list does not show the generated company:\n${tavrel_output}")
endif()
tavrel(0 --books "${W}/b.db" select --user keiri --data 1)
tavrel(1 --books "${W}/b.db" select --user nobody --data 1)
tavrel(2 --books "${W}/b.db" frob)
tavrel(2 generate --accounts 1)

# A journal line of a voucher that does not exist: refused, and the books stay as they were.
tavrel(0 --books "${W}/b.db" export "${W}/before")
file(COPY "${WORK}/a/" DESTINATION "${WORK}/broken")
file(APPEND "${WORK}/broken/journal.csv" "1,999999,1,0,0,0,0,0,0,\n")
tavrel(1 --books "${W}/b.db" import "${W}/broken")
if(NOT tavrel_output MATCHES "journal.csv:[0-9]+: unknown voucher 999999 in company 1")
  message(FATAL_ERROR "unexpected message: ${tavrel_output}")
endif()
tavrel(1 check "${W}/broken")
tavrel(0 check "${W}/a")
if(NOT tavrel_output MATCHES "fit to import: 1 companies")
  message(FATAL_ERROR "check does not say what the folder holds:\n${tavrel_output}")
endif()
tavrel(0 --books "${W}/b.db" export "${W}/c")
same_folders("${WORK}/before" "${WORK}/c")

if(EXISTS "${SAMPLE}")
  tavrel(0 --books "${W}/s.db" sample)
  tavrel(0 --books "${W}/s.db" export "${W}/s")
  # The sample leaves the settings folder to the machine; the rest comes back unchanged.
  file(REMOVE "${WORK}/s/folders.csv")
  file(COPY "${SAMPLE}/" DESTINATION "${WORK}/sample")
  file(REMOVE "${WORK}/sample/folders.csv")
  same_folders("${WORK}/sample" "${WORK}/s")
endif()

# A relative books path is taken in the folder the user started in, and the settings folder
# stored beside it is absolute; imported books get one too.
if(NOT RUNNER)
  file(MAKE_DIRECTORY "${WORK}/started-here")
  execute_process(COMMAND "${TAVREL}" --books rel/r.db import "${SAMPLE}"
    WORKING_DIRECTORY "${WORK}/started-here" RESULT_VARIABLE status OUTPUT_QUIET ERROR_QUIET)
  tavrel(0 --books "${W}/started-here/rel/r.db" export "${W}/r")
  file(READ "${WORK}/r/folders.csv" folders)
  if(NOT folders STREQUAL "type,path\n1,${WORK}/started-here/rel/vintor-settings/\n")
    message(FATAL_ERROR "import kept no absolute settings folder (status ${status}):\n${folders}")
  endif()
endif()
