# The README's zavolt-horn examples must be what the program does. After each
# <!-- zavolt-horn example --> comes a ```sh block, run as it stands by sh in one scratch folder with
# the built zavolt-horn first on PATH, then a ```text block: what it prints, standard output and
# standard error together. A plot that the README shows from doc/ must be the one the example draws.
# Usage: cmake -DREADME=<README.md> -DPROGRAM_DIR=<folder of zavolt-horn> -DSOURCE=<source dir>
#              -DSCRATCH=<scratch folder> -P check_horn_readme.cmake
cmake_minimum_required(VERSION 3.25)

file(READ "${README}" readme)
file(REMOVE_RECURSE "${SCRATCH}")
file(MAKE_DIRECTORY "${SCRATCH}")
set(ENV{PATH} "${PROGRAM_DIR}:$ENV{PATH}")

# The next fenced block of `language` in `text` from `from` on: its body, and where it ends.
function(next_block text from language body_out end_out)
  string(SUBSTRING "${text}" ${from} -1 rest)
  string(FIND "${rest}" "```${language}\n" open)
  if(open EQUAL -1)
    message(FATAL_ERROR "README: no ```${language} block after offset ${from}")
  endif()
  string(LENGTH "```${language}\n" fence)
  math(EXPR body_start "${open} + ${fence}")
  string(SUBSTRING "${rest}" ${body_start} -1 rest)
  string(FIND "${rest}" "```" close)
  string(SUBSTRING "${rest}" 0 ${close} body)
  math(EXPR end "${from} + ${body_start} + ${close} + 3")
  set(${body_out} "${body}" PARENT_SCOPE)
  set(${end_out} ${end} PARENT_SCOPE)
endfunction()

set(marker "<!-- zavolt-horn example -->")
set(examples 0)
set(at 0)
while(TRUE)
  string(SUBSTRING "${readme}" ${at} -1 rest)
  string(FIND "${rest}" "${marker}" found)
  if(found EQUAL -1)
    break()
  endif()
  math(EXPR at "${at} + ${found}")
  next_block("${readme}" ${at} "sh" command after_command)
  next_block("${readme}" ${after_command} "text" expected at)
  math(EXPR examples "${examples} + 1")

  # A script file keeps the command's quotes, semicolons and dollars as the README shows them.
  file(WRITE "${SCRATCH}/example${examples}.sh" "${command}")
  execute_process(COMMAND sh "${SCRATCH}/example${examples}.sh" WORKING_DIRECTORY "${SCRATCH}"
                  OUTPUT_VARIABLE printed ERROR_VARIABLE printed RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "README example ${examples} exits with ${status}:\n${command}\n${printed}")
  endif()
  if(NOT printed STREQUAL expected)
    message(FATAL_ERROR "README example ${examples} prints otherwise:\n${command}\n--- README\n${expected}"
                        "--- program\n${printed}")
  endif()
endwhile()
if(examples EQUAL 0)
  message(FATAL_ERROR "README has no ${marker}")
endif()

# Pictures the README shows: ![...](doc/NAME.svg) must be the NAME.svg an example drew.
# (The match leaves the "]" out: a bracket in a CMake list element keeps the list from splitting.)
string(REGEX MATCHALL "\\(doc/[A-Za-z0-9_.-]+\\.svg\\)" pictures "${readme}")
foreach(link IN LISTS pictures)
  string(REGEX REPLACE "^\\(doc/(.+)\\)$" "\\1" name "${link}")
  if(NOT EXISTS "${SCRATCH}/${name}")
    message(FATAL_ERROR "README shows doc/${name}, which no example draws")
  endif()
  execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files "${SOURCE}/doc/${name}" "${SCRATCH}/${name}"
                  RESULT_VARIABLE differ)
  if(differ)
    message(FATAL_ERROR "doc/${name} is not what the README's example draws now: copy ${SCRATCH}/${name}")
  endif()
endforeach()
