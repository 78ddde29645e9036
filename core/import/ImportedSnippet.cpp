#include "core/import/ImportedSnippet.hpp"

#include "core/import/internal/TextEquality.hpp"

namespace kelvo {

bool operator==(const ImportedSnippet& a, const ImportedSnippet& b) {
  return import_internal::sameText(a.title, b.title) && text::canonicallyEqual(a.body, b.body) &&
         import_internal::sameText(a.keyword, b.keyword) &&
         import_internal::sameTexts(a.folderPath, b.folderPath) && a.warnings == b.warnings;
}

}  // namespace kelvo
