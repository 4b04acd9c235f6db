# Formats the manual page with every groff warning on; any message at all fails.
# Usage: cmake -DPAGE=<page> -P lint_man.cmake
cmake_minimum_required(VERSION 3.25)

find_program(GROFF groff)
if(NOT GROFF)
  message("SKIPPED: groff not found (Debian package groff-base)")
  return()
endif()
execute_process(COMMAND ${GROFF} -ww -man -Tutf8 -z "${PAGE}"
                RESULT_VARIABLE failed OUTPUT_VARIABLE said ERROR_VARIABLE said)
if(failed OR NOT said STREQUAL "")
  message(FATAL_ERROR "groff on ${PAGE} (status ${failed}):\n${said}")
endif()
