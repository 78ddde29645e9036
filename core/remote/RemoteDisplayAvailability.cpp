#include "core/remote/RemoteDisplayAvailability.hpp"

#include "core/model/Card.hpp"
#include "core/model/CardPayload.hpp"
#include "platform/foundation/Overloaded.hpp"
#include "platform/foundation/Text.hpp"

namespace kelvo::Remote {

bool RemoteDisplayAvailability::canShow(const Card* card) {
  if (card == nullptr || card->isTrashed() || !card->isPayloadAvailable()) return false;
  const auto blanks = card->variableTemplate();
  if (blanks && blanks->hasVariables()) return false;
  const CardPayload::Content content = CardPayload::content(card->payloadSnapshot());
  return std::visit(
      Overloaded{
          [](const CardPayload::Content::Text& text) { return !text::trimmed(text.text).empty(); },
          [](const CardPayload::Content::Unavailable&) { return false; },
          [](const auto&) { return true; },
      },
      content.value);
}

}  // namespace kelvo::Remote
