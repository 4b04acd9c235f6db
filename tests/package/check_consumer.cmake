# Installs the development component into a scratch prefix, then configures, builds and runs a
# small consumer against it with find_package(zavolt CONFIG REQUIRED). The runtime component must
# not be needed for that, and must stay out of it.
# Usage: cmake -DBUILD=<build dir> -DCONSUMER=<consumer source> -DSCRATCH=<scratch folder>
#              -DGENERATOR=<generator> -DCXX=<compiler> [-DCXX_FLAGS=<flags> -DLINKER_FLAGS=<flags>]
#              -P check_consumer.cmake
# The consumer is built with the build's own compiler and linker flags: a library built with the
# sanitizers needs their run-time libraries in the program that links it.
cmake_minimum_required(VERSION 3.25)

file(REMOVE_RECURSE "${SCRATCH}")
set(prefix "${SCRATCH}/prefix")
execute_process(COMMAND ${CMAKE_COMMAND} --install "${BUILD}" --prefix "${prefix}" --component development
                RESULT_VARIABLE failed OUTPUT_VARIABLE said ERROR_VARIABLE said)
if(failed)
  message(FATAL_ERROR "install failed:\n${said}")
endif()
foreach(expected include/zavolt/aperture.hpp include/zavolt/classic.hpp include/zavolt/invalid_input.hpp)
  if(NOT EXISTS "${prefix}/${expected}")
    message(FATAL_ERROR "not installed: ${expected}")
  endif()
endforeach()
# The CAD writers are no part of the installed library: their header stays out with them.
if(EXISTS "${prefix}/include/zavolt/cad.hpp")
  message(FATAL_ERROR "include/zavolt/cad.hpp installed without the zavolt::cad library")
endif()
if(EXISTS "${prefix}/bin")
  message(FATAL_ERROR "the development component installed programs")
endif()
# The public headers stand alone: no internal header and no Boost.
file(GLOB headers "${prefix}/include/zavolt/*.hpp")
foreach(header IN LISTS headers)
  file(STRINGS "${header}" includes REGEX "#include")
  foreach(line IN LISTS includes)
    if(line MATCHES "boost|\"(numeric|analysis|design|dialogue|aperture)/")
      message(FATAL_ERROR "${header} includes a private or Boost header: ${line}")
    endif()
  endforeach()
endforeach()

execute_process(COMMAND ${CMAKE_COMMAND} -S "${CONSUMER}" -B "${SCRATCH}/build" -G "${GENERATOR}"
                        -DCMAKE_CXX_COMPILER=${CXX} -DCMAKE_PREFIX_PATH=${prefix} -DCMAKE_BUILD_TYPE=Release
                        "-DCMAKE_CXX_FLAGS=${CXX_FLAGS}" "-DCMAKE_EXE_LINKER_FLAGS=${LINKER_FLAGS}"
                RESULT_VARIABLE failed OUTPUT_VARIABLE said ERROR_VARIABLE said)
if(failed)
  message(FATAL_ERROR "the consumer did not configure:\n${said}")
endif()
execute_process(COMMAND ${CMAKE_COMMAND} --build "${SCRATCH}/build"
                RESULT_VARIABLE failed OUTPUT_VARIABLE said ERROR_VARIABLE said)
if(failed)
  message(FATAL_ERROR "the consumer did not build:\n${said}")
endif()
execute_process(COMMAND "${SCRATCH}/build/app" RESULT_VARIABLE failed OUTPUT_VARIABLE said ERROR_VARIABLE said)
if(failed)
  message(FATAL_ERROR "the consumer failed:\n${said}")
endif()
message("consumer: ${said}")

# The same consumer built by hand with pkg-config's flags for the installed zavolt.pc. The public
# headers need C++20.
file(GLOB pc_files "${prefix}/lib*/pkgconfig/zavolt.pc" "${prefix}/lib/*/pkgconfig/zavolt.pc")
list(LENGTH pc_files pc_count)
if(NOT pc_count EQUAL 1)
  message(FATAL_ERROR "zavolt.pc not installed once: ${pc_files}")
endif()
get_filename_component(pc_dir "${pc_files}" DIRECTORY)
set(ENV{PKG_CONFIG_PATH} "${pc_dir}")
execute_process(COMMAND pkg-config --cflags --libs zavolt RESULT_VARIABLE failed OUTPUT_VARIABLE flags
                ERROR_VARIABLE said OUTPUT_STRIP_TRAILING_WHITESPACE)
if(failed)
  message(FATAL_ERROR "pkg-config cannot read zavolt.pc:\n${said}")
endif()
separate_arguments(flags UNIX_COMMAND "${flags}")
separate_arguments(cxx_flags UNIX_COMMAND "${CXX_FLAGS}")
separate_arguments(linker_flags UNIX_COMMAND "${LINKER_FLAGS}")
execute_process(COMMAND ${CXX} -std=c++20 ${cxx_flags} "${CONSUMER}/main.cpp" -o "${SCRATCH}/app_pc" ${flags} ${linker_flags}
                RESULT_VARIABLE failed OUTPUT_VARIABLE said ERROR_VARIABLE said)
if(failed)
  message(FATAL_ERROR "the consumer did not build with pkg-config's flags (${flags}):\n${said}")
endif()
execute_process(COMMAND "${SCRATCH}/app_pc" RESULT_VARIABLE failed OUTPUT_VARIABLE said ERROR_VARIABLE said)
if(failed)
  message(FATAL_ERROR "the pkg-config consumer failed:\n${said}")
endif()
