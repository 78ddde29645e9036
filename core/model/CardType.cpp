#include "core/model/CardType.hpp"

#include <array>
#include <cstddef>

#include "core/design/KelvoColorToken.hpp"
#include "core/design/KelvoIcon.hpp"
#include "platform/foundation/EnumTable.hpp"
#include "platform/foundation/Localized.hpp"

namespace kelvo {
namespace {

// The look of each kind, in the order of the card types.
struct Look {
  CardType key;
  KelvoColorToken tint;
  KelvoColorToken stripe;
  KelvoColorToken band;
  KelvoIcon icon;
};

constexpr std::array<Look, 5> looks{{
    {CardType::text, KelvoColorToken::typeText, KelvoColorToken::kindStripeText,
     KelvoColorToken::kindBandText, KelvoIcon::textCard},
    {CardType::image, KelvoColorToken::typeImage, KelvoColorToken::kindStripeImage,
     KelvoColorToken::kindBandImage, KelvoIcon::imageCard},
    {CardType::file, KelvoColorToken::typeFile, KelvoColorToken::kindStripeFile,
     KelvoColorToken::kindBandFile, KelvoIcon::fileCard},
    {CardType::document, KelvoColorToken::typeDocument, KelvoColorToken::kindStripeDocument,
     KelvoColorToken::kindBandDocument, KelvoIcon::documentCard},
    {CardType::fact, KelvoColorToken::typeFact, KelvoColorToken::kindStripeFact,
     KelvoColorToken::kindBandFact, KelvoIcon::factCard},
}};

static_assert(enumTableInOrder(looks));

const Look& lookOf(CardType type) { return enumTableRow(looks, type, "CardType: not a card type"); }

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
