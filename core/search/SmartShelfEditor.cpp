#include "core/search/SmartShelfEditor.hpp"

#include "core/design/KelvoIcon.hpp"
#include "platform/foundation/Localized.hpp"
#include "platform/foundation/Text.hpp"

namespace kelvo {
namespace {

constexpr std::size_t queryShownCharacters = 32;

}  // namespace

std::string title(SmartShelfInspectorSection section) {
  switch (section) {
    case SmartShelfInspectorSection::startFrom:
      return localized("Start from");
    case SmartShelfInspectorSection::matches:
      return localized("What it collects");
    case SmartShelfInspectorSection::order:
      return localized("Order");
  }
  return {};
}

KelvoIcon icon(SmartShelfInspectorSection section) {
  switch (section) {
    case SmartShelfInspectorSection::startFrom:
      return KelvoIcon::intelligence;
    case SmartShelfInspectorSection::matches:
      return KelvoIcon::smartShelf;
    case SmartShelfInspectorSection::order:
      return KelvoIcon::sort;
  }
  return KelvoIcon::smartShelf;
}

std::string identifier(SmartShelfInspectorSection section) {
  return "smart-shelf-section-" + std::string(rawValue(section));
}

namespace SmartShelfInspector {

std::vector<SmartShelfInspectorSection> sections(bool isNew) {
  using S = SmartShelfInspectorSection;
  if (isNew) return {S::startFrom, S::matches, S::order};
  return {S::matches, S::order};
}

Sections initiallyOpen(bool isNew) {
  using S = SmartShelfInspectorSection;
  if (isNew) return {S::startFrom, S::matches};
  return {S::matches};
}

Sections toggling(SmartShelfInspectorSection section, const Sections& open) {
  Sections toggled = open;
  if (!toggled.erase(section)) toggled.insert(section);
  return toggled;
}

std::string matchesSummary(const std::optional<std::string>& projectName,
                           std::string_view filterName, const std::optional<std::string>& query,
                           bool hasProjects) {
  std::vector<std::string> parts;
  if (hasProjects) {
    std::string project = text::trimmed(projectName.value_or(""));
    parts.push_back(project.empty() ? localized("Any project") : std::move(project));
  }
  parts.emplace_back(filterName);
  std::string shown = text::trimmed(query.value_or(""));
  if (!shown.empty()) {
    if (text::characterCount(shown) > queryShownCharacters) {
      shown = text::prefix(shown, queryShownCharacters) + "\u2026";
    }
    parts.push_back("\u201C" + shown + "\u201D");
  }
  return text::joined(parts, " \u00B7 ");
}

std::string orderSummary(CardSort sort) { return name(sort); }

std::string startFromSummary(std::int64_t count) {
  if (count == 0) return localized("No presets");
  if (count == 1) return localized("1 preset");
  return localized("%lld presets", count);
}

}  // namespace SmartShelfInspector
}  // namespace kelvo
