# Runs each test binary of BINARIES (comma-separated) over the tests FILTER picks, with TMPDIR a
# fresh folder of its own under WORK_DIR, and fails when anything is left in it: a death test's
# child dies without unwinding and a forked child ends in _exit, so neither cleans up after
# itself, and neither may take away what its parent still uses. WORK_DIR goes at the end, pass or
# fail.
cmake_minimum_required(VERSION 3.25)

if(NOT BINARIES OR NOT FILTER OR NOT WORK_DIR)
  message(FATAL_ERROR "usage: cmake -DBINARIES=<test binary,...> -DFILTER=<gtest filter> "
                      "-DWORK_DIR=<folder> -P ${CMAKE_CURRENT_LIST_FILE}")
endif()

set(tmp ${WORK_DIR}/tmp)
file(REMOVE_RECURSE ${WORK_DIR})
set(ENV{TMPDIR} ${tmp})
string(REPLACE "," ";" binaries "${BINARIES}")
set(failures "")
set(ran 0)
foreach(binary IN LISTS binaries)
  get_filename_component(name ${binary} NAME)
  file(MAKE_DIRECTORY ${tmp})
  execute_process(COMMAND ${binary} --gtest_filter=${FILTER} --gtest_brief=1
                  RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output
                  TIMEOUT 120)
  if(NOT result EQUAL 0)
    string(APPEND failures "${name} failed (${result}):\n${output}\n")
  elseif(output MATCHES "PASSED  \\] ([0-9]+) test")
    math(EXPR ran "${ran} + ${CMAKE_MATCH_1}")
  endif()
  if(NOT IS_DIRECTORY ${tmp})
    string(APPEND failures "${name} removed its temporary folder\n")
    continue()
  endif()
  file(GLOB left LIST_DIRECTORIES true RELATIVE ${tmp} ${tmp}/* ${tmp}/.*)
  if(left)
    list(JOIN left " " shown)
    string(APPEND failures "${name} left in its temporary folder: ${shown}\n")
  endif()
  file(REMOVE_RECURSE ${tmp})
endforeach()
file(REMOVE_RECURSE ${WORK_DIR})

if(ran EQUAL 0 AND failures STREQUAL "")
  set(failures "the filter picked no test in ${BINARIES}\n")
endif()
if(NOT failures STREQUAL "")
  message(FATAL_ERROR "${failures}")
endif()
list(LENGTH binaries count)
message(STATUS "${ran} tests in ${count} binaries left nothing in their temporary folder")
