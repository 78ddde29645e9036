# What a refused install must show, after `cmake --install` ran with RESULT_VARIABLE `status`
# and ERROR_VARIABLE `err`: it failed, its message names each of the texts after `prefix`, and
# it copied nothing into `prefix`.
function(expect_refused_install what status out err prefix)
  if(status EQUAL 0)
    message(FATAL_ERROR "the install of ${what} succeeded:\n${out}")
  endif()
  foreach(named IN LISTS ARGN)
    string(FIND "${err}" "${named}" at)
    if(at EQUAL -1)
      message(FATAL_ERROR "the failed install does not name \"${named}\":\n${err}")
    endif()
  endforeach()
  if(EXISTS ${prefix})
    file(GLOB_RECURSE copied ${prefix}/*)
    message(FATAL_ERROR "the failed install copied files: ${copied}")
  endif()
endfunction()
