#include "core/search/CardFilterPresets.hpp"

#include <unordered_set>

#include "platform/foundation/Localized.hpp"
#include "platform/foundation/Text.hpp"

namespace kelvo::CardFilterPresets {
namespace {

SavedSearch preset(std::string_view name, CardPredicate predicate, CardSort sort, KelvoIcon icon) {
  return SavedSearch(UUID::random(), localized(name), std::nullopt, std::move(predicate), sort,
                     icon);
}

}  // namespace

SavedSearch staleCards() {
  return preset("Stale", CardPredicate::stale(staleDays), CardSort::recentlyUsed, KelvoIcon::stale);
}

SavedSearch usedThisWeek() {
  return preset("Used this week", CardPredicate::usedWithin(7), CardSort::recentlyUsed,
                KelvoIcon::recentlyUsed);
}

SavedSearch neverUsed() {
  return preset("Never used", CardPredicate::neverUsed(), CardSort::title, KelvoIcon::neverUsed);
}

SavedSearch documents() {
  return preset("Documents", CardPredicate::type(CardType::document), CardSort::recentlyUsed,
                KelvoIcon::documentCard);
}

SavedSearch attachments() {
  return preset("Files", CardPredicate::hasAttachment(), CardSort::recentlyUsed,
                KelvoIcon::fileCard);
}

SavedSearch unfilledTemplates() {
  return preset("Templates", CardPredicate::hasUnfilledFields(), CardSort::mostUsed,
                KelvoIcon::variables);
}

SavedSearch needsAttention(std::int64_t staleAfterDays) {
  const auto predicate =
      CardPredicate::stale(staleAfterDays)
          .or_(CardPredicate::hasUnfilledFields().and_(CardPredicate::neverUsed()));
  return preset("Needs attention", predicate, CardSort::title, KelvoIcon::warning);
}

std::vector<SavedSearch> all() {
  return {needsAttention(staleDays), usedThisWeek(), neverUsed(),  staleCards(),
          unfilledTemplates(),       documents(),    attachments()};
}

std::vector<SavedSearch> shelves(const std::vector<std::string>& names) {
  std::unordered_set<std::string, text::CanonicalHash, text::CanonicalEqual> seen;
  std::vector<SavedSearch> searches;
  for (const std::string& name : names) {
    std::string trimmed = text::trimmed(name);
    if (trimmed.empty() || !seen.insert(text::lowercased(trimmed)).second) continue;
    searches.emplace_back(UUID::random(), trimmed, std::nullopt, CardPredicate::shelf(trimmed),
                          CardSort::recentlyUsed, KelvoIcon::project);
  }
  return searches;
}

}  // namespace kelvo::CardFilterPresets
