#pragma once

// The order a user dragged cards into within each library section, kept between launches in
// its stored form (docs/card-order.md) by a CardOrderPersisting store:
//
//   const UUID first = UUID::random(), second = UUID::random(), gone = UUID::random();
//   CardOrder order = CardOrder::decode("{}");  // the text the store kept
//   order.move(first, LibrarySectionID::unsorted(), std::nullopt);  // at the end
//   order.move(second, LibrarySectionID::unsorted(), first);  // just before the first
//   order.moveToEnd(gone, LibrarySectionID::unsorted());
//   order.prune({first, second});  // the cards still in the library
//   const std::string stored = order.encoded();  // {"unsorted":["<second>","<first>"]}

#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "core/organisation/LibrarySectionID.hpp"
#include "platform/foundation/JSON.hpp"
#include "platform/foundation/UUID.hpp"

namespace kelvo {

class JSONReader;

/// The order a user dragged cards into within each library section: one list of card
/// identifiers per section storage key, first card first. No stored list is ever empty.
/// Operations built lists hold each card once; a decoded list may repeat one, and then look-ups
/// find the first occurrence while `move` and `remove` take out every one.
/// Its stored form is the bare map (see docs/card-order.md).
class CardOrder {
 public:
  using Sections = std::map<std::string, std::vector<UUID>>;
  using Ranks = std::unordered_map<UUID, std::int64_t>;

  CardOrder() = default;

  /// True when no section has a list.
  bool isEmpty() const { return sections_.empty(); }
  /// The stored lists by storage key.
  const Sections& sections() const { return sections_; }

  /// The index of the card's first occurrence in the section's list; none when the section has
  /// no list or the card is not in it.
  std::optional<std::size_t> position(const UUID& card, const LibrarySectionID& section) const;

  /// Places the card directly before `anchor` in the section's list, or at the end when there is
  /// no anchor or it is not in the list (moving a card before itself puts it last). Every earlier
  /// occurrence of the card in that list goes; other sections are left alone.
  void move(const UUID& card, const LibrarySectionID& section, const std::optional<UUID>& anchor);
  void moveToEnd(const UUID& card, const LibrarySectionID& section);

  /// Takes every occurrence of the card out of the section's list; a list left empty goes.
  void remove(const UUID& card, const LibrarySectionID& section);
  void remove(const UUID& card, std::span<const LibrarySectionID> sections);

  /// Keeps only the cards in `keeping`, in every section; lists left empty go.
  void prune(const std::unordered_set<UUID>& keeping);

  /// Card to the index of its first occurrence in the section's list; empty without a list.
  Ranks ranks(const LibrarySectionID& section) const;

  /// Reads the bare map: any key text, list entries in either case; empty lists are dropped.
  /// Throws `DecodingError` for anything else, leaving no partial order.
  static CardOrder decode(const JSONReader& reader);
  static CardOrder decode(std::string_view text);
  /// Compact JSON with sorted keys and upper-case identifiers.
  std::string encoded() const;

  friend bool operator==(const CardOrder&, const CardOrder&) = default;

 private:
  Sections sections_;
};

void to_json(Json& json, const CardOrder& order);

}  // namespace kelvo
