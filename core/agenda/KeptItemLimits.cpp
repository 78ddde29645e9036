#include "core/agenda/KeptItemLimits.hpp"

#include <utility>

#include "platform/foundation/Text.hpp"

namespace kelvo {

std::string KeptItemLimits::cardTitle(std::string_view title) {
  return text::prefix(title, titleLimit);
}

std::optional<std::string> KeptItemLimits::notes(std::string_view notes) {
  std::string trimmed = text::trimmed(notes);
  if (trimmed.empty()) return std::nullopt;
  // Every character takes at least one byte: a text this short cannot be over the limit.
  if (trimmed.size() <= notesLimit) return trimmed;
  std::string cut = text::prefix(trimmed, notesLimit);
  if (cut.size() == trimmed.size()) return trimmed;
  cut += notesMarker;
  return cut;
}

std::string KeptItemLimits::payload(std::string payload) {
  if (payload.size() <= payloadLimit) return payload;
  std::string cut = text::prefix(payload, payloadLimit);
  return cut.size() == payload.size() ? std::move(payload) : cut;
}

}  // namespace kelvo
