#pragma once

#include <optional>
#include <string>
#include <vector>

#include "core/import/ImportWarning.hpp"

namespace kelvo {

/// One snippet found in another tool's export, as every reader yields it and before it is
/// planned. Stored as given: nothing is trimmed or derived. Texts compare by canonical
/// equivalence; an absent title or keyword differs from an empty one.
///
///   ImportedSnippet snippet{.title = "Sig", .body = "Best, Ada", .keyword = ";sig"};
struct ImportedSnippet {
  std::optional<std::string> title;
  std::string body;
  std::optional<std::string> keyword;
  /// Folder names, outermost first.
  std::vector<std::string> folderPath;
  /// In the order they arose: a reader's first, then the translation's.
  std::vector<ImportWarning> warnings;

  friend bool operator==(const ImportedSnippet& a, const ImportedSnippet& b);
};

}  // namespace kelvo
