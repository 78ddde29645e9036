#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/foundation/RawValues.hpp"

/// The vocabulary of snippet import: the formats read, their placeholder dialects and the
/// formats recognised but not read yet.
///
///   displayName(ImportFormat::textReplacements)   // "Text Replacements", localised
///   alternatives(ImportFormat::markdown)          // csv, lines, paragraphs
namespace kelvo {

/// The dialect of fill-in placeholders in a format's snippet bodies.
enum class PlaceholderSyntax : std::uint8_t {
  /// Nothing to translate.
  none,
  /// Percent-sign fill-ins, as CSV exports write them.
  textExpander,
  /// Fill-ins in curly braces.
  braces,
};

/// A format the importer reads, stored by raw value.
enum class ImportFormat : std::uint8_t {
  lines,
  paragraphs,
  markdown,
  csv,
  raycast,
  alfred,
  textReplacements,
};

template <>
struct RawValues<ImportFormat> {
  static constexpr std::array<std::pair<ImportFormat, std::string_view>, 7> table{{
      {ImportFormat::lines, "lines"},
      {ImportFormat::paragraphs, "paragraphs"},
      {ImportFormat::markdown, "markdown"},
      {ImportFormat::csv, "csv"},
      {ImportFormat::raycast, "raycast"},
      {ImportFormat::alfred, "alfred"},
      {ImportFormat::textReplacements, "textReplacements"},
  }};
};

/// The format's name in the import sheet, localised.
std::string displayName(ImportFormat format);
/// The outside tool whose export the format is, never localised; none for generic text.
std::optional<std::string_view> toolName(ImportFormat format);
PlaceholderSyntax placeholderSyntax(ImportFormat format);
/// The formats a guessed generic text may be treated as instead; none for a tool's export.
std::vector<ImportFormat> alternatives(ImportFormat format);

/// A file the importer recognises and refuses for now.
enum class UnsupportedFormat : std::uint8_t {
  /// A zipped collection of snippets, not the single-snippet JSON.
  alfredBundle,
  /// TextExpander's own property-list library, not its CSV export.
  textExpanderPlist,
  espansoYAML,
};

}  // namespace kelvo
