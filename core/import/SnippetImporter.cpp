#include "core/import/SnippetImporter.hpp"

#include <algorithm>
#include <nlohmann/json.hpp>

#include "core/import/AlfredParser.hpp"
#include "core/import/ApplePlistParser.hpp"
#include "core/import/CSVSnippetParser.hpp"
#include "core/import/FormatSniffer.hpp"
#include "core/import/MarkdownSplitter.hpp"
#include "core/import/PlaceholderTranslator.hpp"
#include "core/import/PlainTextSplitter.hpp"
#include "core/import/RaycastParser.hpp"
#include "core/import/internal/CSVRows.hpp"
#include "core/import/internal/SniffedTree.hpp"
#include "core/model/FileNames.hpp"
#include "platform/foundation/Overloaded.hpp"

namespace kelvo::SnippetImporter {
namespace {

using Detection = FormatSniffer::Detection;
using Snippets = Result<std::vector<ImportedSnippet>, ImportError>;

constexpr std::string_view byteOrderMark = "\xEF\xBB\xBF";

std::string_view withoutByteOrderMark(std::string_view text) {
  return text.starts_with(byteOrderMark) ? text.substr(byteOrderMark.size()) : text;
}

Result<ImportFormat, ImportError> chosenFormat(const Detection& detection,
                                               std::optional<ImportFormat> treatAs) {
  if (treatAs) return *treatAs;
  return std::visit(
      Overloaded{
          [](const Detection::Format& c) -> Result<ImportFormat, ImportError> { return c.format; },
          [](const Detection::UnsupportedYet& c) -> Result<ImportFormat, ImportError> {
            return ImportError::unsupportedYet(c.format);
          },
          [](const Detection::Malformed& c) -> Result<ImportFormat, ImportError> {
            return ImportError::malformed(c.format, c.line);
          },
          [](const Detection::NotASnippetExport&) -> Result<ImportFormat, ImportError> {
            return ImportError::notASnippetExport();
          },
      },
      detection.value);
}

// The sniffer's tree when it read one, else the text parsed now.
template <class Parser>
Snippets fromJSON(std::string_view text, const importing::SniffedTree& tree, ImportFormat format,
                  Parser parser) {
  if (tree.json) return parser(*tree.json);
  try {
    return parser(json::parse(text));
  } catch (const DecodingError&) {
    return ImportError::malformed(format);
  }
}

// The tree is the importer's own: its texts are moved into the snippets, not copied.
Snippets read(std::string_view text, importing::SniffedTree&& tree, ImportFormat format) {
  switch (format) {
    case ImportFormat::lines:
      return PlainTextSplitter::lines(text);
    case ImportFormat::paragraphs:
      return PlainTextSplitter::paragraphs(text);
    case ImportFormat::markdown:
      return MarkdownSplitter::split(text);
    case ImportFormat::csv:
      return importing::csvSnippets(text);
    case ImportFormat::raycast:
      return fromJSON(text, tree, format,
                      [](const Json& value) { return RaycastParser::parse(value); });
    case ImportFormat::alfred:
      return fromJSON(text, tree, format,
                      [](const Json& value) { return AlfredParser::parse(value); });
    case ImportFormat::textReplacements:
      if (tree.propertyList) return ApplePlistParser::parse(std::move(*tree.propertyList));
      try {
        return ApplePlistParser::parse(PropertyList::read(text));
      } catch (const PropertyListError&) {
        return ImportError::malformed(format);
      }
  }
  return ImportError::notASnippetExport();
}

void translate(std::vector<ImportedSnippet>& snippets, PlaceholderSyntax syntax) {
  for (ImportedSnippet& snippet : snippets) {
    if (snippet.body.find('\r') != std::string::npos) {
      snippet.body = PlainTextSplitter::normalisedNewlines(snippet.body);
    }
    PlaceholderTranslator::Output output = PlaceholderTranslator::translate(snippet.body, syntax);
    snippet.body = std::move(output.body);
    snippet.warnings.insert(snippet.warnings.end(),
                            std::make_move_iterator(output.warnings.begin()),
                            std::make_move_iterator(output.warnings.end()));
  }
}

Result<Parsed, ImportError> finish(std::string_view text, const Detection& detection,
                                   importing::SniffedTree&& tree,
                                   std::optional<std::string_view> filename,
                                   std::optional<ImportFormat> treatAs) {
  const Result<ImportFormat, ImportError> format = chosenFormat(detection, treatAs);
  if (!format) return format.error();
  Snippets snippets = read(text, std::move(tree), *format);
  if (!snippets) return snippets.error();
  Parsed parsed{*format, "Clipboard", "Pasted snippets", std::move(snippets).value()};
  translate(parsed.snippets, placeholderSyntax(*format));
  if (const auto tool = toolName(*format)) {
    parsed.sourceName = std::string(*tool);
    parsed.suggestedShelfName = parsed.sourceName + " snippets";
  } else if (filename && !FileNames::deletingPathExtension(*filename).empty()) {
    parsed.sourceName = std::string(FileNames::deletingPathExtension(*filename));
    parsed.suggestedShelfName = parsed.sourceName;
  }
  return parsed;
}

}  // namespace

Result<Parsed, ImportError> parse(std::span<const std::uint8_t> data,
                                  std::optional<std::string_view> filename,
                                  std::optional<ImportFormat> treatAs) {
  if (static_cast<std::int64_t>(data.size()) > sizeLimit) {
    return ImportError::tooLarge(static_cast<std::int64_t>(data.size()), sizeLimit);
  }
  importing::SniffedTree tree;
  static constexpr std::uint8_t zip[] = {0x50, 0x4B, 0x03, 0x04};
  if (data.size() >= 4 && std::equal(zip, zip + 4, data.begin())) {
    const auto bundle = Detection::unsupportedYet(UnsupportedFormat::alfredBundle);
    return finish({}, bundle, std::move(tree), filename, treatAs);
  }
  std::string storage;
  const std::optional<std::string_view> text = importing::decode(data, storage);
  if (!text) return ImportError::unreadableEncoding();
  // A text that starts with a byte-order mark is judged without it; a judgement of the text
  // with the mark would be dropped, so it is never made.
  const std::string_view rest = withoutByteOrderMark(*text);
  const Detection detection = importing::detect(rest, filename, tree);
  return finish(rest, detection, std::move(tree), filename, treatAs);
}

Result<Parsed, ImportError> parse(std::string_view text, std::optional<std::string_view> filename,
                                  std::optional<ImportFormat> treatAs) {
  text = withoutByteOrderMark(text);
  importing::SniffedTree tree;
  const Detection detection = importing::detect(text, filename, tree);
  return finish(text, detection, std::move(tree), filename, treatAs);
}

std::optional<std::int64_t> nudgeCount(std::string_view text) {
  if (text.empty()) return std::nullopt;
  importing::SniffedTree tree;
  const Detection detection = importing::detect(text, std::nullopt, tree);
  const auto* format = std::get_if<Detection::Format>(&detection.value);
  if (!format || format->format == ImportFormat::lines ||
      format->format == ImportFormat::paragraphs) {
    return std::nullopt;
  }
  const Result<Parsed, ImportError> parsed =
      finish(text, detection, std::move(tree), std::nullopt, std::nullopt);
  if (!parsed || parsed->snippets.size() < 2) return std::nullopt;
  return static_cast<std::int64_t>(parsed->snippets.size());
}

}  // namespace kelvo::SnippetImporter
