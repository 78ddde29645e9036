#include "core/import/FormatSniffer.hpp"

#include <algorithm>

#include "core/import/CSVSnippetParser.hpp"
#include "core/import/MarkdownSplitter.hpp"
#include "core/import/PlainTextSplitter.hpp"
#include "core/import/internal/CSVRows.hpp"
#include "core/import/internal/JSONExports.hpp"
#include "core/import/internal/Sniffed.hpp"
#include "core/import/internal/TextEquality.hpp"
#include "core/import/internal/Trim.hpp"
#include "platform/foundation/DecodingError.hpp"
#include "platform/foundation/Regex.hpp"
#include "platform/foundation/Text.hpp"
#include "platform/foundation/Utf.hpp"

namespace kelvo::FormatSniffer {
namespace {

using Detection = FormatSniffer::Detection;

// The text after leading white space, line breaks and byte-order marks.
std::string_view headOf(std::string_view text) {
  std::size_t offset = 0;
  while (offset < text.size()) {
    std::size_t next = offset;
    const char32_t scalar = nextScalar(text, next);
    if (scalar != U'\uFEFF' &&
        !import_internal::inClass(scalar, text::CharacterClass::whitespaceAndNewline)) {
      break;
    }
    offset = next;
  }
  return text.substr(offset);
}

bool hasExtension(std::optional<std::string_view> filename, std::string_view extension) {
  return filename && text::lowercased(*filename).ends_with(extension);
}

Detection propertyList(std::string_view text, import_internal::Sniffed& sniffed) {
  if (text.find("<key>snippetsTE2</key>") != std::string_view::npos) {
    return Detection::unsupportedYet(UnsupportedFormat::textExpanderPlist);
  }
  try {
    const import_internal::TextReplacementList& list = sniffed.propertyList.emplace(
        import_internal::textReplacements(text, sniffed.snippetLimit, true));
    if (list.recognised) return Detection::format(ImportFormat::textReplacements);
  } catch (const PropertyListError&) {
  }
  return Detection::notASnippetExport();
}

// 1 plus the line feeds before the offset where reading failed.
std::optional<std::int64_t> jsonErrorLine(const DecodingError& error, std::string_view text) {
  if (!error.offset()) return std::nullopt;
  const std::size_t offset = std::min(*error.offset(), text.size());
  return 1 + std::count(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(offset), '\n');
}

// A verdict on text that opens like JSON, or none when a failed read is just a note that
// starts with a bracket.
std::optional<Detection> json(std::string_view text, std::string_view head,
                              std::optional<std::string_view> filename,
                              import_internal::Sniffed& sniffed) {
  try {
    const import_internal::JSONExport& found =
        sniffed.json.emplace(import_internal::jsonExport(text, sniffed.snippetLimit));
    return found.format ? Detection::format(*found.format) : Detection::notASnippetExport();
  } catch (const DecodingError& error) {
    const bool broken = hasExtension(filename, ".json") || head.starts_with("[{") ||
                        head.starts_with("{\"") || head.starts_with("[\n");
    if (!broken) return std::nullopt;
    const ImportFormat format =
        head.starts_with("{") ? ImportFormat::alfred : ImportFormat::raycast;
    return Detection::malformed(format, jsonErrorLine(error, text));
  }
}

// Reads only as far as the verdict needs: the first row, then row widths until one differs.
bool looksLikeCSV(std::string_view text, std::optional<std::string_view> filename) {
  constexpr std::string_view byteOrderMark = "\xEF\xBB\xBF";
  const char32_t delimiter = CSVReader::detectDelimiter(
      text.starts_with(byteOrderMark) ? text.substr(byteOrderMark.size()) : text);
  // Past the first row only a comma-separated table without a ".csv" name needs more rows.
  const bool firstRowDecides = hasExtension(filename, ".csv") || delimiter != U',';
  std::size_t rows = 0, firstWidth = 0;
  bool header = false, sameWidths = true;
  import_internal::scanRows(text, delimiter, [&](const CSVReader::Row& row) {
    if (rows++ == 0) {
      firstWidth = row.size();
      header = CSVSnippetParser::columns(row).has_value();
      return firstWidth >= 2 && !header && !firstRowDecides;
    }
    sameWidths = row.size() == firstWidth;
    return sameWidths;
  });
  if (rows == 0 || firstWidth < 2) return false;
  if (header || firstRowDecides) return true;
  return rows >= 3 && sameWidths;
}

}  // namespace

std::optional<std::string> decode(std::span<const std::uint8_t> data) {
  std::string storage;
  const std::optional<std::string_view> text = import_internal::decode(data, storage);
  if (!text) return std::nullopt;
  if (text->data() != storage.data()) return std::string(*text);
  return storage;
}

Result<Decoded, ImportError> detect(std::span<const std::uint8_t> data,
                                    std::optional<std::string_view> filename) {
  if (import_internal::isZip(data)) {
    return Decoded{{}, Detection::unsupportedYet(UnsupportedFormat::alfredBundle)};
  }
  std::optional<std::string> text = decode(data);
  if (!text) return ImportError::unreadableEncoding();
  Detection detection = detect(*text, filename);
  return Decoded{std::move(*text), std::move(detection)};
}

Detection detect(std::string_view text, std::optional<std::string_view> filename) {
  import_internal::Sniffed unused;
  return import_internal::detect(text, filename, unused);
}

}  // namespace kelvo::FormatSniffer

