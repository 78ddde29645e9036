# Part of BuildConsumer.cmake, over its install: a project's own library that links kelvo::core,
# built as an object, a static and a shared library, and linked into a program alone and into
# one that links kelvo::core itself. Each program finds the installed word tables, in its own
# copy and its library's, with no environment variable set, and writes a setting.
foreach(shape OBJECT STATIC SHARED)
  string(TOLOWER ${shape} name)
  build_outside(shapes-${name} ${SOURCE_DIR}/shapes -DWORDS_SHAPE=${shape}
                -DCMAKE_SHARED_LINKER_FLAGS=${LINKER_FLAGS})
  foreach(program words-alone words-and-core)
    set(settings ${WORK_DIR}/shapes-${name}/${program}.json)
    run("${program} (words ${shape})" ${clean_env}
        ${WORK_DIR}/shapes-${name}/${program} ${settings})
    message(STATUS "${program} (words ${shape}):\n${last_output}")
    if(NOT last_output MATCHES "words: \"invoices\" is \"invoice\"\n")
      message(FATAL_ERROR "${program} (words ${shape}) found no lemma")
    endif()
    if(program STREQUAL "words-and-core"
       AND NOT last_output MATCHES "program: the setting reads \"invoice\"\n")
      message(FATAL_ERROR "${program} (words ${shape}) did not read back its setting")
    endif()
  endforeach()
endforeach()
