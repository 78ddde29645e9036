#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "core/import/ImportedSnippet.hpp"

/// Cuts plain text into snippets: one per non-blank line, or one per block between blank
/// lines. Titles are left for the plan to derive.
///
///   PlainTextSplitter::paragraphs("Hi Ada\nThanks\n\nSee you")  // "Hi Ada\nThanks", "See you"
namespace kelvo::PlainTextSplitter {

/// CR LF, then every other CR, written as LF.
std::string normalisedNewlines(std::string_view text);
/// Whether two line feeds stand with only spaces and tabs between them, once normalised.
bool hasBlankLine(std::string_view text);
/// One snippet per line with text, trimmed of white space (line breaks other than LF stay).
std::vector<ImportedSnippet> lines(std::string_view text);
/// One snippet per block between blank lines, trimmed of white space and line breaks.
std::vector<ImportedSnippet> paragraphs(std::string_view text);

}  // namespace kelvo::PlainTextSplitter
