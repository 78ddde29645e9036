#pragma once

// The model of the smart-shelf editor: its collapsible sections, which start open, and the
// one-line summaries in their headers.
//
//   auto open = SmartShelfInspector::initiallyOpen(isNew);
//   open = SmartShelfInspector::toggling(SmartShelfInspectorSection::order, open);
//   header.text = SmartShelfInspector::matchesSummary(scope.projectName, filterName, query, true);

#include <array>
#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/search/CardSort.hpp"
#include "platform/foundation/RawValues.hpp"

namespace kelvo {

enum class KelvoIcon;

enum class SmartShelfInspectorSection : std::uint8_t { startFrom, matches, order };

template <>
struct RawValues<SmartShelfInspectorSection> {
  static constexpr std::array<std::pair<SmartShelfInspectorSection, std::string_view>, 3> table{{
      {SmartShelfInspectorSection::startFrom, "start-from"},
      {SmartShelfInspectorSection::matches, "matches"},
      {SmartShelfInspectorSection::order, "order"},
  }};
};

/// Localised.
std::string title(SmartShelfInspectorSection section);
KelvoIcon icon(SmartShelfInspectorSection section);
/// "smart-shelf-section-" followed by the raw value: the section's accessibility identifier.
std::string identifier(SmartShelfInspectorSection section);

namespace SmartShelfInspector {

using Sections = std::set<SmartShelfInspectorSection>;

/// A new shelf starts from a preset; an existing one shows what it collects and its order.
std::vector<SmartShelfInspectorSection> sections(bool isNew);
Sections initiallyOpen(bool isNew);
/// `open` with the section's membership flipped.
Sections toggling(SmartShelfInspectorSection section, const Sections& open);

/// The project (when the library has projects; "Any project" when none is chosen), the filter
/// name as given, and the trimmed query in “ ” (cut to 32 characters and "…" from 33 on),
/// joined by " · ".
std::string matchesSummary(const std::optional<std::string>& projectName,
                           std::string_view filterName, const std::optional<std::string>& query,
                           bool hasProjects);
std::string orderSummary(CardSort sort);
/// "No presets", "1 preset", else the count and " presets"; localised.
std::string startFromSummary(std::int64_t count);

}  // namespace SmartShelfInspector
}  // namespace kelvo
