#pragma once

#include <string>

#include "core/model/CardType.hpp"
#include "platform/foundation/JSON.hpp"
#include "platform/foundation/UUID.hpp"

namespace kelvo {
class JSONReader;
}

namespace kelvo::Remote {

/// The card carried by the commands that act on one card: {"id","title","type","text"}.
struct CardEnvelope {
  UUID id;
  std::string title;
  CardType type = CardType::text;
  std::string text;

  void encode(OrderedJson& json) const;
  static CardEnvelope decode(const JSONReader& reader);
  /// Texts compare by canonical equivalence.
  friend bool operator==(const CardEnvelope& a, const CardEnvelope& b);
};

}  // namespace kelvo::Remote
