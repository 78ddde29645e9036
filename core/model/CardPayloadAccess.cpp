// The payload members of `Card`, kept beside the payload rules they feed.
#include "core/model/Card.hpp"
#include "core/model/CloudMirroring.hpp"

namespace kelvo {

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

}  // namespace kelvo
