#pragma once

#include <cstddef>
#include <string>

#include "core/import/ImportedSnippet.hpp"

/// The title an imported snippet's card carries: its own title, else its keyword, else its
/// first line of text shortened, else "Snippet" and its number.
///
///   TitleDerivation::title(ImportedSnippet{.body = "\n  Hello there\nmore"}, 0)  // "Hello there"
namespace kelvo::TitleDerivation {

/// The longest title taken from a body line, in characters, the ellipsis included.
inline constexpr std::size_t maximumLength = 60;

/// Never empty. `index` is the snippet's 0-based position in the import.
std::string title(const ImportedSnippet& snippet, std::size_t index);

}  // namespace kelvo::TitleDerivation
