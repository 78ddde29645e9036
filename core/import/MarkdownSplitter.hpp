#pragma once

#include <string_view>
#include <vector>

#include "core/import/ImportedSnippet.hpp"

/// Cuts Markdown into one snippet per heading section, the heading becoming the title. Every
/// level starts a sibling section; fences are not recognised.
///
///   MarkdownSplitter::split("# Sig\nBest, Ada\n## Thanks\nMany thanks")  // two titled snippets
namespace kelvo::MarkdownSplitter {

/// Whether a line starts with one to six "#", a space or tab, and then text.
bool looksLikeMarkdown(std::string_view text);
/// One snippet per section with a title or text; text before the first heading is untitled.
std::vector<ImportedSnippet> split(std::string_view text);

}  // namespace kelvo::MarkdownSplitter
