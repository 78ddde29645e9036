#include "core/model/Card.hpp"

#include <cmath>
#include <limits>

#include "core/model/KelvoModel.hpp"
#include "core/model/Shelf.hpp"

namespace kelvo {
namespace {

// Moves the value in: payload bytes can run to tens of megabytes.
template <class T>
std::optional<data::Value> storable(std::optional<T> value) {
  if (!value) return std::nullopt;
  return data::Value(std::move(*value));
}

}  // namespace

std::shared_ptr<Card> Card::make(const Fields& fields) {
  const auto& entity = KelvoModel::entity(KelvoModel::Entities::card);
  auto card = ManagedObject::make<Card>(
      entity, fields.shelf != nullptr ? fields.shelf->context() : nullptr);
  card->setID(fields.id);
  card->setType(fields.type);
  card->setTitle(fields.title);
  card->setGeneratedTitle(fields.generatedTitle.value_or(fields.title));
  card->setPayload(fields.payload);
  card->setPreviewText(fields.previewText ? *fields.previewText : makePreview(fields.payload, 140));
  card->setExtractedText(fields.extractedText);
  card->setAutoTags(fields.autoTags);
  card->setCreatedAt(fields.createdAt);
  card->setLastUsedAt(fields.lastUsedAt);
  card->setUseCount(fields.useCount);
  card->setIsPinned(fields.isPinned);
  card->setIsLocked(fields.isLocked);
  card->setSourceApp(fields.sourceApp);
  card->setFactKind(fields.factKind);
  card->setFactLabel(fields.factLabel);
  card->setSyncState(fields.syncState);
  card->setContentHash(contentHash(fields.type, fields.payload));
  card->setIsPayloadAvailable(fields.isPayloadAvailable);
  card->setPageCount(fields.pageCount);
  card->setPayloadData(fields.payloadData);
  card->setThumbnailData(fields.thumbnailData);
  card->setFilename(fields.filename);
  card->setByteCount(fields.byteCount);
  card->setShelf(fields.shelf);
  return card;
}

std::vector<std::string> Card::autoTags() const {
  return kelvo::value<std::vector<std::string>>(*this, "autoTags", {});
}

void Card::setAutoTags(std::vector<std::string> tags) {
  setValue("autoTags", data::Value(std::move(tags)));
}

void Card::setLastUsedAt(std::optional<Date> date) { setValue("lastUsedAt", storable(date)); }

void Card::setDeletedAt(std::optional<Date> date) { setValue("deletedAt", storable(date)); }

void Card::setPageCount(std::optional<std::int64_t> count) {
  setValue("pageCount", storable(count));
}

void Card::setPayloadData(std::optional<data::Bytes> bytes) {
  setValue("payloadData", storable(std::move(bytes)));
}

void Card::setThumbnailData(std::optional<data::Bytes> bytes) {
  setValue("thumbnailData", storable(std::move(bytes)));
}

void Card::setOptional(std::string_view key, std::optional<std::string> value) {
  setValue(key, storable(std::move(value)));
}

std::shared_ptr<Shelf> Card::shelf() const {
  const auto stored = value("shelf");
  if (!stored) return nullptr;
  return std::dynamic_pointer_cast<Shelf>(stored->object());
}

void Card::setShelf(const std::shared_ptr<Shelf>& shelf) {
  const auto current = this->shelf();
  if (current == shelf) return;
  setValue("shelf", shelf != nullptr ? std::optional<data::Value>(shelf) : std::nullopt);
  // The store keeps both ends in step already; these say what the move means.
  if (current != nullptr) current->mutableSetValue("cardsStorage").remove(*this);
  if (shelf != nullptr) shelf->mutableSetValue("cardsStorage").add(*this);
}

CardType Card::type() const { return fromRawValue<CardType>(typeRaw()).value_or(CardType::file); }

std::optional<FactKind> Card::factKind() const {
  const auto raw = factKindRaw();
  if (!raw) return std::nullopt;
  return fromRawValue<FactKind>(*raw);
}

void Card::setFactKind(std::optional<FactKind> kind) {
  setFactKindRaw(kind ? std::optional<std::string>(rawValue(*kind)) : std::nullopt);
}

CardSyncState Card::syncState() const {
  return fromRawValue<CardSyncState>(syncStateRaw()).value_or(CardSyncState::localOnly);
}

std::optional<int> Card::daysUntilPurge(Date now) const {
  const auto deleted = deletedAt();
  if (!deleted) return std::nullopt;
  const TimeInterval remaining = trashRetention - (now - *deleted);
  // Not a number (a moment at infinity) counts as nothing left.
  if (!(remaining >= 0)) return 0;
  return static_cast<int>(std::ceil(std::min(remaining, trashRetention) / 86'400));
}

bool Card::isPurgeable(Date now) const {
  const auto deleted = deletedAt();
  return deleted && now - *deleted >= trashRetention;
}

std::optional<data::Bytes> Card::safePayloadData() const {
  if (isTrashed() || context() == nullptr || !isPayloadAvailable()) return std::nullopt;
  return payloadData();
}

void Card::recordUse(Date date) {
  const std::int64_t count = useCount();
  setUseCount(count == std::numeric_limits<std::int64_t>::max() ? count : count + 1);
  setLastUsedAt(date);
}

}  // namespace kelvo
