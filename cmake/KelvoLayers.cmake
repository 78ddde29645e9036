# One static library per layer folder. A layer sees only its own headers and those of the layers
# it links: its include folder in the build tree holds a link to its own source folder and nothing
# else, so an include of a layer it does not link is not found and the build fails.
#
#   kelvo_add_layer(core/model DEPENDS kelvo::design kelvo::data LIBS SQLite::SQLite3)
#
# makes the target kelvo_model (alias kelvo::model). List its sources with
# target_sources(kelvo_model PRIVATE ...). APPLICATION keeps a layer out of kelvo::core.
set_property(GLOBAL PROPERTY KELVO_LAYERS "")

function(kelvo_add_layer folder)
  cmake_parse_arguments(PARSE_ARGV 1 arg "APPLICATION" "" "DEPENDS;LIBS;PRIVATE_LIBS")
  get_filename_component(name ${folder} NAME)
  set(target kelvo_${name})
  add_library(${target} STATIC)
  add_library(kelvo::${name} ALIAS ${target})
  # Position-independent, so that a project's shared library (a plug-in, a language binding)
  # can link the installed archives. Without semantic interposition, which the one-definition
  # rule excludes anyway, a call within a file is inlined as it is in a program's own code; with
  # it, -fPIC costs up to 6% more instructions (docs/benchmarks.md).
  set_target_properties(${target} PROPERTIES EXPORT_NAME ${name} POSITION_INDEPENDENT_CODE ON)
  if(CMAKE_CXX_COMPILER_ID MATCHES "GNU|Clang")
    target_compile_options(${target} PRIVATE -fno-semantic-interposition)
  endif()
  target_compile_features(${target} PUBLIC cxx_std_20)

  set(include_root ${PROJECT_BINARY_DIR}/layers/${name})
  get_filename_component(link_parent ${include_root}/${folder} DIRECTORY)
  file(MAKE_DIRECTORY ${link_parent})
  file(CREATE_LINK ${PROJECT_SOURCE_DIR}/${folder} ${include_root}/${folder} SYMBOLIC)
  target_include_directories(${target} PUBLIC
    $<BUILD_INTERFACE:${include_root}>
    $<INSTALL_INTERFACE:include/kelvo>)

  target_link_libraries(${target} PUBLIC ${arg_DEPENDS} ${arg_LIBS} PRIVATE ${arg_PRIVATE_LIBS})
  kelvo_set_warnings(${target})
  # An application layer (the widget extension) is not part of the library consumers link.
  if(NOT arg_APPLICATION)
    set_property(GLOBAL APPEND PROPERTY KELVO_LAYERS ${target})
  endif()
endfunction()

# Tests, benchmarks, fuzz targets and tools reach their own helpers from the repository's root
# ("tests/data/TestModel.hpp", "bench/SyntheticLibrary.hpp"), but only through this folder, which
# links those four folders and no layer: a layer's headers come only with the layer linked.
set(KELVO_HELPER_INCLUDE_ROOT ${PROJECT_BINARY_DIR}/layers/helpers)
foreach(folder tests bench fuzz tools)
  file(MAKE_DIRECTORY ${KELVO_HELPER_INCLUDE_ROOT})
  file(CREATE_LINK ${PROJECT_SOURCE_DIR}/${folder} ${KELVO_HELPER_INCLUDE_ROOT}/${folder} SYMBOLIC)
endforeach()

# The layer targets a source file needs: those whose headers it includes, itself or through the
# repository's helper headers it includes ("bench/SyntheticLibrary.hpp"). A program links these
# and nothing more, so building one benchmark builds only the layers it measures.
function(kelvo_included_layers out)
  set(pending ${ARGN})
  set(seen "")
  set(layers "")
  while(pending)
    list(POP_FRONT pending file)
    if(file IN_LIST seen OR NOT EXISTS ${file})
      continue()
    endif()
    list(APPEND seen ${file})
    file(STRINGS ${file} includes REGEX "^[ \t]*#[ \t]*include[ \t]*\"")
    foreach(line IN LISTS includes)
      string(REGEX MATCH "\"([^\"]+)\"" _ "${line}")
      set(header ${CMAKE_MATCH_1})
      if(header MATCHES "^(platform|core)/([a-z]+)/")
        list(APPEND layers kelvo::${CMAKE_MATCH_2})
      elseif(header MATCHES "^tools/")
        list(APPEND layers kelvo_wordnet_tables)
      elseif(header MATCHES "^(tests|bench|fuzz)/")
        list(APPEND pending ${PROJECT_SOURCE_DIR}/${header})
      endif()
    endforeach()
  endwhile()
  list(REMOVE_DUPLICATES layers)
  set(${out} ${layers} PARENT_SCOPE)
endfunction()
