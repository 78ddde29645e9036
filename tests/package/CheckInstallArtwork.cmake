# An install from a build whose widget has no icons copies nothing and says how to get them: the
# build's icons are moved aside for the install and put back at once. The test runs alone, so no
# other test misses them meanwhile; a build puts them back anyway.
cmake_minimum_required(VERSION 3.25)

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

if(status EQUAL 0)
  message(FATAL_ERROR "the install of a build without icons succeeded:\n${out}")
endif()
foreach(named "Nothing was installed" "${icons}: the widget's icons" "scripts/setup"
              "cmake --build ${BUILD_DIR}")
  string(FIND "${err}" "${named}" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "the failed install does not name \"${named}\":\n${err}")
  endif()
endforeach()
if(EXISTS ${prefix})
  file(GLOB_RECURSE copied ${prefix}/*)
  message(FATAL_ERROR "the failed install copied files: ${copied}")
endif()
message(STATUS "an install without the widget's icons copies nothing and names the step")
