#pragma once

// Where the English lemma and neighbour tables are read from, and whether they were. The first
// of: a folder set for the process, $KELVO_LANGUAGE_DATA, and the folder the program was built
// to look in: the share folder of the installed package it was built against (the package's
// CMake config gives each project that finds it a constant naming that folder, read only when
// the tables are first looked for), or, built with the library itself, the folder the library
// was configured to install to.
//
//   language::setDataDirectory("/opt/kelvo/share/kelvo/language");
//   const std::optional<std::string> problem = language::dataProblem();  // none when both opened
//   const auto english = language::WordEmbedding::forLanguage("en");  // null without its table

#include <filesystem>
#include <optional>
#include <string>

namespace kelvo::language {

/// The folder for the process; wins over everything else.
void setDataDirectory(const std::filesystem::path& folder);
std::filesystem::path dataDirectory();

/// Why lemmas or neighbours will not come, as one sentence naming the files; none when both
/// tables opened. Without them meaning-aware search still answers, with literal matches only.
/// Opening reads a table's header only: a table whose body fails its checksum shows on its first
/// look-up, which answers nothing.
std::optional<std::string> dataProblem();

/// The file names inside the data folder.
inline constexpr const char* lemmaFileName = "en-lemmas.kelvo";
inline constexpr const char* neighbourFileName = "en-neighbours.kelvo";

}  // namespace kelvo::language
