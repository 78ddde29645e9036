#include "core/search/SmartShelfPresets.hpp"

#include <unordered_set>

#include "core/design/KelvoIcon.hpp"
#include "core/search/CardFilterPresets.hpp"
#include "platform/foundation/Localized.hpp"
#include "platform/foundation/Text.hpp"

namespace kelvo::SmartShelfPresets {
namespace {

using P = CardPredicate;

// A suggestion whose icon is the one its criteria derive.
Suggestion derived(std::string name, std::optional<std::string> query, CardPredicate predicate,
                   CardSort sort) {
  SmartShelfCriteria criteria(SmartShelfCriteria::currentVersion, std::move(query),
                              std::move(predicate), sort);
  const KelvoIcon icon = criteria.icon();
  return {std::move(name), std::move(criteria), icon};
}

}  // namespace

bool operator==(const Suggestion& a, const Suggestion& b) {
  return a.icon == b.icon && text::canonicallyEqual(a.name, b.name) && a.criteria == b.criteria;
}

Suggestion documentsUsedThisMonth() {
  return derived(localized("PDFs used this month"), std::nullopt,
                 P::type(CardType::document).and_(P::usedWithin(30)), CardSort::recentlyUsed);
}

Suggestion tagged(const std::string& tag) {
  return {
      localized("Tagged %@", tag),
      SmartShelfCriteria(SmartShelfCriteria::currentVersion, tag, P::all(), CardSort::relevance),
      KelvoIcon::tag};
}

Suggestion needsAttention() {
  const SavedSearch preset = CardFilterPresets::needsAttention(CardFilterPresets::staleDays);
  return derived(preset.name(), preset.query(), preset.predicate(), preset.sort());
}

std::vector<Suggestion> all() {
  return {documentsUsedThisMonth(), tagged("contract"), needsAttention()};
}

Suggestion ofType(CardType type) {
  return derived(pluralLabel(type), std::nullopt, P::type(type), CardSort::recentlyUsed);
}

std::vector<Suggestion> types() {
  std::vector<Suggestion> suggestions;
  for (const CardType type : allCases<CardType>()) suggestions.push_back(ofType(type));
  return suggestions;
}

std::vector<Suggestion> offered() {
  std::vector<Suggestion> suggestions = all();
  for (Suggestion& suggestion : types()) suggestions.push_back(std::move(suggestion));
  return suggestions;
}

Suggestion inProject(const std::string& projectName) {
  return derived("In " + projectName, std::nullopt, P::project(projectName),
                 CardSort::recentlyUsed);
}

std::vector<SavedSearch> typeFilters() {
  std::vector<SavedSearch> filters;
  for (const CardType type : allCases<CardType>()) {
    std::string name =
        type == CardType::file ? localized("Files (not images or docs)") : pluralLabel(type);
    filters.emplace_back(UUID::random(), std::move(name), std::nullopt, P::type(type),
                         CardSort::recentlyUsed, icon(type));
  }
  return filters;
}

std::vector<SavedSearch> editorFilters() {
  std::vector<SavedSearch> filters;
  std::unordered_set<CardPredicate> taken;
  const auto take = [&](SavedSearch search) {
    if (taken.insert(search.predicate()).second) filters.push_back(std::move(search));
  };
  take(SavedSearch(UUID::random(), localized("Everything"), std::nullopt, P::all(),
                   CardSort::relevance, KelvoIcon::allCards));
  for (SavedSearch& preset : CardFilterPresets::all()) take(std::move(preset));
  for (SavedSearch& filter : typeFilters()) take(std::move(filter));
  for (const Suggestion& suggestion : offered()) {
    take(SavedSearch(UUID::random(), suggestion.name, std::nullopt, suggestion.criteria.predicate,
                     suggestion.criteria.sort, suggestion.icon));
  }
  return filters;
}

}  // namespace kelvo::SmartShelfPresets

size_t std::hash<kelvo::SmartShelfPresets::Suggestion>::operator()(
    const kelvo::SmartShelfPresets::Suggestion& suggestion) const noexcept {
  std::size_t seed = kelvo::text::canonicalHash(suggestion.name);
  seed = seed * 31 + std::hash<kelvo::SmartShelfCriteria>{}(suggestion.criteria);
  return seed * 31 + std::hash<std::string_view>{}(kelvo::rawValue(suggestion.icon));
}
