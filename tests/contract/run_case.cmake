# Runs pobelo-sheet once with a trace and compares the trace byte for byte with the expected one:
# the trace of a sheet is its contract, so a change that moves a cell or a line fails here.
# -DTOOL=... -DEMULATOR=... (may be empty) -DARGS=a;b;c -DEXPECTED=file -DACTUAL=file
separate_arguments(args NATIVE_COMMAND "${ARGS}")
file(REMOVE "${ACTUAL}")
execute_process(COMMAND ${EMULATOR} "${TOOL}" ${args} --trace "${ACTUAL}"
                RESULT_VARIABLE status ERROR_VARIABLE errors OUTPUT_QUIET)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "pobelo-sheet ${ARGS} exited with ${status}: ${errors}")
endif()
file(READ "${EXPECTED}" expected)
file(READ "${ACTUAL}" actual)
string(REPLACE "\r\n" "\n" actual "${actual}")
if(NOT expected STREQUAL actual)
  execute_process(COMMAND diff -u "${EXPECTED}" "${ACTUAL}" OUTPUT_VARIABLE difference)
  string(SUBSTRING "${difference}" 0 4000 difference)
  message(FATAL_ERROR "The trace differs from ${EXPECTED}:\n${difference}")
endif()
