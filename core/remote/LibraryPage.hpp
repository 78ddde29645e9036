#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/model/CardType.hpp"
#include "platform/foundation/JSON.hpp"
#include "platform/foundation/UUID.hpp"

namespace kelvo {
class JSONReader;
}

namespace kelvo::Remote {

/// One card row of a library page; also the controller's copy of a card it edits.
struct LibraryCard {
  UUID id;
  std::string title;
  CardType type = CardType::text;
  std::string text;
  std::optional<UUID> shelfID;
  bool isReadOnly = false;

  void encode(OrderedJson& json) const;
  static LibraryCard decode(const JSONReader& reader);
  /// Texts compare by canonical equivalence.
  friend bool operator==(const LibraryCard& a, const LibraryCard& b);
};

/// A shelf that card rows may point to.
struct LibraryShelf {
  UUID id;
  std::string name;

  void encode(OrderedJson& json) const;
  static LibraryShelf decode(const JSONReader& reader);
  friend bool operator==(const LibraryShelf& a, const LibraryShelf& b);
};

/// One page of the host's library, answering a `library` command. The controller asks for the
/// following page with `nextOffset`; the last page has none. Paging policy is the host's.
struct LibraryPage {
  std::vector<LibraryCard> cards;
  std::vector<LibraryShelf> shelves;
  std::optional<std::int64_t> nextOffset;

  /// {"cards","shelves","nextOffset"}; an absent offset is left out, never null.
  void encode(OrderedJson& json) const;
  /// Throws `DecodingError`; any bad row fails the whole page.
  static LibraryPage decode(const JSONReader& reader);
  /// Row by row, in order.
  friend bool operator==(const LibraryPage&, const LibraryPage&) = default;
};

}  // namespace kelvo::Remote
