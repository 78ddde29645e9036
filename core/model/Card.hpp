#pragma once

// The card: the managed object of one kept item, with typed properties over the "Card" entity,
// its shelf, and what its content yields: the preview line, the content hash, its template,
// its payload's copy and share actions, its link and tile layout, and its part in duplicate
// merge. `Card::make` builds a complete card in its shelf's context; saving is the context's:
//
//     auto card = Card::make({.id = UUID::random(), .type = CardType::text, .title = "Wi-Fi",
//                             .payload = "guest / sunflower", .createdAt = now, .shelf = inbox});
//     card->recordUse(now);
//     if (const auto link = card->linkURL()) open(*link);
//     inbox->context()->save();

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/model/CardPayload.hpp"
#include "core/model/CardSyncState.hpp"
#include "core/model/CardTileLayout.hpp"
#include "core/model/CardType.hpp"
#include "core/model/FactKind.hpp"
#include "core/model/KelvoModel.hpp"
#include "core/model/ManagedObjectValues.hpp"
#include "core/model/VariableTemplate.hpp"
#include "platform/data/FetchRequest.hpp"
#include "platform/data/ManagedObject.hpp"
#include "platform/foundation/Date.hpp"
#include "platform/foundation/URL.hpp"
#include "platform/foundation/UUID.hpp"

namespace kelvo {

class Shelf;

/// The managed object of one kept item: a text snippet, an image, a file, a document or a fact.
/// It holds no state of its own: every property reads and writes an attribute of the "Card"
/// entity by key, and a missing or mistyped value reads as the property's default. Setters
/// compute nothing: a new payload recomputes neither the preview nor the content hash.
class Card : public data::ManagedObject {
 public:
  using ManagedObject::ManagedObject;

  /// How long a card stays in the trash before it may be purged: 30 days.
  static constexpr TimeInterval trashRetention = 2'592'000;
  /// The entity this class takes part in duplicate merge as.
  static constexpr std::string_view mergeEntityName = KelvoModel::Entities::card;

  /// Everything a complete card is made of, in the order it is written. Name the fields: every
  /// one the caller leaves out takes the value shown, which creators rarely want for `id`.
  struct Fields {
    UUID id{};
    CardType type = CardType::text;
    std::string title{};
    /// None: the title.
    std::optional<std::string> generatedTitle{};
    std::string payload{};
    /// None: the payload's preview at 140 characters.
    std::optional<std::string> previewText{};
    std::string extractedText{};
    std::vector<std::string> autoTags{};
    Date createdAt{};
    std::optional<Date> lastUsedAt{};
    std::int64_t useCount = 0;
    bool isPinned = false;
    bool isLocked = false;
    std::optional<std::string> sourceApp{};
    std::optional<FactKind> factKind{};
    std::optional<std::string> factLabel{};
    CardSyncState syncState = CardSyncState::localOnly;
    bool isPayloadAvailable = true;
    std::optional<std::int64_t> pageCount{};
    std::optional<data::Bytes> payloadData{};
    std::optional<data::Bytes> thumbnailData{};
    std::optional<std::string> filename{};
    std::int64_t byteCount = 0;
    /// The card is made in this shelf's context, or in none without a shelf.
    std::shared_ptr<Shelf> shelf{};
  };

  /// A complete card with its content hash computed from its type and payload. Made in the
  /// shelf's context; without a shelf it belongs to no context until the caller inserts it.
  /// A shelf whose delete is pending stops the process, as `setShelf` does.
  static std::shared_ptr<Card> make(const Fields& fields);

  /// A request for every card, unsorted.
  static auto fetchRequest();

  // Attributes, in the model's order.

