#pragma once

// The project's own library: it uses Kelvo behind an interface of its own, so the programs over
// it need no Kelvo header.

#include <filesystem>
#include <optional>
#include <string>

namespace words {

/// The lemma of `word`, which is also kept as the setting "lemma" in the settings file
/// `settings`; none when the word tables could not be read.
std::optional<std::string> rememberLemma(const std::string& word,
                                         const std::filesystem::path& settings);

/// Why the word tables could not be read, as this library finds them; empty when they were.
std::string tablesProblem();

}  // namespace words
