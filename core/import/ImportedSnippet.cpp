#include "core/import/ImportedSnippet.hpp"

#include "core/import/internal/TextEquality.hpp"

namespace kelvo {

bool operator==(const ImportedSnippet& a, const ImportedSnippet& b) {
  return importing::sameText(a.title, b.title) && text::canonicallyEqual(a.body, b.body) &&
         importing::sameText(a.keyword, b.keyword) &&
         importing::sameTexts(a.folderPath, b.folderPath) && a.warnings == b.warnings;
}

}  // namespace kelvo
