# The guide's fenced blocks, for the package's checks of docs/library.md.

# CMake lists split at ";" and pair up brackets: both are kept out of the way while comparing.
function(listable text out)
  string(REPLACE ";" "<semicolon>" text "${text}")
  string(REPLACE "[" "<open>" text "${text}")
  string(REPLACE "]" "<close>" text "${text}")
  set(${out} "${text}" PARENT_SCOPE)
endfunction()

# The blocks fenced as ```<language> in `guide` (made listable), each with the line break before
# it and both fences. A block ends at the first fence; the backticks of names in it do not end
# it. Stops when the guide has none, or one this cannot read.
function(guide_blocks guide language out)
  string(REGEX MATCHALL "\n```${language}\n([^`]|`[^`]|``[^`])*```" blocks "${guide}")
  string(REGEX MATCHALL "\n```${language}\n" fences "${guide}")
  list(LENGTH blocks count)
  list(LENGTH fences fence_count)
  if(count EQUAL 0 OR NOT count EQUAL fence_count)
    message(FATAL_ERROR "the guide shows no ${language} block, or one this check cannot read")
  endif()
  set(${out} "${blocks}" PARENT_SCOPE)
endfunction()
