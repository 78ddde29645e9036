#pragma once

// The ready-made smart shelves the editor offers under "Start from", and the ready-made
// filters it offers for what a shelf collects. Built afresh on every call.
//
//   for (const auto& suggestion : SmartShelfPresets::offered()) menu.add(suggestion.name);
//   const auto filters = SmartShelfPresets::editorFilters();  // "Everything" first

#include <string>
#include <vector>

#include "core/model/CardType.hpp"
#include "core/search/SavedSearch.hpp"
#include "core/search/SmartShelfCriteria.hpp"

namespace kelvo::SmartShelfPresets {

/// A proposed smart shelf, identified by its name. Equal when all three fields are.
struct Suggestion {
  std::string name;
  SmartShelfCriteria criteria;
  KelvoIcon icon;

  const std::string& id() const { return name; }
  friend bool operator==(const Suggestion& a, const Suggestion& b);
};

Suggestion documentsUsedThisMonth();
/// Searches for the tag over every card; shows `tag`, whatever its criteria derive.
Suggestion tagged(const std::string& tag);
Suggestion needsAttention();
/// Documents used this month, tagged "contract", needs attention.
std::vector<Suggestion> all();
Suggestion ofType(CardType type);
/// One per card type, in the types' order.
std::vector<Suggestion> types();
/// `all()` then `types()`.
std::vector<Suggestion> offered();
Suggestion inProject(const std::string& projectName);

/// One saved search per card type, each with a fresh identifier.
std::vector<SavedSearch> typeFilters();
/// "Everything", the built-in presets, the type filters and the offered suggestions, of which
/// the first with a given predicate is kept.
std::vector<SavedSearch> editorFilters();

}  // namespace kelvo::SmartShelfPresets

template <>
struct std::hash<kelvo::SmartShelfPresets::Suggestion> {
  size_t operator()(const kelvo::SmartShelfPresets::Suggestion& suggestion) const noexcept;
};
