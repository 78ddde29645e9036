#pragma once

#include <span>

#include "core/design/RawValue.hpp"

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

/// Every token in declaration order with its raw value.
std::span<const RawValueCase<KelvoColorToken>> rawValueCases(KelvoColorToken);

}  // namespace kelvo