  /// The "id" attribute; a fresh identifier at every read when none is stored.
  UUID id() const { return storedIdentifier(*this); }
  void setID(const UUID& id) { storeIdentifier(*this, id); }
  std::string typeRaw() const { return stringValue(*this, "typeRaw", ""); }
  void setTypeRaw(std::string value) { setValue("typeRaw", data::Value(std::move(value))); }
  std::string title() const { return stringValue(*this, "title", ""); }
  /// Leaves `generatedTitle` as it was.
  void setTitle(std::string value) { setValue("title", data::Value(std::move(value))); }
  std::string generatedTitle() const { return stringValue(*this, "generatedTitle", ""); }
  void setGeneratedTitle(std::string value) {
    setValue("generatedTitle", data::Value(std::move(value)));
  }
  std::string payload() const { return stringValue(*this, "payload", ""); }
  /// Leaves `previewText` and `contentHash` as they were; only `make` computes them.
  void setPayload(std::string value) { setValue("payload", data::Value(std::move(value))); }
  std::string previewText() const { return stringValue(*this, "previewText", ""); }
  /// Leaves the payload and `contentHash` as they were.
  void setPreviewText(std::string value) { setValue("previewText", data::Value(std::move(value))); }
  std::string extractedText() const { return stringValue(*this, "extractedText", ""); }
  void setExtractedText(std::string value) {
    setValue("extractedText", data::Value(std::move(value)));
  }
  std::vector<std::string> autoTags() const;
  void setAutoTags(std::vector<std::string> tags);
  /// The distant past when none is stored.
  Date createdAt() const { return dateValue(*this, "createdAt", Date::distantPast()); }
  void setCreatedAt(Date date) { setValue("createdAt", data::Value(date)); }
  std::optional<Date> lastUsedAt() const { return optionalDateValue(*this, "lastUsedAt"); }
  void setLastUsedAt(std::optional<Date> date);
  std::int64_t useCount() const { return intValue(*this, "useCount", 0); }
  void setUseCount(std::int64_t count) { setValue("useCount", data::Value(count)); }
  bool isPinned() const { return boolValue(*this, "isPinned", false); }
  void setIsPinned(bool pinned) { setValue("isPinned", data::Value(pinned)); }
  bool isLocked() const { return boolValue(*this, "isLocked", false); }
  void setIsLocked(bool locked) { setValue("isLocked", data::Value(locked)); }
  std::optional<std::string> sourceApp() const { return optionalStringValue(*this, "sourceApp"); }
  void setSourceApp(std::optional<std::string> value) {
    setOptional("sourceApp", std::move(value));
  }
  std::optional<std::string> factKindRaw() const {
    return optionalStringValue(*this, "factKindRaw");
  }
  void setFactKindRaw(std::optional<std::string> value) {
    setOptional("factKindRaw", std::move(value));
  }
  std::optional<std::string> factLabel() const { return optionalStringValue(*this, "factLabel"); }
  void setFactLabel(std::optional<std::string> value) {
    setOptional("factLabel", std::move(value));
  }
  std::string syncStateRaw() const { return stringValue(*this, "syncStateRaw", ""); }
  void setSyncStateRaw(std::string value) {
    setValue("syncStateRaw", data::Value(std::move(value)));
  }
  std::string contentHash() const { return stringValue(*this, "contentHash", ""); }
  void setContentHash(std::string value) { setValue("contentHash", data::Value(std::move(value))); }
  bool isPayloadAvailable() const { return boolValue(*this, "isPayloadAvailable", true); }
  void setIsPayloadAvailable(bool available) {
    setValue("isPayloadAvailable", data::Value(available));
  }
  std::optional<Date> deletedAt() const { return optionalDateValue(*this, "deletedAt"); }
  void setDeletedAt(std::optional<Date> date);
  std::optional<std::int64_t> pageCount() const {
    return optionalValue<std::int64_t>(*this, "pageCount");
  }
  void setPageCount(std::optional<std::int64_t> count);
  std::optional<data::Bytes> payloadData() const { return optionalDataValue(*this, "payloadData"); }
  void setPayloadData(std::optional<data::Bytes> bytes);
  std::optional<data::Bytes> thumbnailData() const {
    return optionalDataValue(*this, "thumbnailData");
  }
  void setThumbnailData(std::optional<data::Bytes> bytes);
  std::optional<std::string> filename() const { return optionalStringValue(*this, "filename"); }
  void setFilename(std::optional<std::string> value) { setOptional("filename", std::move(value)); }
  std::int64_t byteCount() const { return intValue(*this, "byteCount", 0); }
  void setByteCount(std::int64_t count) { setValue("byteCount", data::Value(count)); }

