#include "core/agenda/ContactFact.hpp"

#include <utility>

#include "platform/foundation/Text.hpp"

namespace kelvo {

std::optional<ContactFact> ContactFact::make(std::string id, FactKind kind,
                                             const std::optional<std::string>& label,
                                             std::string_view value) {
  std::string trimmedValue = text::trimmed(value);
  if (trimmedValue.empty()) return std::nullopt;
  std::string trimmedLabel = text::trimmed(label.value_or(""));
  if (trimmedLabel.empty()) trimmedLabel = displayName(kind);
  // A character takes at least one byte, so a short value needs no counting.
  if (trimmedValue.size() > valueLimit) trimmedValue = text::prefix(trimmedValue, valueLimit);
  return ContactFact{std::move(id), kind, std::move(trimmedLabel), std::move(trimmedValue)};
}

std::string ContactFact::cardTitle(std::string_view contactName) const {
  return label + " — " + std::string(contactName);
}

}  // namespace kelvo
