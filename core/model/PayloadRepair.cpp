#include "core/model/PayloadRepair.hpp"

#include <array>

#include "core/model/Card.hpp"
#include "core/model/FileCapture.hpp"
#include "platform/data/Context.hpp"

namespace kelvo {

std::string PayloadRepair::Failure::errorDescription() const {
  if (const auto* invalid = std::get_if<InvalidFile>(&value)) return invalid->message;
  // Fixed English texts, not looked up.
  if (std::holds_alternative<Unavailable>(value)) {
    return "This card cannot be changed. Open it again and try again.";
  }
  if (std::holds_alternative<AlreadyPresent>(value)) {
    return "The file has arrived. Close and reopen the card to see it.";
  }
  return "Choose an original file of the same kind as this card.";
}

std::optional<PayloadRepair::Failure> PayloadRepair::attach(Bytes data, std::string_view filename,
                                                            Card& card) {
  data::Context* context = card.context();
  // A card whose deletion is pending would take the repair with it when the context saves.
  if (context == nullptr || card.isDeleted() || card.isTrashed() || card.isLocked()) {
    return Failure::unavailable();
  }
  if (card.safePayloadData()) return Failure::alreadyPresent();
  const CardType type = card.type();
  if (FileCapture::kind(filename) != type) return Failure::wrongType();
  const auto byteCount = static_cast<std::int64_t>(data.size());
  if (const auto rejection = FileCapture::validate(byteCount)) {
    return Failure::invalidFile(rejection->message());
  }

  std::array<std::optional<data::Value>, std::size(attributes)> before;
  for (std::size_t i = 0; i < before.size(); ++i) before[i] = card.value(attributes[i]);

  std::string contentHash = FileCapture::contentHash(type, data);
  card.setPayloadData(std::move(data));
  card.setFilename(std::string(filename));
  card.setPayload(std::string(filename));
  card.setByteCount(byteCount);
  card.setIsPayloadAvailable(true);
  card.setContentHash(std::move(contentHash));
  card.setPreviewText(FileCapture::previewText(filename, byteCount));
  try {
    context->save();
  } catch (...) {
    for (std::size_t i = 0; i < before.size(); ++i) card.setValue(attributes[i], before[i]);
    throw;
  }
  return std::nullopt;
}

}  // namespace kelvo
