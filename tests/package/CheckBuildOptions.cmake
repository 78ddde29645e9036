# Tests, benchmarks and fuzzers are built only for those who work on Kelvo: the release preset,
# a plain Release build and a project that adds Kelvo as a subfolder configure none of them.
# An install from a build that has not made everything stops before it copies a file and says
# which command builds the rest.
cmake_minimum_required(VERSION 3.25)
include(${CMAKE_CURRENT_LIST_DIR}/RefusedInstall.cmake)

function(configure name)
  execute_process(COMMAND ${CMAKE_COMMAND} ${ARGN} -B ${WORK_DIR}/${name}
                  -DCMAKE_CXX_COMPILER=${CXX_COMPILER} -DCMAKE_C_COMPILER=${C_COMPILER}
                  RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "configuring ${name} failed (${status}):\n${out}\n${err}")
  endif()
endfunction()

# Neither the options nor the targets they guard.
function(expect_library_only name)
  set(dir ${WORK_DIR}/${name})
  file(STRINGS ${dir}/CMakeCache.txt options REGEX "^KELVO_(BUILD_TESTS|BUILD_BENCH|FUZZ):")
  foreach(option IN LISTS options)
    if(NOT option MATCHES ":BOOL=OFF$")
      message(FATAL_ERROR "${name}: ${option}")
    endif()
  endforeach()
  list(LENGTH options count)
  if(NOT count EQUAL 3)
    message(FATAL_ERROR "${name}: expected three options in the cache, found ${options}")
  endif()
  file(READ ${dir}/build.ninja rules)
  foreach(target bench_ kelvo_tests_ replay_ fuzz_)
    if(rules MATCHES "build [^\n]*/${target}")
      message(FATAL_ERROR "${name} builds ${target}* targets")
    endif()
  endforeach()
  if(NOT rules MATCHES "libkelvo_guidance\\.a" OR NOT rules MATCHES "en-neighbours\\.kelvo")
    message(FATAL_ERROR "${name} does not build the library and its word tables")
  endif()
endfunction()

file(REMOVE_RECURSE ${WORK_DIR})
configure(release -S ${SOURCE_DIR} --preset release)
expect_library_only(release)
configure(plain -S ${SOURCE_DIR} -G Ninja -DCMAKE_BUILD_TYPE=Release)
expect_library_only(plain)
configure(subproject -S ${CMAKE_CURRENT_LIST_DIR}/subproject -G Ninja -DKELVO_SOURCE_DIR=${SOURCE_DIR})
expect_library_only(subproject)

# Nothing is built: the install stops at once, naming the build command, and the prefix stays
# empty although the headers could have been copied.
set(prefix ${WORK_DIR}/prefix)
execute_process(COMMAND ${CMAKE_COMMAND} --install ${WORK_DIR}/release --prefix ${prefix}
                RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
expect_refused_install("an unbuilt tree" "${status}" "${out}" "${err}" ${prefix}
                       "cmake --build ${WORK_DIR}/release")
message(STATUS "options and the install check hold")
