# Packs the build tree with `cpack -G DEB`, unpacks the package into a scratch root and checks it:
# its control fields, both programs and their manual pages, the copyright file, and the installed
# zavolt on the worked example. With PYTHON, the second package python3-zavolt too: its fields,
# its files under PYTHON_SITE, and the unpacked module imported and run by that interpreter.
# Usage: cmake -DCPACK=<cpack> -DBUILD=<build dir> -DSOURCE=<source dir> -DVERSION=<x.y.z>
#              [-DPYTHON=<interpreter> -DPYTHON_SITE=<site folder under the prefix>]
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
set(python_packages "${packages}")
list(FILTER packages EXCLUDE REGEX "/python3-zavolt_[^/]*$")
list(FILTER python_packages INCLUDE REGEX "/python3-zavolt_[^/]*$")
list(LENGTH packages count)
list(LENGTH python_packages python_count)
set(expected_python 0)
if(PYTHON)
  set(expected_python 1)
endif()
if(NOT count EQUAL 1 OR NOT python_count EQUAL expected_python)
  message(FATAL_ERROR "expected zavolt and ${expected_python} python3-zavolt, cpack left: ${packages} ${python_packages}")
endif()

function(expect_field field pattern)
  set(package "${packages}")
  if(ARGC GREATER 2)
    set(package "${ARGV2}")
  endif()
  execute_process(COMMAND dpkg-deb --field "${package}" ${field} OUTPUT_VARIABLE value
                  OUTPUT_STRIP_TRAILING_WHITESPACE)
  if(NOT value MATCHES "${pattern}")
    message(FATAL_ERROR "control field ${field} of ${package} is \"${value}\", expected to match ${pattern}")
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

if(NOT PYTHON)
  return()
endif()

# python3-zavolt: the module for the Python and the NumPy it was built with, and nothing else.
expect_field(Package "^python3-zavolt$" "${python_packages}")
expect_field(Version "^${VERSION}-[0-9]+$" "${python_packages}")
expect_field(Section "^python$" "${python_packages}")
expect_field(Description "^[^\n]+\n .+" "${python_packages}")
expect_field(Depends "python3 \\(>= 3\\.[0-9]+\\), python3 \\(<< 3\\.[0-9]+\\)" "${python_packages}")
expect_field(Depends "python3-numpy \\(>= [0-9:.]+\\)" "${python_packages}")
expect_field(Depends "libstdc\\+\\+6" "${python_packages}")

set(python_root "${SCRATCH}/python_root")
execute_process(COMMAND dpkg --extract "${python_packages}" "${python_root}" RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "dpkg --extract of python3-zavolt failed")
endif()
foreach(unwanted usr/bin usr/include usr/share/man)
  if(EXISTS "${python_root}/${unwanted}")
    message(FATAL_ERROR "python3-zavolt holds ${unwanted}")
  endif()
endforeach()
set(site "${python_root}/usr/${PYTHON_SITE}")
foreach(expected zavolt/__init__.py zavolt/__init__.pyi zavolt/aperture.pyi zavolt/classic.pyi zavolt/profile.pyi
                 zavolt/modes.pyi zavolt/py.typed)
  if(NOT EXISTS "${site}/${expected}")
    message(FATAL_ERROR "python3-zavolt lacks /usr/${PYTHON_SITE}/${expected}")
  endif()
endforeach()
if(NOT EXISTS "${python_root}/usr/share/doc/python3-zavolt/copyright")
  message(FATAL_ERROR "python3-zavolt lacks its copyright file")
endif()

# The unpacked module, and not the build tree's, imported and computing.
execute_process(COMMAND ${CMAKE_COMMAND} -E env "PYTHONPATH=${site}" PYTHONDONTWRITEBYTECODE=1
                        "${PYTHON}" -c [=[
import zavolt
print(zavolt.__file__)
print(zavolt.aperture.Model(zavolt.aperture.Horn(0.074349, 0.184386), 10e9).directivity())
]=]
                WORKING_DIRECTORY "${SCRATCH}" RESULT_VARIABLE failed OUTPUT_VARIABLE said ERROR_VARIABLE said)
if(failed OR NOT said MATCHES "^${site}/zavolt/__init__.py\nDirectivity\\(dbi=19\\.73[0-9]+, validity=Validity\\(")
  message(FATAL_ERROR "the packed module did not import and run:\n${said}")
endif()
