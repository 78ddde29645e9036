#include "core/model/Card.hpp"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

#include "core/model/CloudMirroring.hpp"
#include "core/model/KelvoModel.hpp"
#include "core/model/LinkPreviewPolicy.hpp"
#include "core/model/MergeableByID.hpp"
#include "core/model/Shelf.hpp"
#include "core/model/WebLink.hpp"
#include "platform/crypto/SHA256.hpp"
#include "platform/foundation/Hex.hpp"
#include "platform/foundation/Text.hpp"
#include "platform/foundation/Utf.hpp"

namespace kelvo {
namespace {

// Moves the value in: payload bytes can run to tens of megabytes.
template <class T>
std::optional<data::Value> storable(std::optional<T> value) {
  if (!value) return std::nullopt;
  return data::Value(std::move(*value));
}

bool isKept(char32_t scalar) {
  return !text::isMember(scalar, text::CharacterClass::whitespaceAndNewline);
}

// Where the first scalar that trimming keeps starts; the text's size when there is none.
std::size_t firstKept(std::string_view text) {
  for (std::size_t offset = 0; offset < text.size();) {
    const std::size_t start = offset;
    if (isKept(nextScalar(text, offset))) return start;
  }
  return text.size();
}

bool hasKept(std::string_view text) { return firstKept(text) != text.size(); }

// Every line end becomes one space; a CR LF pair is one line end, not two.
std::string joinedLines(std::string_view text) {
  if (std::memchr(text.data(), '\r', text.size()) == nullptr) {
    std::string line(text);
    char* const end = line.data() + line.size();
    for (char* at = line.data(); (at = static_cast<char*>(std::memchr(at, '\n', end - at)));) {
      *at++ = ' ';
    }
    return line;
  }
  std::string line(text.size(), ' ');
  std::size_t length = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    if (c != '\r' && c != '\n') line[length] = c;
    ++length;
  }
  line.resize(length);
  return line;
}

// The first `limit` characters. A line without CR is ASCII only if every byte is a character.
std::string head(std::string_view line, std::size_t limit) {
  unsigned char bits = 0;
  for (const char c : line) bits |= static_cast<unsigned char>(c);
  if (bits < 0x80) return std::string(line.substr(0, limit));
  return text::prefix(line, limit);
}

// A trimmed line of more than `limit` characters keeps its first `limit` and gains "…". The
// cut is not trimmed again: a preview may end in a space before the ellipsis.
std::string cutLine(std::string line, std::size_t limit) {
  std::string kept = head(line, limit);
  if (kept.size() == line.size()) return line;
  return kept + "\u2026";
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

std::shared_ptr<Shelf> Card::shelf() const { return relatedObject<Shelf>(*this, "shelf"); }

void Card::setShelf(const std::shared_ptr<Shelf>& shelf) {
  setRelatedObject(*this, "shelf", shelf);
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

// Content.

std::string Card::makePreview(std::string_view text, std::size_t limit) {
  // Only a window from the first kept scalar is read: wide enough to show that the line goes
  // on past the preview, and widened for long characters or a blank tail. A payload can run to
  // megabytes; its preview needs a few hundred bytes.
  const std::size_t first = firstKept(text);
  if (first == text.size()) return {};
  const std::string_view rest = text.substr(first);
  for (std::size_t window = 4 * limit + 64;; window *= 4) {
    std::size_t end = std::min(window, rest.size());
    // The window ends on a whole scalar and does not split a CR LF pair.
    while (end < rest.size() && (static_cast<unsigned char>(rest[end]) & 0xC0) == 0x80) ++end;
    if (end < rest.size() && rest[end] == '\n' && rest[end - 1] == '\r') ++end;
    const std::string line = joinedLines(rest.substr(0, end));
    if (end == rest.size()) return cutLine(text::trimmed(line), limit);
    // Kept text after the cut: the whole line, trimmed, goes on past it too.
    std::string kept = head(line, limit);
    if (kept.size() < line.size() && hasKept(std::string_view(line).substr(kept.size()))) {
      return kept + "\u2026";
    }
  }
}

std::string Card::contentHash(CardType type, std::string_view payload) {
  // Reused: finalizing starts it afresh, and a new one costs as much as hashing a short card.
  thread_local crypto::SHA256 hasher;
  hasher.update(rawValue(type));
  hasher.update(std::string_view("\x1f", 1));
  hasher.update(payload);
  return hexString(hasher.finalize());
}

std::vector<std::string> Card::hexDigest(const std::array<std::uint8_t, 32>& digest) {
  static constexpr char digits[] = "0123456789abcdef";
  std::vector<std::string> bytes;
  bytes.reserve(digest.size());
  for (std::uint8_t byte : digest) bytes.push_back({digits[byte >> 4], digits[byte & 0x0F]});
  return bytes;
}

std::optional<VariableTemplate> Card::variableTemplate() const {
  // Exactly "text": an unknown type reads as file and has no template.
  if (typeRaw() != rawValue(CardType::text)) return std::nullopt;
  return VariableTemplate(payload());
}

bool Card::hasVariables() const {
  const auto parsed = variableTemplate();
  return parsed && parsed->hasVariables();
}

// Payload.

CardPayload::Snapshot Card::payloadSnapshot() const {
  CardPayload::Snapshot snapshot;
  snapshot.type = type();
  snapshot.payload = payload();
  snapshot.filename = filename();
  snapshot.isPayloadAvailable = isPayloadAvailable();
  snapshot.canReceiveFromCloud = CloudMirroring::isConfigured();
  // Reads the bytes only for a card that may hand them out.
  snapshot.data = safePayloadData();
  return snapshot;
}

CardPayload::Content Card::payloadContent() const {
  return CardPayload::content(payloadSnapshot());
}

CardPayload::Copy Card::copyAction() const { return CardPayload::copyAction(payloadSnapshot()); }

CardPayload::Share Card::shareAction() const { return CardPayload::shareAction(payloadSnapshot()); }

// Duplicate merge.

std::string Card::mergeSignature() const {
  return title() + mergeSignatureSeparator + contentHash() + mergeSignatureSeparator +
         std::to_string(useCount());
}

void Card::absorb(Card& duplicate) {
  if (shelf() == nullptr) setShelf(duplicate.shelf());
  setUseCount(std::max(useCount(), duplicate.useCount()));
  if (const auto used = duplicate.lastUsedAt()) {
    const auto own = lastUsedAt();
    if (!own || *used > *own) setLastUsedAt(used);
  }
  if (duplicate.isPinned()) setIsPinned(true);
  // A copy outside the trash brings the survivor back out of it.
  if (!duplicate.deletedAt()) setDeletedAt(std::nullopt);
}

// Link views: the link test is the model's one (WebLink); the policy reads the link.

bool Card::isLink() const { return typeRaw() == rawValue(CardType::text) && isWebLink(payload()); }

std::optional<URL> Card::linkURL() const {
  if (typeRaw() != rawValue(CardType::text)) return std::nullopt;
  return LinkPreviewPolicy::url(payload());
}

CardTileLayout Card::tileLayout() const {
  if (isLink()) return CardTileLayout::link;
  // An unknown kind reads as a file, and is laid out as one.
  return kelvo::tileLayout(type());
}

}  // namespace kelvo
