// Cuts bytes as Markdown, lines and paragraphs, and titles every snippet: titles are never
// empty, and split snippets have no blank bodies unless a heading titles them. A limit one short
// of what a splitter gives refuses, and Markdown's count agrees with its sections.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "core/import/MarkdownSplitter.hpp"
#include "core/import/PlainTextSplitter.hpp"
#include "core/import/TitleDerivation.hpp"
#include "core/import/internal/Splitting.hpp"
#include "fuzz/FuzzInput.hpp"

namespace {

void check(const std::vector<kelvo::ImportedSnippet>& snippets,
           kelvo::import_internal::LimitedSnippets (*limited)(std::string_view, std::size_t),
           std::string_view text) {
  for (std::size_t i = 0; i < snippets.size(); ++i) {
    if (snippets[i].body.empty() && !snippets[i].title) std::abort();
    if (kelvo::TitleDerivation::title(snippets[i], i).empty()) std::abort();
  }
  if (!snippets.empty() && limited(text, snippets.size() - 1)) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text = kelvo::fuzz::text(data, size);
  (void)kelvo::MarkdownSplitter::looksLikeMarkdown(text);
  // CR LF and lone CR read as the line feeds they are normalised to.
  if (kelvo::PlainTextSplitter::hasBlankLine(text) !=
      kelvo::PlainTextSplitter::hasBlankLine(kelvo::PlainTextSplitter::normalisedNewlines(text))) {
    std::abort();
  }
  const auto sections = kelvo::MarkdownSplitter::split(text);
  check(sections, kelvo::import_internal::markdown, text);
  if (kelvo::import_internal::markdownCount(text, sections.size() + 1) != sections.size())
    std::abort();
  check(kelvo::PlainTextSplitter::lines(text), kelvo::import_internal::lines, text);
  check(kelvo::PlainTextSplitter::paragraphs(text), kelvo::import_internal::paragraphs, text);
  return 0;
}
