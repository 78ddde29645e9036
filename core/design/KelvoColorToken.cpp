#include "core/design/KelvoColorToken.hpp"

#include <array>

namespace kelvo {
namespace {

constexpr std::array<RawValueCase<KelvoColorToken>, 63> cases{{
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

constexpr bool inDeclarationOrder() {
  for (std::size_t i = 0; i < cases.size(); ++i) {
    if (static_cast<std::size_t>(cases[i].value) != i) return false;
  }
  return true;
}
static_assert(inDeclarationOrder());

}  // namespace

std::span<const RawValueCase<KelvoColorToken>> rawValueCases(KelvoColorToken) { return cases; }

}  // namespace kelvo
