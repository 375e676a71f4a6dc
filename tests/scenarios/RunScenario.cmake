# Runs one scenario; see CMakeLists.txt beside this file.
file(REMOVE_RECURSE "${WORK}")
file(MAKE_DIRECTORY "${WORK}")
execute_process(
  COMMAND "${HOST}" --home "${WORK}/home" --echo ${ARGS} "${SCRIPT}"
  WORKING_DIRECTORY "${WORK}"
  OUTPUT_VARIABLE out ERROR_VARIABLE err RESULT_VARIABLE status
  TIMEOUT 120)
string(REGEX REPLACE "\n$" "" err "${err}")
if(NOT err STREQUAL "")
  string(REPLACE "\n" "\n! " err "${err}")
  string(APPEND out "! ${err}\n")
endif()
string(APPEND out "exit ${status}\n")
string(REPLACE "${WORK}" "$WORK" out "${out}")
string(REPLACE "${SCRIPT}" "$SCRIPT" out "${out}")
file(READ "${EXPECTED}" expected)
if(NOT out STREQUAL expected)
  file(WRITE "${WORK}/transcript" "${out}")
  message(FATAL_ERROR "transcript differs from ${EXPECTED}; got (also in ${WORK}/transcript):\n${out}")
endif()
