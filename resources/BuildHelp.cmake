# Compiles the help project with chmcmd, run as `cmake -P` by the nq_help target.
#   CHMCMD  path of chmcmd (empty when it was not found)
#   SRC     folder of the help sources (norvane.hhp and what it lists)
#   STAGE   scratch folder; chmcmd writes next to the project, so it works on a copy
#   OUT     where norvane.chm goes
# chmcmd does not always report failure in its exit code (a missing project gives 0, a missing
# page leaves an empty file), so the result is checked as well.

foreach(var SRC STAGE OUT)
  if(NOT ${var})
    message(FATAL_ERROR "BuildHelp.cmake: ${var} is not set")
  endif()
endforeach()
if(NOT CHMCMD)
  message(FATAL_ERROR "Cannot build norvane.chm: chmcmd was not found. It comes with the Debian "
                      "package fp-utils (scripts/setup.sh installs it); re-run cmake afterwards.")
endif()

file(REMOVE "${OUT}")
file(REMOVE_RECURSE "${STAGE}")
file(COPY "${SRC}/" DESTINATION "${STAGE}")

execute_process(COMMAND "${CHMCMD}" norvane.hhp
                WORKING_DIRECTORY "${STAGE}"
                RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
set(chm "${STAGE}/norvane.chm")
set(size 0)
if(EXISTS "${chm}")
  file(SIZE "${chm}" size)
endif()
string(FIND "${out}${err}" "Warning" warned)
if(NOT rc EQUAL 0 OR size LESS 4096 OR NOT warned EQUAL -1)
  message(FATAL_ERROR "chmcmd failed to build norvane.chm (exit ${rc}, ${size} bytes):\n${out}${err}")
endif()

file(COPY_FILE "${chm}" "${OUT}")