namespace kelvo::import_internal {

std::optional<std::string_view> decode(std::span<const std::uint8_t> data, std::string& storage) {
  if (data.size() >= 2 &&
      ((data[0] == 0xFF && data[1] == 0xFE) || (data[0] == 0xFE && data[1] == 0xFF))) {
    std::optional<std::string> decoded = decodeUtf16(data);
    if (!decoded) return std::nullopt;
    storage = std::move(*decoded);
    return std::string_view(storage);
  }
  const std::string_view bytes(reinterpret_cast<const char*>(data.data()), data.size());
  if (!isValidUtf8(bytes)) return std::nullopt;
  return bytes;
}

FormatSniffer::Detection detect(std::string_view text, std::optional<std::string_view> filename,
                                Sniffed& sniffed) {
  using FormatSniffer::looksLikeCSV;
  using Detection = FormatSniffer::Detection;
  static const Regex espanso(R"((^|\n)matches:[ \t]*(\r?\n|$))");
  const std::string_view head = FormatSniffer::headOf(text);
  if (head.starts_with("<?xml") || head.starts_with("<plist")) {
    return FormatSniffer::propertyList(text, sniffed);
  }
  if (head.starts_with("[") || head.starts_with("{")) {
    if (auto verdict = FormatSniffer::json(text, head, filename, sniffed)) return *verdict;
  }
  if (text.find("matches:") != std::string_view::npos && espanso.containsMatch(text)) {
    return Detection::unsupportedYet(UnsupportedFormat::espansoYAML);
  }
  if (MarkdownSplitter::looksLikeMarkdown(text)) return Detection::format(ImportFormat::markdown);
  if (looksLikeCSV(text, filename)) return Detection::format(ImportFormat::csv);
  return Detection::format(PlainTextSplitter::hasBlankLine(text) ? ImportFormat::paragraphs
                                                                 : ImportFormat::lines);
}

}  // namespace kelvo::import_internal

std::size_t std::hash<kelvo::FormatSniffer::Detection>::operator()(
    const kelvo::FormatSniffer::Detection& detection) const noexcept {
  using Detection = kelvo::FormatSniffer::Detection;
  std::size_t seed = detection.value.index();
  const auto add = [&seed](std::size_t value) { kelvo::hashCombine(seed, value); };
  if (const auto* format = std::get_if<Detection::Format>(&detection.value)) {
    add(static_cast<std::size_t>(format->format));
  } else if (const auto* unsupported = std::get_if<Detection::UnsupportedYet>(&detection.value)) {
    add(static_cast<std::size_t>(unsupported->format));
  } else if (const auto* malformed = std::get_if<Detection::Malformed>(&detection.value)) {
    add(static_cast<std::size_t>(malformed->format));
    add(malformed->line ? std::hash<std::int64_t>{}(*malformed->line) : 0x51ed27);
    add(malformed->line.has_value());
  }
  return seed;
}
