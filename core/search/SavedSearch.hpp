#pragma once

// A named, stored search: an optional text query, a predicate, a sort and an icon. The
// built-in filter presets are saved searches, and a smart shelf resolves to one.
//
//   SavedSearch stale(UUID::random(), "Stale", std::nullopt, CardPredicate::stale(90),
//                     CardSort::recentlyUsed, KelvoIcon::stale);
//   const auto cards = stale.apply(library, now);
//   if (cards.empty()) show(stale.emptyStateMessage());

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/design/KelvoIcon.hpp"
#include "core/search/CardPredicate.hpp"
#include "core/search/CardSort.hpp"
#include "platform/foundation/JSON.hpp"
#include "platform/foundation/UUID.hpp"

namespace kelvo {

class JSONReader;

/// Equal when all six fields are, the stored icon included (texts by canonical equivalence):
/// one that stores no icon differs from one that stores `filter`, though both show `filter`.
class SavedSearch {
 public:
  /// Stores `icon`.
  SavedSearch(UUID id, std::string name, std::optional<std::string> query, CardPredicate predicate,
              CardSort sort, KelvoIcon icon);

  const UUID& id() const { return id_; }
  const std::string& name() const { return name_; }
  void setName(std::string name) { name_ = std::move(name); }
  const std::optional<std::string>& query() const { return query_; }
  void setQuery(std::optional<std::string> query) { query_ = std::move(query); }
  const CardPredicate& predicate() const { return predicate_; }
  void setPredicate(CardPredicate predicate) { predicate_ = std::move(predicate); }
  CardSort sort() const { return sort_; }
  void setSort(CardSort sort) { sort_ = sort; }
  /// The stored icon, or `filter` when none is stored.
  KelvoIcon icon() const { return storedIcon_.value_or(KelvoIcon::filter); }
  void setIcon(KelvoIcon icon) { storedIcon_ = icon; }

  /// The sorted cards that match at `now`. The query is not consulted.
  std::vector<SearchableCard> apply(const std::vector<SearchableCard>& cards, Date now) const;
  /// What to show when nothing matches, by the predicate's top-level case; not localised.
  std::string emptyStateMessage() const;

  /// Writes the keyed form into `json`, replacing what it held: "id", "name", "predicate",
  /// "sort", and "query" and "storedIcon" only when present.
  void encode(Json& json) const;
  /// Reads the keyed form. Throws `DecodingError` for a missing or ill-typed "id", "name",
  /// "predicate" or "sort", an unknown sort or icon, or a predicate that does not decode. Null
  /// reads as absent for the two optional fields; other keys are ignored.
  static SavedSearch decode(const JSONReader& reader);

  /// Compact JSON with sorted keys.
  std::string encoded() const;
  /// Throws `DecodingError` as `decode` does, and for text that is not a JSON object.
  static SavedSearch decoded(std::string_view json);

  friend bool operator==(const SavedSearch& a, const SavedSearch& b);

 private:
  friend struct std::hash<SavedSearch>;
  SavedSearch(UUID id, std::string name, std::optional<std::string> query, CardPredicate predicate,
              CardSort sort, std::optional<KelvoIcon> storedIcon);

  UUID id_;
  std::string name_;
  std::optional<std::string> query_;
  CardPredicate predicate_;
  CardSort sort_;
  std::optional<KelvoIcon> storedIcon_;
};

}  // namespace kelvo

template <>
struct std::hash<kelvo::SavedSearch> {
  size_t operator()(const kelvo::SavedSearch& search) const noexcept;
};
