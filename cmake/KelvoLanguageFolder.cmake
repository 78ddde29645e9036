# Where the language layer finds the English word tables, as one constant in a small static
# library of its own that kelvo::language links:
#
#   kelvo_add_language_folder(kelvo_language_folder /usr/local/share/kelvo/language)
#
# The build makes one for programs built with it (the folder it installs to); the package's
# config makes one in each project that finds the package (that package's own share folder).
# The layer reads the constant only when it first looks for its tables, so nothing runs at
# start-up. Being an archive, it joins a link once however many of a program's own object, static
# and shared libraries link kelvo::core, and only when the language layer is linked at all; each
# shared library that holds the layer holds its own copy, so it is position-independent.
function(kelvo_add_language_folder target folder)
  set(source ${CMAKE_CURRENT_BINARY_DIR}/${target}/InstalledLanguageData.cpp)
  file(CONFIGURE OUTPUT ${source} CONTENT "\
// Made by KelvoLanguageFolder.cmake: where the word tables are.
namespace kelvo::language {
extern const char installedDataFolder[];
const char installedDataFolder[] = R\"kelvo(${folder})kelvo\";
}  // namespace kelvo::language
")
  add_library(${target} STATIC ${source})
  set_target_properties(${target} PROPERTIES POSITION_INDEPENDENT_CODE ON)
endfunction()
