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

# Paths a store cannot be opened at: the program stops with its heading for the error's kind and
# the store's own sentence, no other exception leaves it, and nothing is made for the path (but
# the program's lock beside a path that names a file in a folder that exists).
set(edges ${WORK_DIR}/edges)
file(MAKE_DIRECTORY ${edges}/folder.store ${edges}/deep)
file(WRITE ${edges}/plain "notes\n")
file(CREATE_LINK nowhere/Kelvo.store ${edges}/dangling.store SYMBOLIC)
file(CREATE_LINK loop2.store ${edges}/loop1.store SYMBOLIC)
file(CREATE_LINK loop1.store ${edges}/loop2.store SYMBOLIC)
execute_process(COMMAND mkfifo ${edges}/pipe.store)
# The 16 bytes of SQLite's header string, then bytes that make no header.
execute_process(COMMAND sh -c "printf 'SQLite format 3\\000' > \"$0\" && head -c 4000 /dev/zero | tr '\\000' x >> \"$0\""
                ${edges}/damaged.store)
string(REPEAT n 250 long_name)
set(deep ${edges}/deep)
string(LENGTH "${deep}" length)
math(EXPR rest "505 - ${length} - 1")
while(rest GREATER 200)  # folders of at most 200 bytes, and a name of 99 to 200
  math(EXPR size "${rest} - 100")
  if(size GREATER 200)
    set(size 200)
  endif()
  string(REPEAT d ${size} folder)
  set(deep ${deep}/${folder})
  file(MAKE_DIRECTORY ${deep})
  string(LENGTH "${deep}" length)
  math(EXPR rest "505 - ${length} - 1")
endwhile()
string(REPEAT f ${rest} deep_name)
set(sqlite_heading "kelvo-consumer: The library could not be opened, read or saved.")
set(other_heading "kelvo-consumer: This file is not a library this app can read.")
set(cannot "Could not open the store at")
function(refused url heading sentence)
  execute_process(COMMAND ${clean_env} sh -c "exec \"$0\" \"$1\""
                          ${WORK_DIR}/consumer/kelvo-consumer "${url}"
                  RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
  string(FIND "${err}" "${heading}\n${sentence}\n" said)
  if(NOT status EQUAL 1 OR said EQUAL -1)
    message(FATAL_ERROR "the store at \"${url}\": exit ${status}, and\n${out}${err}\n"
                        "not\n${heading}\n${sentence}")
  endif()
endfunction()
refused("" "${other_heading}" "A SQLite store needs a file URL.")
refused(${edges}/new/New.store/ "${sqlite_heading}" "${cannot} ${edges}/new/New.store/: a path \
that ends in a separator names a folder, not a file; give the store file's path without it.")
refused(${edges}/x.store/. "${sqlite_heading}" "${cannot} ${edges}/x.store/.: a path that ends \
in \"/.\" names a folder, not a file; give the store file's path without it.")
refused(${edges}/nope/../R.store "${sqlite_heading}" "${cannot} ${edges}/nope/../R.store: its \
path names the folder ${edges}/nope before \"..\", and that folder does not exist; make it, or \
give the path without it.")
refused(${edges}/folder.store "${sqlite_heading}" "${cannot} ${edges}/folder.store: it is a \
folder, not a file.")
refused(${edges}/plain/Kelvo.store "${sqlite_heading}" "${cannot} ${edges}/plain/Kelvo.store: \
${edges}/plain is a file, not a folder.")
refused(${edges}/dangling.store "${sqlite_heading}" "${cannot} ${edges}/dangling.store: it is a \
link to nowhere/Kelvo.store, whose folder ${edges}/nowhere does not exist; point the link at a \
store file.")
refused(${edges}/loop1.store "${sqlite_heading}" "${cannot} ${edges}/loop1.store: it is one of \
a loop of links; point the links at a store file.")
refused(${edges}/pipe.store "${sqlite_heading}" "${cannot} ${edges}/pipe.store: it is a named \
pipe, not a file; give the path of a store file.")
refused(${edges}/${long_name} "${sqlite_heading}" "${cannot} ${edges}/${long_name}: its file \
name is 250 bytes long, and the journal SQLite keeps beside it, under that name and \
\"-journal\", would pass the 255 bytes the file system allows; choose a name of at most 247 \
bytes.")
refused(${deep}/${deep_name} "${sqlite_heading}" "${cannot} ${deep}/${deep_name}: its path is \
505 bytes long, and SQLite allows at most 504; choose a shorter path.")
refused(${edges}/damaged.store "${other_heading}" "The store at ${edges}/damaged.store is \
damaged.")
foreach(unmade new x.store nope R.store ${long_name} ${deep}/${deep_name} nowhere)
  if(EXISTS ${edges}/${unmade} OR EXISTS ${unmade})
    message(FATAL_ERROR "a refused path made ${unmade}")
  endif()
endforeach()
# A relative path, once the working folder is gone.
execute_process(COMMAND ${clean_env} sh -c "mkdir \"$1/gone\" && cd \"$1/gone\" && \
rmdir \"$1/gone\" && exec \"$0\" Kelvo.store" ${WORK_DIR}/consumer/kelvo-consumer ${edges}
                RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
string(FIND "${err}" "${sqlite_heading}\n${cannot} Kelvo.store: the path is relative, and the \
working folder it would start from no longer exists; give the full path.\n" said)
if(NOT status EQUAL 1 OR said EQUAL -1)
  message(FATAL_ERROR "a relative path once the working folder is gone: exit ${status}, and\n"
                      "${out}${err}")
endif()
message(STATUS "every refused path stopped the program with its heading and sentence")

if(EXISTS ${prefix}/bin/kelvo-widget)
  run("widget" ${clean_env} ${prefix}/bin/kelvo-widget render --family systemMedium
      --output ${WORK_DIR}/medium.svg)
  if(last_output MATCHES "placeholder")
    message(FATAL_ERROR "the installed widget did not find its artwork:\n${last_output}")
  endif()
endif()
include(${CMAKE_CURRENT_LIST_DIR}/BuildShapes.cmake)
message(STATUS "package: the outside program ran twice on one store, and all holds")
