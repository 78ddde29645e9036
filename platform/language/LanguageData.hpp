#pragma once

// Where the English lemma and neighbour tables are read from: a folder set for the process,
// else $KELVO_LANGUAGE_DATA, else the folder the library was installed with.
//
//   language::setDataDirectory("/opt/kelvo/share/kelvo/language");
//   auto embedding = language::WordEmbedding::forLanguage("en");

#include <filesystem>

namespace kelvo::language {

void setDataDirectory(const std::filesystem::path& folder);
std::filesystem::path dataDirectory();

/// The file names inside the data folder.
inline constexpr const char* lemmaFileName = "en-lemmas.kelvo";
inline constexpr const char* neighbourFileName = "en-neighbours.kelvo";

}  // namespace kelvo::language
