# The README's worked example must be what the program does. Its terminal session, with the
# typed answers taken out, must be the piped transcript <case>.out, the answers taken out being the
# lines of <case>.in in order (a typed answer and its Enter stand right after their prompt; the
# program never echoes). Its report must be <case>.report with LF line ends.
# Usage: cmake -DREADME=<README.md> -DCASE=<folder/name> -P check_readme.cmake
cmake_minimum_required(VERSION 3.25)

file(READ "${README}" readme)

# The fenced block after the HTML comment <!-- ${marker} -->, without its fences.
function(fenced_block marker out)
  string(FIND "${readme}" "<!-- ${marker} -->" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "README has no <!-- ${marker} --> block")
  endif()
  string(SUBSTRING "${readme}" ${at} -1 rest)
  string(FIND "${rest}" "```" open)
  string(SUBSTRING "${rest}" ${open} -1 rest)
  string(FIND "${rest}" "\n" line_end)
  math(EXPR line_end "${line_end} + 1")
  string(SUBSTRING "${rest}" ${line_end} -1 rest)
  string(FIND "${rest}" "```" close)
  string(SUBSTRING "${rest}" 0 ${close} block)
  set(${out} "${block}" PARENT_SCOPE)
endfunction()

fenced_block("worked example: terminal" session)
fenced_block("worked example: report" shown_report)

file(READ "${CASE}.out" piped)
file(READ "${CASE}.in" typed)
string(REGEX REPLACE "\n$" "" typed "${typed}")
string(REPLACE "\n" ";" answers "${typed}")

string(LENGTH "${piped}" piped_length)
string(LENGTH "${session}" session_length)
set(i 0)  # in the piped transcript
set(j 0)  # in the README's session
while(i LESS piped_length)
  string(SUBSTRING "${piped}" ${i} 1 expected)
  string(SUBSTRING "${session}" ${j} 1 shown)
  if("${expected}" STREQUAL "${shown}")
    math(EXPR i "${i} + 1")
    math(EXPR j "${j} + 1")
    continue()
  endif()
  # Where the two part, the README must show the next typed answer and its Enter.
  string(SUBSTRING "${session}" ${j} 60 shown_there)
  string(SUBSTRING "${piped}" ${i} 60 expected_there)
  list(LENGTH answers left)
  if(left EQUAL 0)
    message(FATAL_ERROR "README session differs from the program:\n"
                        "README:  \"${shown_there}\"\nprogram: \"${expected_there}\"")
  endif()
  list(POP_FRONT answers answer)
  string(LENGTH "${answer}\n" answer_length)
  string(SUBSTRING "${session}" ${j} ${answer_length} shown_answer)
  if(NOT "${shown_answer}" STREQUAL "${answer}\n")
    message(FATAL_ERROR "README session differs from the program (or the typed answer \"${answer}\" "
                        "is missing):\nREADME:  \"${shown_there}\"\nprogram: \"${expected_there}\"")
  endif()
  math(EXPR j "${j} + ${answer_length}")
endwhile()
string(SUBSTRING "${session}" ${j} -1 extra)
list(LENGTH answers left)
if(NOT extra STREQUAL "" OR NOT left EQUAL 0)
  message(FATAL_ERROR "README session goes on after the program ends: \"${extra}\" (answers left: ${answers})")
endif()

file(READ "${CASE}.report" report)
string(REPLACE "\r\n" "\n" report "${report}")
if(NOT shown_report STREQUAL report)
  message(FATAL_ERROR "README report differs from ${CASE}.report:\n--- README\n${shown_report}--- program\n${report}")
endif()
