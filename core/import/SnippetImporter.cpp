#include "core/import/SnippetImporter.hpp"

#include <nlohmann/json.hpp>

#include "core/import/AlfredParser.hpp"
#include "core/import/ApplePlistParser.hpp"
#include "core/import/CSVSnippetParser.hpp"
#include "core/import/FormatSniffer.hpp"
#include "core/import/MarkdownSplitter.hpp"
#include "core/import/PlaceholderTranslator.hpp"
#include "core/import/PlainTextSplitter.hpp"
#include "core/import/RaycastParser.hpp"
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

template <class Parser>
Snippets fromJSON(std::string_view text, ImportFormat format, Parser parser) {
  try {
    return parser(json::parse(text));
  } catch (const DecodingError&) {
    return ImportError::malformed(format);
  }
}

Snippets read(std::string_view text, ImportFormat format) {
  switch (format) {
    case ImportFormat::lines:
      return PlainTextSplitter::lines(text);
    case ImportFormat::paragraphs:
      return PlainTextSplitter::paragraphs(text);
    case ImportFormat::markdown:
      return MarkdownSplitter::split(text);
    case ImportFormat::csv:
      return CSVSnippetParser::parse(CSVReader::read(text));
    case ImportFormat::raycast:
      return fromJSON(text, format, [](const Json& value) { return RaycastParser::parse(value); });
    case ImportFormat::alfred:
      return fromJSON(text, format, [](const Json& value) { return AlfredParser::parse(value); });
    case ImportFormat::textReplacements:
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
    PlaceholderTranslator::Output output = PlaceholderTranslator::translate(
        PlainTextSplitter::normalisedNewlines(snippet.body), syntax);
    snippet.body = std::move(output.body);
    snippet.warnings.insert(snippet.warnings.end(), std::make_move_iterator(output.warnings.begin()),
                            std::make_move_iterator(output.warnings.end()));
  }
}

Result<Parsed, ImportError> finish(std::string_view text, const Detection& detection,
                                   std::optional<std::string_view> filename,
                                   std::optional<ImportFormat> treatAs) {
  const Result<ImportFormat, ImportError> format = chosenFormat(detection, treatAs);
  if (!format) return format.error();
  Snippets snippets = read(text, *format);
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
  Result<FormatSniffer::Decoded, ImportError> decoded = FormatSniffer::detect(data, filename);
  if (!decoded) return decoded.error();
  const std::string& text = decoded->text;
  if (text.starts_with(byteOrderMark)) {
    const std::string_view rest = withoutByteOrderMark(text);
    return finish(rest, FormatSniffer::detect(rest, filename), filename, treatAs);
  }
  return finish(text, decoded->detection, filename, treatAs);
}

Result<Parsed, ImportError> parse(std::string_view text, std::optional<std::string_view> filename,
                                  std::optional<ImportFormat> treatAs) {
  text = withoutByteOrderMark(text);
  return finish(text, FormatSniffer::detect(text, filename), filename, treatAs);
}

std::optional<std::int64_t> nudgeCount(std::string_view text) {
  if (text.empty()) return std::nullopt;
  const Detection detection = FormatSniffer::detect(text, std::nullopt);
  const auto* format = std::get_if<Detection::Format>(&detection.value);
  if (!format || format->format == ImportFormat::lines ||
      format->format == ImportFormat::paragraphs) {
    return std::nullopt;
  }
  const Result<Parsed, ImportError> parsed = finish(text, detection, std::nullopt, std::nullopt);
  if (!parsed || parsed->snippets.size() < 2) return std::nullopt;
  return static_cast<std::int64_t>(parsed->snippets.size());
}

}  // namespace kelvo::SnippetImporter
