# Installs the build tree into a scratch prefix and builds and runs the consumer against it.
cmake_minimum_required(VERSION 3.25)

function(run step)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "${step} failed (${status}):\n${out}\n${err}")
  endif()
  set(last_output "${out}" PARENT_SCOPE)
endfunction()

file(REMOVE_RECURSE ${WORK_DIR})
run("install" ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${WORK_DIR}/prefix)
if(EXISTS ${WORK_DIR}/prefix/include/kelvo/core/search/internal)
  message(FATAL_ERROR "internal headers were installed")
endif()
run("configure" ${CMAKE_COMMAND} -S ${CONSUMER_DIR} -B ${WORK_DIR}/build -G ${GENERATOR}
    -DCMAKE_PREFIX_PATH=${WORK_DIR}/prefix
    -DCMAKE_CXX_COMPILER=${CXX_COMPILER} -DCMAKE_C_COMPILER=${C_COMPILER}
    -DCMAKE_CXX_FLAGS=${CXX_FLAGS} -DCMAKE_EXE_LINKER_FLAGS=${LINKER_FLAGS}
    -DCMAKE_BUILD_TYPE=${BUILD_TYPE})
run("build" ${CMAKE_COMMAND} --build ${WORK_DIR}/build)
run("run" ${WORK_DIR}/build/kelvo-consumer)
message(STATUS "${last_output}")
