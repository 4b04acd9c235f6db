# Packs the build tree with `cpack -G DEB`, unpacks the package into a scratch root and checks it:
# its control fields, both programs and their manual pages, the copyright file, and the installed
# zavolt on the worked example.
# Usage: cmake -DCPACK=<cpack> -DBUILD=<build dir> -DSOURCE=<source dir> -DVERSION=<x.y.z>
#              -DSCRATCH=<scratch folder> -P check_deb.cmake
cmake_minimum_required(VERSION 3.25)

foreach(tool dpkg dpkg-deb)
  find_program(found_${tool} ${tool})
  if(NOT found_${tool})
    message("SKIPPED: ${tool} not found")
    return()
  endif()
endforeach()

file(REMOVE_RECURSE "${SCRATCH}")
execute_process(COMMAND "${CPACK}" -G DEB --config "${BUILD}/CPackConfig.cmake" -B "${SCRATCH}/out"
                RESULT_VARIABLE failed OUTPUT_VARIABLE said ERROR_VARIABLE said)
if(failed)
  message(FATAL_ERROR "cpack failed:\n${said}")
endif()
file(GLOB packages "${SCRATCH}/out/*.deb")
list(LENGTH packages count)
if(NOT count EQUAL 1)
  message(FATAL_ERROR "expected one package, cpack left: ${packages}")
endif()

function(expect_field field pattern)
  execute_process(COMMAND dpkg-deb --field "${packages}" ${field} OUTPUT_VARIABLE value
                  OUTPUT_STRIP_TRAILING_WHITESPACE)
  if(NOT value MATCHES "${pattern}")
    message(FATAL_ERROR "control field ${field} is \"${value}\", expected to match ${pattern}")
  endif()
endfunction()
expect_field(Package "^zavolt$")
expect_field(Version "^${VERSION}-[0-9]+$")
expect_field(Section "^science$")
expect_field(Maintainer ".+ <.+@.+>")
expect_field(Description "^[^\n]+\n .+")  # a summary line, then the long description
# The program needs the C and C++ runtime libraries.
expect_field(Depends "libc6 .*libstdc\\+\\+6")

set(root "${SCRATCH}/root")
execute_process(COMMAND dpkg --extract "${packages}" "${root}" RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "dpkg --extract failed")
endif()

# The package keeps to the programs and their pages: the library's development files stay out.
foreach(unwanted usr/include usr/lib)
  if(EXISTS "${root}/${unwanted}")
    message(FATAL_ERROR "the package holds ${unwanted}")
  endif()
endforeach()

# Both programs, and their manual pages, compressed as Debian ships them, as in the source tree.
foreach(program zavolt zavolt-horn)
  if(NOT EXISTS "${root}/usr/bin/${program}")
    message(FATAL_ERROR "no program at ${root}/usr/bin/${program}")
  endif()
  set(page "${root}/usr/share/man/man1/${program}.1.gz")
  if(NOT EXISTS "${page}")
    message(FATAL_ERROR "no manual page at ${page}")
  endif()
  execute_process(COMMAND gzip -dc "${page}" OUTPUT_FILE "${SCRATCH}/${program}.1" RESULT_VARIABLE failed)
  execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files "${SOURCE}/man/${program}.1" "${SCRATCH}/${program}.1"
                  RESULT_VARIABLE differ)
  if(failed OR differ)
    message(FATAL_ERROR "the packed manual page is not man/${program}.1")
  endif()
endforeach()
execute_process(COMMAND "${root}/usr/bin/zavolt-horn" --version OUTPUT_VARIABLE said RESULT_VARIABLE failed)
if(failed OR NOT said STREQUAL "zavolt-horn ${VERSION}\n")
  message(FATAL_ERROR "the packed zavolt-horn --version says \"${said}\" (status ${failed})")
endif()

# The copyright file, in Debian's machine-readable form, under the MIT (Expat) licence.
set(copyright "${root}/usr/share/doc/zavolt/copyright")
if(NOT EXISTS "${copyright}")
  message(FATAL_ERROR "no copyright file at ${copyright}")
endif()
file(READ "${copyright}" text)
foreach(line "Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/"
             "Copyright: 2026 The ZAVOLT developers" "License: Expat\n Permission is hereby granted")
  string(FIND "${text}" "${line}" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "the copyright file lacks \"${line}\"")
  endif()
endforeach()

# The installed program on the worked example, compared as the transcript tests compare.
set(EXE "${root}/usr/bin/zavolt")
set(CASE "${SOURCE}/tests/golden/worked_example")
set(WORK "${SCRATCH}/worked_example")
include("${SOURCE}/tests/golden/run_golden.cmake")
