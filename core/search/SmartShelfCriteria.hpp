#pragma once

// What a smart shelf collects, and the versioned JSON document it is stored as in the smart
// shelf's "criteria" attribute. A document of a newer version does not decode: the shelf keeps
// its text untouched and reports itself unreadable.
//
//   SmartShelfCriteria criteria(SmartShelfCriteria::currentVersion, std::nullopt,
//                               CardPredicate::neverUsed(), CardSort::title);
//   auto shelf = makeSmartShelf(UUID::random(), "Untouched", 0, now, criteria);
//   if (const auto search = definition(*shelf)) show(search->apply(cards, now));

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "core/search/CardPredicate.hpp"
#include "core/search/CardSort.hpp"
#include "core/search/SavedSearch.hpp"

namespace kelvo {

class SmartShelf;
enum class KelvoIcon;

/// Equal when all five fields are (texts by canonical equivalence).
struct SmartShelfCriteria {
  static constexpr std::int64_t currentVersion = 1;
  static constexpr std::string_view defaultSymbolName = "line.3.horizontal.decrease.circle";

  std::int64_t version = currentVersion;
  std::optional<std::string> query;
  CardPredicate predicate;
  CardSort sort = CardSort::relevance;
  /// Written as "systemImage"; kept and written back, never used for the icon.
  std::string legacySymbolName{defaultSymbolName};

  SmartShelfCriteria(std::int64_t formatVersion, std::optional<std::string> queryText,
                     CardPredicate filter, CardSort order);
  /// Version 1 with the saved search's query, predicate and sort.
  explicit SmartShelfCriteria(const SavedSearch& search);

  /// The document: compact JSON with sorted keys, "query" only when present. Ill-formed UTF-8
  /// in a text is written with U+FFFD, so this does not fail in practice.
  std::optional<std::string> encoded() const;
  /// None for empty text, text that is not a JSON object, a required member ("version",
  /// "predicate", "sort") missing or ill-typed, an unknown sort or predicate case, or a version
  /// above `currentVersion`. A null "query" or "systemImage" reads as absent; other members
  /// are ignored.
  static std::optional<SmartShelfCriteria> decode(std::string_view text);

  /// Whether the query holds at least one search term.
  bool hasQuery() const;
  /// The icon shown for a smart shelf with these criteria, derived from them.
  KelvoIcon icon() const;
  /// The icon that stands for one predicate: a built-in preset's icon when one has this
  /// predicate, else by its case (`and` and `or` by their first telling member).
  static KelvoIcon icon(const CardPredicate& predicate);

  friend bool operator==(const SmartShelfCriteria& a, const SmartShelfCriteria& b);
};

/// The shelf's criteria document decoded; none when it does not decode. Reading never writes
/// the attribute back.
std::optional<SmartShelfCriteria> criteria(const SmartShelf& shelf);
/// Whether the shelf's document does not decode (empty, damaged, or of a newer version).
bool isUnreadable(const SmartShelf& shelf);
/// The saved search the shelf stands for: its id and name, the criteria's query, predicate and
/// sort, and the criteria's icon stored. None when the shelf is unreadable.
std::optional<SavedSearch> definition(const SmartShelf& shelf);
/// A new smart shelf in no context storing `criteria`'s document; the caller inserts it.
std::shared_ptr<SmartShelf> makeSmartShelf(const UUID& id, std::string name, std::int64_t sortIndex,
                                           Date createdAt, const SmartShelfCriteria& criteria);

}  // namespace kelvo

template <>
struct std::hash<kelvo::SmartShelfCriteria> {
  size_t operator()(const kelvo::SmartShelfCriteria& criteria) const noexcept;
};