  /// The card's shelf; none when missing or not a shelf.
  std::shared_ptr<Shelf> shelf() const;
  /// Moves the card, taking it out of the old shelf's cards and into the new one's, without
  /// reading either shelf's cards from the store: a move costs the same whatever they hold.
  /// Setting the shelf it already has (the same object) writes nothing. A shelf deleted from the
  /// card's context, or of another context (one the context let go at a save, as duplicate merge
  /// does), stops the process.
  void setShelf(const std::shared_ptr<Shelf>& shelf);

  // Typed views over the raw values.

  /// The type of `typeRaw`; any other text, the empty one included, reads as file.
  CardType type() const;
  void setType(CardType type) { setTypeRaw(std::string(rawValue(type))); }
  /// Whether `typeRaw` names no card type.
  bool isUnknownType() const { return !fromRawValue<CardType>(typeRaw()); }
  std::optional<FactKind> factKind() const;
  void setFactKind(std::optional<FactKind> kind);
  /// The state of `syncStateRaw`; any other text, the empty one included, reads as local only.
  CardSyncState syncState() const;
  void setSyncState(CardSyncState state) { setSyncStateRaw(std::string(rawValue(state))); }

  // Content.

  /// Whether the card's content is stored bytes: images, files, documents and unknown types.
  bool carriesBytes() const { return kelvo::carriesBytes(type()); }
  /// The payload as a template, for a card whose `typeRaw` is exactly "text"; else none.
  std::optional<VariableTemplate> variableTemplate() const;
  bool hasVariables() const;

  /// One line of `text`: each line end (LF, CR or CR LF) becomes one space, both ends are
  /// trimmed, and a text longer than `limit` characters keeps its first `limit` and gains "…".
  /// `make` previews the payload at 140 characters.
  static std::string makePreview(std::string_view text, std::size_t limit);
  /// SHA-256 over the type's raw value, one 0x1F byte and the payload, as 64 lower-case
  /// hexadecimal digits.
  static std::string contentHash(CardType type, std::string_view payload);
  /// Each byte of a SHA-256 digest as two lower-case hexadecimal digits, in digest order; the
  /// content hash joins them with no separator.
  static std::vector<std::string> hexDigest(const std::array<std::uint8_t, 32>& digest);

  // Trash and use.

  bool isTrashed() const { return deletedAt().has_value(); }
  /// Whole days, rounded up, until the card may be purged: 30 down to 0; none outside the trash.
  std::optional<int> daysUntilPurge(Date now) const;
  /// Whether the card has been in the trash for `trashRetention` or longer.
  bool isPurgeable(Date now) const;
  /// The payload bytes when they may be handed out: not for a trashed card, a card in no
  /// context, or one whose payload is unavailable.
  std::optional<data::Bytes> safePayloadData() const;
  /// Counts one use at `date`. The count stops at the largest 64-bit value.
  void recordUse(Date date);

  // Payload. Each reads a fresh snapshot; run where the card's context allows.

  /// The card's payload facts now: its bytes only when `safePayloadData` gives them, and
  /// whether cloud mirroring may still bring missing ones.
  CardPayload::Snapshot payloadSnapshot() const;
  CardPayload::Content payloadContent() const;
  CardPayload::Copy copyAction() const;
  CardPayload::Share shareAction() const;

  // Duplicate merge.

  /// The title, the content hash and the use count, joined by U+001F.
  std::string mergeSignature() const;
  /// Takes over what must outlive `duplicate`, which is about to be deleted: a shelf when this
  /// card has none, the larger use count, the later last use, the pin, and a way out of the
  /// trash when the duplicate is not in it.
  void absorb(Card& duplicate);

  // Link views: the link test is WebLink's `isWebLink`, the link is `LinkPreviewPolicy::url`.

  /// A text card ("typeRaw" exactly "text") whose payload is a web link.
  bool isLink() const;
  /// The link a text card's payload stands for; none for every other type.
  std::optional<URL> linkURL() const;
  /// `link` for a link card; otherwise the layout of its kind, `attachment` for an unknown one.
  CardTileLayout tileLayout() const;

 private:
  void setOptional(std::string_view key, std::optional<std::string> value);
};

// Defined here because the request names the class, which is complete only now.
inline auto Card::fetchRequest() {
  return data::FetchRequest<Card>(std::string(KelvoModel::Entities::card));
}

}  // namespace kelvo
