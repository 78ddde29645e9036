# Installs the build tree into a scratch prefix, other than the one it was configured with, and
# uses it from outside: every installed header compiles alone, so does each piece of code of the
# guide with the headers it names, the guide's program builds and runs twice on one store with
# no environment variable set and prints what the guide shows, two first runs at once leave one
# library, and the installed widget finds its artwork. A project's own object, static and shared
# libraries link it too (BuildShapes.cmake).
cmake_minimum_required(VERSION 3.25)

function(run step)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "${step} failed (${status}):\n${out}\n${err}")
  endif()
  set(last_output "${out}${err}" PARENT_SCOPE)
endfunction()

function(build_outside name source)
  run("configure ${name}" ${CMAKE_COMMAND} -S ${source} -B ${WORK_DIR}/${name} -G ${GENERATOR}
      -DCMAKE_PREFIX_PATH=${prefix} ${ARGN}
      -DCMAKE_CXX_COMPILER=${CXX_COMPILER} -DCMAKE_C_COMPILER=${C_COMPILER}
      -DCMAKE_CXX_COMPILER_LAUNCHER=${LAUNCHER}
      -DCMAKE_CXX_FLAGS=${CXX_FLAGS} -DCMAKE_EXE_LINKER_FLAGS=${LINKER_FLAGS}
      -DCMAKE_BUILD_TYPE=${BUILD_TYPE})
  run("build ${name}" ${CMAKE_COMMAND} --build ${WORK_DIR}/${name})
endfunction()

set(prefix ${WORK_DIR}/prefix)
if(prefix STREQUAL CONFIGURED_PREFIX)
  message(FATAL_ERROR "the scratch prefix must differ from the configured one")
endif()
file(REMOVE_RECURSE ${WORK_DIR})
run("install" ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${prefix})
file(GLOB_RECURSE internal LIST_DIRECTORIES true ${prefix}/include/kelvo/*)
list(FILTER internal INCLUDE REGEX "/internal(/|$)")
if(internal)
  message(FATAL_ERROR "internal headers were installed: ${internal}")
endif()

build_outside(headers ${SOURCE_DIR}/headers)
build_outside(snippets ${SOURCE_DIR}/snippets)
build_outside(consumer ${SOURCE_DIR}/consumer)
# Nothing tells it where the package is but the package itself.
set(clean_env ${CMAKE_COMMAND} -E env --unset=KELVO_LANGUAGE_DATA --unset=KELVO_ICON_ARTWORK)
# Run twice on one store, as a user runs a program again: the second run finds the default shelf
# the first one made, makes no other, imports nothing again, and finds the insurance card by
# meaning. Each run prints every output the guide shows (its ```text blocks), word for word.
include(${CMAKE_CURRENT_LIST_DIR}/GuideBlocks.cmake)
file(READ ${GUIDE} guide)
listable("${guide}" guide)
guide_blocks("${guide}" text shown)
set(store ${WORK_DIR}/store/Kelvo.store)
file(MAKE_DIRECTORY ${WORK_DIR}/store)
foreach(round first second)
  run("${round} run" ${clean_env} ${WORK_DIR}/consumer/kelvo-consumer ${store} ${prefix})
  message(STATUS "${round} run:\n${last_output}")
  listable("\n${last_output}" printed)
  foreach(output IN LISTS shown)
    string(REGEX REPLACE "^\n```text\n(.*)```$" "\\1" output "${output}")
    string(FIND "${printed}" "\n${output}" at)
    if(at EQUAL -1)
      message(FATAL_ERROR "the ${round} run did not print what the guide shows:\n${output}")
    endif()
  endforeach()
endforeach()
string(REGEX MATCHALL "\n\"indemnity\" finds [^\n]*" found "${last_output}")
if(NOT last_output MATCHES "consumer: the library holds 1 default shelf, 7 shelves and 7 cards\n"
   OR NOT last_output MATCHES "(^|\n)imported 0 cards\n"
   OR NOT found STREQUAL "\n\"indemnity\" finds \"Car insurance\" by meaning")
  message(FATAL_ERROR "the second run on one store did not hold one default shelf, seven shelves "
                      "and seven cards, imported again, or did not find the insurance card alone "
                      "for \"indemnity\"")
endif()

# Two first runs at once on a new store, then a third, eight times over: both first runs go
# through with every check good, and the third finds one whole library. Each run makes the
# store's folder itself. (No ";" in the script: run() passes its arguments on as a list.)
set(at_once [[
"$1" "$2" "$3" > "$4.first" 2>&1 & first=$!
"$1" "$2" "$3" > "$4.second" 2>&1 & second=$!
wait $first
first=$?
wait $second
second=$?
echo "first runs: $first $second"
]])
file(MAKE_DIRECTORY ${WORK_DIR}/at-once)
foreach(round RANGE 1 8)
  set(store ${WORK_DIR}/at-once/${round}/Kelvo.store)
  run("two first runs at once (${round})" ${clean_env} sh -c "${at_once}" sh
      ${WORK_DIR}/consumer/kelvo-consumer ${store} ${prefix} ${WORK_DIR}/at-once/${round})
  foreach(round_run first second)
    file(READ ${WORK_DIR}/at-once/${round}.${round_run} out)
    if(NOT last_output STREQUAL "first runs: 0 0\n" OR NOT out MATCHES "\nconsumer: all good\n$")
      message(FATAL_ERROR "of two first runs at once (${round}), one failed:\n${out}")
    endif()
  endforeach()
  run("the run after two at once (${round})" ${clean_env} ${WORK_DIR}/consumer/kelvo-consumer
      ${store} ${prefix})
  set(whole "\nconsumer: the library holds 1 default shelf, 7 shelves and 7 cards\n")
  if(NOT last_output MATCHES "${whole}" OR NOT last_output MATCHES "\nconsumer: all good\n$")
    message(FATAL_ERROR "two first runs at once (${round}) did not leave one whole library:\n"
                        "${last_output}")
  endif()
endforeach()
message(STATUS "8 of 8 pairs of first runs at once left one whole library")

# A file that is no store: the program stops with the store's own sentence and leaves the file
# as it was.
set(no_store ${WORK_DIR}/no-store/Kelvo.store)
file(WRITE ${no_store} "a note, not a store\n")
execute_process(COMMAND ${clean_env} ${WORK_DIR}/consumer/kelvo-consumer ${no_store}
                RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
file(READ ${no_store} kept)
string(FIND "${err}" "kelvo-consumer: This file is not a library this app can read.\nThe store at \
${no_store} is not a store of this app.\n" said)
if(NOT status EQUAL 1 OR said EQUAL -1 OR NOT kept STREQUAL "a note, not a store\n")
  message(FATAL_ERROR "a file that is no store: exit ${status}, and\n${out}${err}")
endif()

if(EXISTS ${prefix}/bin/kelvo-widget)
  run("widget" ${clean_env} ${prefix}/bin/kelvo-widget render --family systemMedium
      --output ${WORK_DIR}/medium.svg)
  if(last_output MATCHES "placeholder")
    message(FATAL_ERROR "the installed widget did not find its artwork:\n${last_output}")
  endif()
endif()
include(${CMAKE_CURRENT_LIST_DIR}/BuildShapes.cmake)
message(STATUS "package: the outside program ran twice on one store, and all holds")
