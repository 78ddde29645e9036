#pragma once

// The ready-made saved searches offered to the user. Each call builds its saved search afresh
// with a new random identifier; compare presets by predicate or name.
//
//   for (const SavedSearch& preset : CardFilterPresets::all()) menu.add(preset.name());
//   const auto perShelf = CardFilterPresets::shelves({"Inbox", "Archive"});

#include <cstdint>
#include <string>
#include <vector>

#include "core/search/SavedSearch.hpp"

namespace kelvo::CardFilterPresets {

/// The day count after which the presets call a card stale.
inline constexpr std::int64_t staleDays = 90;

SavedSearch staleCards();
SavedSearch usedThisWeek();
SavedSearch neverUsed();
SavedSearch documents();
SavedSearch attachments();
SavedSearch unfilledTemplates();
/// Cards last used more than `staleAfterDays` days ago, and never-used text cards with blanks.
SavedSearch needsAttention(std::int64_t staleAfterDays);

/// Needs attention (after `staleDays`), used this week, never used, stale, templates,
/// documents and files, in that order.
std::vector<SavedSearch> all();

/// One saved search per distinct usable name, in order of first appearance: names are trimmed
/// of white space, empty ones skipped, and of names equal after lower-casing the first wins.
std::vector<SavedSearch> shelves(const std::vector<std::string>& names);

}  // namespace kelvo::CardFilterPresets
