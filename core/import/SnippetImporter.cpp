#include "core/import/SnippetImporter.hpp"

#include <algorithm>
#include <cstring>
#include <stdexcept>

#include "core/import/ApplePlistParser.hpp"
#include "core/import/CSVSnippetParser.hpp"
#include "core/import/FormatSniffer.hpp"
#include "core/import/internal/BodyTranslation.hpp"
#include "core/import/internal/CSVRows.hpp"
#include "core/import/internal/JSONExports.hpp"
#include "core/import/internal/Sniffed.hpp"
#include "core/import/internal/Splitting.hpp"
#include "core/model/FileNames.hpp"
#include "platform/foundation/DecodingError.hpp"
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

ImportError tooLargeForCSV(std::string_view text) {
  return ImportError::tooLarge(static_cast<std::int64_t>(text.size()),
                               static_cast<std::int64_t>(CSVReader::Rows::maxTextSize - 1));
}

// CR LF and a lone CR become LF; the text only shrinks, so it is rewritten where it stands.
void normaliseNewlines(std::string& body) {
  std::size_t read = body.find('\r');
  std::size_t kept = read;
  while (read != std::string::npos) {
    body[kept++] = '\n';
    read += read + 1 < body.size() && body[read + 1] == '\n' ? 2 : 1;
    const std::size_t next = std::min(body.find('\r', read), body.size());
    std::memmove(body.data() + kept, body.data() + read, next - read);
    kept += next - read;
    read = next == body.size() ? std::string::npos : next;
  }
  if (kept != std::string::npos) body.resize(kept);
}

void translate(ImportedSnippet& snippet, PlaceholderSyntax syntax) {
  normaliseNewlines(snippet.body);
  import_internal::translateInPlace(snippet.body, syntax, snippet.warnings);
}

constexpr auto limit = static_cast<std::size_t>(snippetLimit);

Snippets withinLimit(import_internal::LimitedSnippets snippets) {
  if (!snippets) return ImportError::tooManySnippets(snippetLimit);
  return std::move(*snippets);
}

// The snippets the sniffer made when it recognised the text as this format, else the text read
// now; `Read` reads it, throwing `Failure` for a text that is no such export.
template <class Failure, class Found, class Read>
Snippets sniffedOrRead(std::optional<Found>& sniffed, bool recognised, ImportFormat format,
                       const Read& read) {
  try {
    if (!recognised) sniffed.reset();
    Found found = recognised ? std::move(*sniffed) : read();
    if (found.count > limit) return ImportError::tooManySnippets(snippetLimit);
    return std::move(*found.snippets);
  } catch (const Failure&) {
    return ImportError::malformed(format);
  }
}

// What the format's reader yields; CSV snippets come translated, row by row. What was sniffed
// is the importer's own: its texts are moved into the snippets, not copied.
Snippets readerSnippets(std::string_view text, import_internal::Sniffed&& sniffed,
                        ImportFormat format) {
  switch (format) {
    case ImportFormat::lines:
      return withinLimit(import_internal::lines(text, limit));
    case ImportFormat::paragraphs:
      return withinLimit(import_internal::paragraphs(text, limit));
    case ImportFormat::markdown:
      return withinLimit(import_internal::markdown(text, limit));
    case ImportFormat::csv:
      // The rows stream, but stand for `CSVReader::read`, which holds under 4 GiB.
      if (text.size() >= CSVReader::Rows::maxTextSize) return tooLargeForCSV(text);
      // Each row is translated as it is read, while its text is at hand.
      return withinLimit(import_internal::csvSnippets(
          text, limit, [syntax = placeholderSyntax(format)](ImportedSnippet& snippet) {
            translate(snippet, syntax);
          }));
    case ImportFormat::raycast:
    case ImportFormat::alfred:
      return sniffedOrRead<DecodingError>(
          sniffed.json, sniffed.json && sniffed.json->format == format, format,
          [&] { return import_internal::jsonExport(text, format, limit); });
    case ImportFormat::textReplacements:
      return sniffedOrRead<PropertyListError>(
          sniffed.propertyList, sniffed.propertyList && sniffed.propertyList->recognised, format,
          [&] { return import_internal::textReplacements(text, limit, false); });
  }
  return ImportError::notASnippetExport();
}

