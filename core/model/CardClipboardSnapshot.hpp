#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/model/CardType.hpp"
#include "core/model/FactKind.hpp"
#include "platform/foundation/Bytes.hpp"
#include "platform/foundation/Date.hpp"
#include "platform/foundation/JSON.hpp"

namespace kelvo {

class Card;
class JSONReader;
class Shelf;

/// A card's content as a plain value that can be carried (on the clipboard, between processes)
/// and turned back into a new card on any shelf. It carries what the card holds and nothing of
/// its identity or history: no identifier, dates, use count, pin or lock flags, sync state or
/// shelf.
///
/// Its coded form is a keyed record whose keys are the field names; optional fields without a
/// value are left out, bytes are Base64, and the type and fact kind are their raw values.
struct CardClipboardSnapshot {
  CardType type = CardType::file;
  std::string title;
  std::string generatedTitle;
  std::string payload;
  std::string previewText;
  std::string extractedText;
  std::vector<std::string> autoTags;
  std::optional<std::string> sourceApp;
  std::optional<FactKind> factKind;
  std::optional<std::string> factLabel;
  std::optional<std::int64_t> pageCount;
  std::optional<Bytes> payloadData;
  std::optional<Bytes> thumbnailData;
  std::optional<std::string> filename;
  std::int64_t byteCount = 0;
  std::string contentHash;

  CardClipboardSnapshot() = default;
  /// The card's content; a missing value reads as its default, an unknown stored type as file
  /// and an unknown fact kind as none. The bytes are taken as stored, also from a card in the
  /// trash or one whose bytes are flagged unavailable. Run where the card's context allows.
  explicit CardClipboardSnapshot(const Card& card);

  /// A new card with this content in the shelf's context (in no context without a shelf, or
  /// for a shelf outside any), among the shelf's cards: a new identifier, created `now`, never
  /// used, unpinned, unlocked, local only, its bytes available. Nothing is recomputed: the
  /// preview, titles and content hash are taken as carried. Nothing is saved.
  std::shared_ptr<Card> makeCard(const std::shared_ptr<Shelf>& shelf, Date now) const;

  /// Writes the keyed record into `json`, replacing what it held.
  void encode(Json& json) const;
  /// Reads a keyed record. Throws `DecodingError`: key not found for a missing required key, a
  /// type mismatch for a value of the wrong kind, data corrupted for an unknown type or fact
  /// kind or bad Base64. A null optional reads as none; other keys are ignored.
  static CardClipboardSnapshot decode(const JSONReader& reader);

  /// The record as compact JSON with sorted keys.
  std::string encoded() const;
  /// Reads compact or spaced JSON; throws `DecodingError` as `decode` does, and for text that
  /// is not JSON.
  static CardClipboardSnapshot decoded(std::string_view json);
};

}  // namespace kelvo
