# An install from a build whose widget has no icons copies nothing and says how to get them: the
# build's icons are moved aside for the install and put back at once. The test runs alone, so no
# other test misses them meanwhile; a build puts them back anyway.
cmake_minimum_required(VERSION 3.25)
include(${CMAKE_CURRENT_LIST_DIR}/RefusedInstall.cmake)

set(icons ${BUILD_DIR}/share/kelvo/icons)
set(aside ${BUILD_DIR}/share/kelvo/icons-aside)
set(prefix ${WORK_DIR}/prefix)
if(NOT IS_DIRECTORY ${icons})
  message(FATAL_ERROR "the build holds no icons at ${icons} to begin with")
endif()
file(REMOVE_RECURSE ${WORK_DIR} ${aside})
file(RENAME ${icons} ${aside})
execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${prefix}
                RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
file(RENAME ${aside} ${icons})

expect_refused_install("a build without icons" "${status}" "${out}" "${err}" ${prefix}
                       "Nothing was installed" "${icons}: the widget's icons" "scripts/setup"
                       "cmake --build ${BUILD_DIR}")
message(STATUS "an install without the widget's icons copies nothing and names the step")