// The snippets with their newlines normalised and placeholders translated.
Snippets read(std::string_view text, import_internal::Sniffed&& sniffed, ImportFormat format) {
  // What the sniffer made of the text as another format is given back before it is read.
  if (format != ImportFormat::raycast && format != ImportFormat::alfred) sniffed.json.reset();
  if (format != ImportFormat::textReplacements) sniffed.propertyList.reset();
  Snippets snippets = readerSnippets(text, std::move(sniffed), format);
  if (!snippets || format == ImportFormat::csv) return snippets;
  std::vector<ImportedSnippet> translated = std::move(snippets).value();
  for (ImportedSnippet& snippet : translated) translate(snippet, placeholderSyntax(format));
  return translated;
}

Result<Parsed, ImportError> finish(std::string_view text, const Detection& detection,
                                   import_internal::Sniffed&& sniffed,
                                   std::optional<std::string_view> filename,
                                   std::optional<ImportFormat> treatAs) {
  const Result<ImportFormat, ImportError> format = chosenFormat(detection, treatAs);
  if (!format) return format.error();
  Snippets snippets = read(text, std::move(sniffed), *format);
  if (!snippets) return snippets.error();
  Parsed parsed{*format, "Clipboard", "Pasted snippets", std::move(snippets).value()};
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
  import_internal::Sniffed sniffed;
  sniffed.snippetLimit = limit;
  if (import_internal::isZip(data)) {
    const auto bundle = Detection::unsupportedYet(UnsupportedFormat::alfredBundle);
    return finish({}, bundle, std::move(sniffed), filename, treatAs);
  }
  std::string storage;
  const std::optional<std::string_view> text = import_internal::decode(data, storage);
  if (!text) return ImportError::unreadableEncoding();
  // A text that starts with a byte-order mark is judged without it; a judgement of the text
  // with the mark would be dropped, so it is never made.
  const std::string_view rest = withoutByteOrderMark(*text);
  const Detection detection = import_internal::detect(rest, filename, sniffed);
  return finish(rest, detection, std::move(sniffed), filename, treatAs);
}

Result<Parsed, ImportError> parse(std::string_view text, std::optional<std::string_view> filename,
                                  std::optional<ImportFormat> treatAs) {
  // A pasted text has no size limit: the sniffer's CSV reader may meet a row of 4 GiB.
  try {
    text = withoutByteOrderMark(text);
    import_internal::Sniffed sniffed;
    sniffed.snippetLimit = limit;
    const Detection detection = import_internal::detect(text, filename, sniffed);
    return finish(text, detection, std::move(sniffed), filename, treatAs);
  } catch (const std::length_error&) {
    return tooLargeForCSV(text);
  }
}

std::optional<std::int64_t> nudgeCount(std::string_view text) {
  if (text.empty()) return std::nullopt;
  try {
    import_internal::Sniffed sniffed;
    const Detection detection = import_internal::detect(text, std::nullopt, sniffed);
    const auto* format = std::get_if<Detection::Format>(&detection.value);
    if (!format || format->format == ImportFormat::lines ||
        format->format == ImportFormat::paragraphs) {
      return std::nullopt;
    }
    std::size_t count = 0;
    if (format->format == ImportFormat::markdown) {
      count = import_internal::markdownCount(text, limit + 1);
    } else if (format->format == ImportFormat::csv) {
      if (text.size() >= CSVReader::Rows::maxTextSize) return std::nullopt;
      count = import_internal::csvSnippetCount(text, limit + 1);
    } else if (sniffed.json) {
      count = sniffed.json->count;
    } else if (sniffed.propertyList) {
      count = sniffed.propertyList->count;
    }
    if (count < 2 || count > limit) return std::nullopt;
    return static_cast<std::int64_t>(count);
  } catch (const std::length_error&) {
    // A row of 4 GiB or more, which the CSV reader refuses.
    return std::nullopt;
  }
}

}  // namespace kelvo::SnippetImporter
