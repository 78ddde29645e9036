#include "core/import/ImportFormat.hpp"

#include "platform/foundation/Localized.hpp"

namespace kelvo {
namespace {

struct Properties {
  std::string_view displayName;
  std::optional<std::string_view> toolName;
  PlaceholderSyntax placeholderSyntax;
};

// In the order of the formats.
constexpr std::array<Properties, 7> properties{{
    {"Lines", std::nullopt, PlaceholderSyntax::none},
    {"Paragraphs", std::nullopt, PlaceholderSyntax::none},
    {"Markdown", std::nullopt, PlaceholderSyntax::none},
    {"CSV", std::nullopt, PlaceholderSyntax::textExpander},
    {"Raycast", "Raycast", PlaceholderSyntax::braces},
    {"Alfred", "Alfred", PlaceholderSyntax::braces},
    {"Text Replacements", "Text Replacements", PlaceholderSyntax::none},
}};

const Properties& propertiesOf(ImportFormat format) {
  const auto index = static_cast<std::size_t>(format);
  return properties[index < properties.size() ? index : 0];
}

constexpr std::array<ImportFormat, 4> genericFormats{
    ImportFormat::csv, ImportFormat::lines, ImportFormat::paragraphs, ImportFormat::markdown};

}  // namespace

std::string displayName(ImportFormat format) { return localized(propertiesOf(format).displayName); }

std::optional<std::string_view> toolName(ImportFormat format) {
  return propertiesOf(format).toolName;
}

PlaceholderSyntax placeholderSyntax(ImportFormat format) {
  return propertiesOf(format).placeholderSyntax;
}

std::vector<ImportFormat> alternatives(ImportFormat format) {
  std::vector<ImportFormat> list;
  if (propertiesOf(format).toolName) return list;
  for (const ImportFormat other : genericFormats) {
    if (other != format) list.push_back(other);
  }
  return list;
}

}  // namespace kelvo
