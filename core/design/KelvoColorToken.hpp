#pragma once

// The colour roles of the design. A token follows the appearance, the contrast setting and the
// user's palette wherever it is shown (KelvoPalette.hpp), and is stored by its raw value, in
// which letter case counts:
//
//   const KelvoColorToken token = KelvoColorToken::typeImage;
//   const std::string_view stored = rawValue(token);  // "typeImage"
//   const std::optional<KelvoColorToken> read = fromRawValue<KelvoColorToken>("TypeImage");
//   const SRGB colour = KelvoPalette::value(token, KelvoTheme::light, KelvoPaletteFamily::brand);

#include <array>
#include <string_view>
#include <utility>

#include "platform/foundation/RawValues.hpp"

namespace kelvo {

/// A named colour role. Records carry a token, never a colour; `KelvoPalette` resolves it.
/// Raw values equal the case names.
enum class KelvoColorToken {
  canvas,
  groupedSurface,
  cardSurface,
  elevatedSurface,
  hairline,
  scrim,
  cardEdgeHighlight,
  sidebarSurface,
  contentCanvas,
  raisedSurface,
  fieldSurface,
  fieldBorder,
  primaryLabel,
  bodyLabel,
  secondaryLabel,
  placeholderLabel,
  sidebarLabel,
  sidebarSecondaryLabel,
  sidebarAccentLabel,
  sidebarHeadingLabel,
  sidebarGlyph,
  sidebarSelectionWash,
  sidebarSelectionBar,
  accent,
  accentLabel,
  onAccent,
  accentGlow,
  accentWash,
  accentGradientTop,
  accentGradientBottom,
  systemTint,
  syncSynced,
  syncSyncing,
  syncLocalOnly,
  syncError,
  destructive,
  onDestructive,
  osselGlow,
  brandKelvoHighlight,
  brandKelvoLight,
  brandKelvoMid,
  brandKelvoDeep,
  brandKelvoEdge,
  onboardingNavy,
  onboardingEmber,
  tileSurface,
  tileHighlight,
  tileGlyph,
  typeText,
  typeImage,
  typeFile,
  typeDocument,
  typeFact,
  kindStripeText,
  kindStripeImage,
  kindStripeFile,
  kindStripeDocument,
  kindStripeFact,
  kindBandText,
  kindBandImage,
  kindBandFile,
  kindBandDocument,
  kindBandFact,
};

template <>
struct RawValues<KelvoColorToken> {
  static constexpr std::array<std::pair<KelvoColorToken, std::string_view>, 63> table{{
      {KelvoColorToken::canvas, "canvas"},
      {KelvoColorToken::groupedSurface, "groupedSurface"},
      {KelvoColorToken::cardSurface, "cardSurface"},
      {KelvoColorToken::elevatedSurface, "elevatedSurface"},
      {KelvoColorToken::hairline, "hairline"},
      {KelvoColorToken::scrim, "scrim"},
      {KelvoColorToken::cardEdgeHighlight, "cardEdgeHighlight"},
      {KelvoColorToken::sidebarSurface, "sidebarSurface"},
      {KelvoColorToken::contentCanvas, "contentCanvas"},
      {KelvoColorToken::raisedSurface, "raisedSurface"},
      {KelvoColorToken::fieldSurface, "fieldSurface"},
      {KelvoColorToken::fieldBorder, "fieldBorder"},
      {KelvoColorToken::primaryLabel, "primaryLabel"},
      {KelvoColorToken::bodyLabel, "bodyLabel"},
      {KelvoColorToken::secondaryLabel, "secondaryLabel"},
      {KelvoColorToken::placeholderLabel, "placeholderLabel"},
      {KelvoColorToken::sidebarLabel, "sidebarLabel"},
      {KelvoColorToken::sidebarSecondaryLabel, "sidebarSecondaryLabel"},
      {KelvoColorToken::sidebarAccentLabel, "sidebarAccentLabel"},
      {KelvoColorToken::sidebarHeadingLabel, "sidebarHeadingLabel"},
      {KelvoColorToken::sidebarGlyph, "sidebarGlyph"},
      {KelvoColorToken::sidebarSelectionWash, "sidebarSelectionWash"},
      {KelvoColorToken::sidebarSelectionBar, "sidebarSelectionBar"},
      {KelvoColorToken::accent, "accent"},
      {KelvoColorToken::accentLabel, "accentLabel"},
      {KelvoColorToken::onAccent, "onAccent"},
      {KelvoColorToken::accentGlow, "accentGlow"},
      {KelvoColorToken::accentWash, "accentWash"},
      {KelvoColorToken::accentGradientTop, "accentGradientTop"},
      {KelvoColorToken::accentGradientBottom, "accentGradientBottom"},
      {KelvoColorToken::systemTint, "systemTint"},
      {KelvoColorToken::syncSynced, "syncSynced"},
      {KelvoColorToken::syncSyncing, "syncSyncing"},
      {KelvoColorToken::syncLocalOnly, "syncLocalOnly"},
      {KelvoColorToken::syncError, "syncError"},
      {KelvoColorToken::destructive, "destructive"},
      {KelvoColorToken::onDestructive, "onDestructive"},
      {KelvoColorToken::osselGlow, "osselGlow"},
      {KelvoColorToken::brandKelvoHighlight, "brandKelvoHighlight"},
      {KelvoColorToken::brandKelvoLight, "brandKelvoLight"},
      {KelvoColorToken::brandKelvoMid, "brandKelvoMid"},
      {KelvoColorToken::brandKelvoDeep, "brandKelvoDeep"},
      {KelvoColorToken::brandKelvoEdge, "brandKelvoEdge"},
      {KelvoColorToken::onboardingNavy, "onboardingNavy"},
      {KelvoColorToken::onboardingEmber, "onboardingEmber"},
      {KelvoColorToken::tileSurface, "tileSurface"},
      {KelvoColorToken::tileHighlight, "tileHighlight"},
      {KelvoColorToken::tileGlyph, "tileGlyph"},
      {KelvoColorToken::typeText, "typeText"},
      {KelvoColorToken::typeImage, "typeImage"},
      {KelvoColorToken::typeFile, "typeFile"},
      {KelvoColorToken::typeDocument, "typeDocument"},
      {KelvoColorToken::typeFact, "typeFact"},
      {KelvoColorToken::kindStripeText, "kindStripeText"},
      {KelvoColorToken::kindStripeImage, "kindStripeImage"},
      {KelvoColorToken::kindStripeFile, "kindStripeFile"},
      {KelvoColorToken::kindStripeDocument, "kindStripeDocument"},
      {KelvoColorToken::kindStripeFact, "kindStripeFact"},
      {KelvoColorToken::kindBandText, "kindBandText"},
      {KelvoColorToken::kindBandImage, "kindBandImage"},
      {KelvoColorToken::kindBandFile, "kindBandFile"},
      {KelvoColorToken::kindBandDocument, "kindBandDocument"},
      {KelvoColorToken::kindBandFact, "kindBandFact"},
  }};
};

}  // namespace kelvo
