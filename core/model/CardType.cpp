#include "core/model/CardType.hpp"

#include <array>
#include <cstddef>

#include "core/design/KelvoColorToken.hpp"
#include "core/design/KelvoIcon.hpp"
#include "platform/foundation/Localized.hpp"

namespace kelvo {
namespace {

// The look of each kind, in the order of the card types.
struct Look {
  KelvoColorToken tint;
  KelvoColorToken stripe;
  KelvoColorToken band;
  KelvoIcon icon;
};

constexpr std::array<Look, 5> looks{{
    {KelvoColorToken::typeText, KelvoColorToken::kindStripeText, KelvoColorToken::kindBandText,
     KelvoIcon::textCard},
    {KelvoColorToken::typeImage, KelvoColorToken::kindStripeImage, KelvoColorToken::kindBandImage,
     KelvoIcon::imageCard},
    {KelvoColorToken::typeFile, KelvoColorToken::kindStripeFile, KelvoColorToken::kindBandFile,
     KelvoIcon::fileCard},
    {KelvoColorToken::typeDocument, KelvoColorToken::kindStripeDocument,
     KelvoColorToken::kindBandDocument, KelvoIcon::documentCard},
    {KelvoColorToken::typeFact, KelvoColorToken::kindStripeFact, KelvoColorToken::kindBandFact,
     KelvoIcon::factCard},
}};

const Look& lookOf(CardType type) {
  const auto index = static_cast<std::size_t>(type);
  // A value cast from outside the enumeration reads as a file, as an unknown stored type does.
  return looks[index < looks.size() ? index : static_cast<std::size_t>(CardType::file)];
}

}  // namespace

std::string_view badgeLabel(CardType type) {
  switch (type) {
    case CardType::text:
      return "Text";
    case CardType::image:
      return "Image";
    case CardType::file:
      return "File";
    case CardType::document:
      return "Doc";
    case CardType::fact:
      return "Fact";
  }
  return "File";
}

KelvoColorToken tint(CardType type) { return lookOf(type).tint; }
KelvoColorToken stripeToken(CardType type) { return lookOf(type).stripe; }
KelvoColorToken bandToken(CardType type) { return lookOf(type).band; }
KelvoIcon icon(CardType type) { return lookOf(type).icon; }

std::string pluralLabel(CardType type) {
  switch (type) {
    case CardType::text:
      return localized("Text");
    case CardType::image:
      return localized("Images");
    case CardType::file:
      return localized("Files");
    case CardType::document:
      return localized("Docs");
    case CardType::fact:
      return localized("Facts");
  }
  return localized("Files");
}

std::string accessibilityName(CardType type) {
  switch (type) {
    case CardType::text:
      return localized("Text snippet");
    case CardType::image:
      return localized("Image");
    case CardType::file:
      return localized("File");
    case CardType::document:
      return localized("Document");
    case CardType::fact:
      return localized("Fact");
  }
  return localized("File");
}

}  // namespace kelvo
