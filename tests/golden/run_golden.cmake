# Runs one transcript case: the built program in a fresh folder, answers from <case>.in, the
# first command-line argument from <case>.args when it exists. Compares, byte for byte:
#   stdout with <case>.out;
#   the one file the run leaves in its folder with <case>.report (no file at all when absent);
#   stderr up to the failure's message lines with <case>.err (nothing at all when absent);
#   the exit status with <case>.status (0 when absent).
# Usage: cmake -DEXE=<zavolt> -DCASE=<folder/name> -DWORK=<scratch folder> -P run_golden.cmake

file(REMOVE_RECURSE "${WORK}")
file(MAKE_DIRECTORY "${WORK}/run")

set(arguments "")
if(EXISTS "${CASE}.args")
  file(STRINGS "${CASE}.args" arguments LIMIT_COUNT 1)
endif()

execute_process(
  COMMAND "${EXE}" ${arguments}
  WORKING_DIRECTORY "${WORK}/run"
  INPUT_FILE "${CASE}.in"
  OUTPUT_FILE "${WORK}/stdout"
  ERROR_FILE "${WORK}/stderr"
  RESULT_VARIABLE status)

set(failures "")

function(compare what expected actual)
  execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files "${expected}" "${actual}" RESULT_VARIABLE differ)
  if(differ)
    execute_process(COMMAND diff -u --label "expected ${what}" --label "actual ${what}" "${expected}" "${actual}"
                    OUTPUT_VARIABLE shown)
    message("${what} differs:\n${shown}")
    set(failures "${failures} ${what}" PARENT_SCOPE)
  endif()
endfunction()

compare(stdout "${CASE}.out" "${WORK}/stdout")

file(GLOB left LIST_DIRECTORIES true "${WORK}/run/*")
list(LENGTH left left_count)
if(EXISTS "${CASE}.report")
  if(NOT left_count EQUAL 1)
    message("expected one report file, the run left: ${left}")
    set(failures "${failures} report")
  else()
    compare(report "${CASE}.report" "${left}")
  endif()
elseif(NOT left_count EQUAL 0)
  message("expected no report file, the run left: ${left}")
  set(failures "${failures} report")
endif()

# Only the message lines of stderr are fixed; the listing of active routines after them is not.
set(expected_err "")
if(EXISTS "${CASE}.err")
  file(READ "${CASE}.err" expected_err)
endif()
file(READ "${WORK}/stderr" actual_err)
string(LENGTH "${expected_err}" err_length)
string(SUBSTRING "${actual_err}" 0 ${err_length} actual_err_head)
if(NOT actual_err_head STREQUAL expected_err OR (err_length EQUAL 0 AND NOT actual_err STREQUAL ""))
  message("stderr differs:\n--- expected\n${expected_err}\n--- actual\n${actual_err}")
  set(failures "${failures} stderr")
endif()

set(expected_status 0)
if(EXISTS "${CASE}.status")
  file(STRINGS "${CASE}.status" expected_status LIMIT_COUNT 1)
endif()
if(NOT status STREQUAL expected_status)
  message("exit status ${status}, expected ${expected_status}")
  set(failures "${failures} status")
endif()

if(failures)
  message(FATAL_ERROR "transcript ${CASE} differs in:${failures}")
endif()
