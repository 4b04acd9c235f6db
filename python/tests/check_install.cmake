# Installs the python component into a scratch prefix and imports the installed package there, not
# the build tree's: the issue's one-line check of the module after `cmake --install`.
# Usage: cmake -DBUILD=<build dir> -DPYTHON=<interpreter> -DSITE=<site folder under the prefix>
#              -DSCRATCH=<scratch folder> -P check_install.cmake
cmake_minimum_required(VERSION 3.25)

file(REMOVE_RECURSE "${SCRATCH}")
set(prefix "${SCRATCH}/prefix")
execute_process(COMMAND ${CMAKE_COMMAND} --install "${BUILD}" --prefix "${prefix}" --component python
                RESULT_VARIABLE failed OUTPUT_VARIABLE said ERROR_VARIABLE said)
if(failed)
  message(FATAL_ERROR "install failed:\n${said}")
endif()
foreach(unwanted bin include share/man)
  if(EXISTS "${prefix}/${unwanted}")
    message(FATAL_ERROR "the python component installed ${unwanted}")
  endif()
endforeach()
execute_process(COMMAND ${CMAKE_COMMAND} -E env "PYTHONPATH=${prefix}/${SITE}" PYTHONDONTWRITEBYTECODE=1 "${PYTHON}" -c
                        "import zavolt; print(zavolt.__file__); print(zavolt.aperture.Model(zavolt.aperture.Horn(0.074349, 0.184386), 10e9).directivity())"
                WORKING_DIRECTORY "${SCRATCH}" RESULT_VARIABLE failed OUTPUT_VARIABLE said ERROR_VARIABLE said)
if(failed OR NOT said MATCHES "^${prefix}/${SITE}/zavolt/__init__.py\nDirectivity\\(dbi=19\\.73")
  message(FATAL_ERROR "the installed module did not import and run:\n${said}")
endif()
