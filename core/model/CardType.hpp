#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>

#include "core/model/CardTileLayout.hpp"
#include "platform/foundation/RawValues.hpp"

namespace kelvo {

enum class KelvoColorToken;
enum class KelvoIcon;

/// What kind of thing a card holds, stored by raw value in the card's "typeRaw".
enum class CardType : std::uint8_t { text, image, file, document, fact };

template <>
struct RawValues<CardType> {
  static constexpr std::array<std::pair<CardType, std::string_view>, 5> table{{
      {CardType::text, "text"},
      {CardType::image, "image"},
      {CardType::file, "file"},
      {CardType::document, "document"},
      {CardType::fact, "fact"},
  }};
};

/// Limits on a text card's payload, published for the host application and the importer.
struct CardTypeLimits {
  static constexpr int textPayloadLimit = 20'000;
  /// Where a counter towards the limit comes into play.
  static constexpr int textPayloadCounterThreshold = textPayloadLimit - 2'000;
};

/// The short word on a card's badge; fixed English, never localised.
std::string_view badgeLabel(CardType type);
/// The kind's label in filters, counts and group titles; localised.
std::string pluralLabel(CardType type);
/// The name spoken for the kind; localised.
std::string accessibilityName(CardType type);

/// The kind's tint, and the colours of its stripe and its band.
KelvoColorToken tint(CardType type);
KelvoColorToken stripeToken(CardType type);
KelvoColorToken bandToken(CardType type);
KelvoIcon icon(CardType type);

/// The layout of the kind's tile. No kind gives `link`: a link card gets it from its text.
constexpr CardTileLayout tileLayout(CardType type) {
  switch (type) {
    case CardType::text:
      return CardTileLayout::snippet;
    case CardType::image:
      return CardTileLayout::hero;
    case CardType::file:
      return CardTileLayout::attachment;
    case CardType::document:
      return CardTileLayout::page;
    case CardType::fact:
      return CardTileLayout::value;
  }
  return CardTileLayout::attachment;
}

/// Whether the content is stored bytes rather than text.
constexpr bool carriesBytes(CardType type) {
  return type == CardType::image || type == CardType::file || type == CardType::document;
}

/// Whether the kind may hold a variable template: text cards only.
constexpr bool supportsVariables(CardType type) { return type == CardType::text; }

}  // namespace kelvo
