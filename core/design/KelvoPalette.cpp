#include "core/design/KelvoPalette.hpp"

#include <array>
#include <cstddef>
#include <cstdint>

#include "platform/foundation/EnumTable.hpp"
#include "platform/foundation/Error.hpp"

namespace kelvo {
namespace {

// Columns: brand light, light increased contrast, dark, dark increased contrast, then the same
// four of the two-colour family. Kind bands are their kind colour laid at 0.08 over the card
// surface of the same column, rounded to 8 bits; the tests hold the table to that.
struct Designed {
  KelvoColorToken key;
  std::array<std::uint32_t, 8> colours;
};

// One row per token, as designed; kept unwrapped so it reads against the design table.
// clang-format off
constexpr std::array<Designed, 63> designed{{
    {KelvoColorToken::canvas, {0xE9E1D2, 0xE9E1D2, 0x13110D, 0x13110D, 0xFFFFFF, 0xFFFFFF, 0x000000, 0x000000}},
    {KelvoColorToken::groupedSurface, {0xF0E9DC, 0xF0E9DC, 0x13110D, 0x13110D, 0xF7DAAA, 0xF7DAAA, 0x2C2C2E, 0x2C2C2E}},
    {KelvoColorToken::cardSurface, {0xF4EBD8, 0xF4EBD8, 0x211E19, 0x211E19, 0xFCECD1, 0xFCECD1, 0x1C1C1E, 0x1C1C1E}},
    {KelvoColorToken::elevatedSurface, {0xF5EEE1, 0xF5EEE1, 0x2A2620, 0x2A2620, 0xFFFFFF, 0xFFFFFF, 0x2C2C2E, 0x2C2C2E}},
    {KelvoColorToken::hairline, {0xD8CBB2, 0xA9A295, 0x403C33, 0x726D61, 0xEFC47E, 0x9C6A1F, 0x3A3A3C, 0x6C6C70}},
    {KelvoColorToken::scrim, {0x1E1B17, 0x1E1B17, 0x000000, 0x000000, 0x141210, 0x141210, 0x000000, 0x000000}},
    {KelvoColorToken::cardEdgeHighlight, {0xF7F0E0, 0xA9A295, 0x4C463B, 0x726D61, 0xEFC47E, 0x9C6A1F, 0x3A3A3C, 0x6C6C70}},
    {KelvoColorToken::sidebarSurface, {0xF8DDB0, 0xF8DDB0, 0x2C2C2E, 0x2C2C2E, 0xF7F7F7, 0xF7F7F7, 0x2C2C2E, 0x2C2C2E}},
    {KelvoColorToken::contentCanvas, {0xFFFFFF, 0xFFFFFF, 0x000000, 0x000000, 0xFFFFFF, 0xFFFFFF, 0x000000, 0x000000}},
    {KelvoColorToken::raisedSurface, {0xEFC47E, 0xEFC47E, 0x3A3A3C, 0x3A3A3C, 0xEFC47E, 0xEFC47E, 0x3A3A3C, 0x3A3A3C}},
    {KelvoColorToken::fieldSurface, {0xEFC47E, 0xEFC47E, 0x3A3A3C, 0x3A3A3C, 0xFFFFFF, 0xFFFFFF, 0x3A3A3C, 0x3A3A3C}},
    {KelvoColorToken::fieldBorder, {0xD8CBB2, 0xA9A295, 0x403C33, 0x726D61, 0x5F4E33, 0x5F4E33, 0x8E8E93, 0x8E8E93}},
    {KelvoColorToken::primaryLabel, {0x1E1B17, 0x1E1B17, 0xFFFFFF, 0xFFFFFF, 0x000000, 0x000000, 0xFFFFFF, 0xFFFFFF}},
    {KelvoColorToken::bodyLabel, {0x57534A, 0x3A372F, 0xE8E3DA, 0xFFFFFF, 0x000000, 0x000000, 0xE5E5EA, 0xFFFFFF}},
    {KelvoColorToken::secondaryLabel, {0x645F58, 0x4F4A42, 0xA9A49B, 0xA9A69F, 0x000000, 0x000000, 0xAEAEB2, 0xC7C7CC}},
    {KelvoColorToken::placeholderLabel, {0x655F53, 0x57534A, 0x979289, 0xA9A69F, 0x555555, 0x444444, 0xA6A6AB, 0xBDBDC2}},
    {KelvoColorToken::sidebarLabel, {0x141210, 0x141210, 0xFFFFFF, 0xFFFFFF, 0x000000, 0x000000, 0xFFFFFF, 0xFFFFFF}},
    {KelvoColorToken::sidebarSecondaryLabel, {0x4A3F2E, 0x3A2F1E, 0xC7C7CC, 0xE0E0E5, 0x000000, 0x000000, 0xC7C7CC, 0xE0E0E5}},
    {KelvoColorToken::sidebarAccentLabel, {0x6E300A, 0x5A2607, 0xFFB84D, 0xFFB84D, 0x000000, 0x000000, 0xFFFFFF, 0xFFFFFF}},
    {KelvoColorToken::sidebarHeadingLabel, {0x141210, 0x141210, 0xFFFFFF, 0xFFFFFF, 0x000000, 0x000000, 0xFFFFFF, 0xFFFFFF}},
    {KelvoColorToken::sidebarGlyph, {0x4A3F2E, 0x3A2F1E, 0xC7C7CC, 0xE0E0E5, 0x000000, 0x000000, 0xC7C7CC, 0xE0E0E5}},
    {KelvoColorToken::sidebarSelectionWash, {0xEFC47E, 0xEFC47E, 0x614F36, 0x614F36, 0xEFC47E, 0xEFC47E, 0x3A3A3C, 0x3A3A3C}},
    {KelvoColorToken::sidebarSelectionBar, {0xA54D17, 0xA54D17, 0xFFB84D, 0xFFB84D, 0xFF8503, 0xFF8503, 0xFFFFFF, 0xFFFFFF}},
    {KelvoColorToken::accent, {0xA54D17, 0xA54D17, 0xFFB84D, 0xFFB84D, 0xFF8503, 0xFF8503, 0xFFFFFF, 0xFFFFFF}},
    {KelvoColorToken::accentLabel, {0x8E3F0C, 0x7A4C0C, 0xFFB84D, 0xFFB84D, 0x000000, 0x000000, 0xFFFFFF, 0xFFFFFF}},
    {KelvoColorToken::onAccent, {0xFFFFFF, 0xFFFFFF, 0x1E1B17, 0x1E1B17, 0x000000, 0x000000, 0x000000, 0x000000}},
    {KelvoColorToken::accentGlow, {0xFFDFA6, 0xFFDFA6, 0xFFDFA6, 0xFFDFA6, 0xFFB366, 0xFFB366, 0xFFFFFF, 0xFFFFFF}},
    {KelvoColorToken::accentWash, {0xF3E5D2, 0xF3E5D2, 0x3A2E1B, 0x3A2E1B, 0xEFC47E, 0xEFC47E, 0x3A3A3C, 0x3A3A3C}},
    {KelvoColorToken::accentGradientTop, {0xB45B1C, 0xB45B1C, 0xFFC266, 0xFFC266, 0xFF8503, 0xFF8503, 0xFFFFFF, 0xFFFFFF}},
    {KelvoColorToken::accentGradientBottom, {0xA54D17, 0xA54D17, 0xFFB84D, 0xFFB84D, 0xFF8503, 0xFF8503, 0xFFFFFF, 0xFFFFFF}},
    {KelvoColorToken::systemTint, {0x8A5700, 0x6E4500, 0x939398, 0x939398, 0x000000, 0x000000, 0x939398, 0x939398}},
    {KelvoColorToken::syncSynced, {0x3A7E3A, 0x2C602C, 0x5FD35F, 0x5FD35F, 0x000000, 0x000000, 0xAEAEB2, 0xC7C7CC}},
    {KelvoColorToken::syncSyncing, {0x8A5711, 0x7A4C0C, 0xFFB84D, 0xFFB84D, 0x000000, 0x000000, 0xAEAEB2, 0xC7C7CC}},
    {KelvoColorToken::syncLocalOnly, {0x6E6E73, 0x4A4A4E, 0x9E9EA3, 0xB4B4B9, 0x000000, 0x000000, 0xAEAEB2, 0xC7C7CC}},
    {KelvoColorToken::syncError, {0xB3261E, 0x8C1D18, 0xFF6B61, 0xFF6B61, 0x000000, 0x000000, 0xFFFFFF, 0xFFFFFF}},
    {KelvoColorToken::destructive, {0xC4001A, 0xA50016, 0xFF6961, 0xFF8A84, 0xC4001A, 0xA50016, 0xFF6961, 0xFF8A84}},
    {KelvoColorToken::onDestructive, {0xFFFFFF, 0xFFFFFF, 0x000000, 0x000000, 0xFFFFFF, 0xFFFFFF, 0x000000, 0x000000}},
    {KelvoColorToken::osselGlow, {0xFFDFA6, 0xFFDFA6, 0xFFDFA6, 0xFFDFA6, 0xEFC47E, 0xEFC47E, 0xAEAEB2, 0xAEAEB2}},
    {KelvoColorToken::brandKelvoHighlight, {0xFFD36B, 0xFFD36B, 0xFFD36B, 0xFFD36B, 0xFFD36B, 0xFFD36B, 0xFFD36B, 0xFFD36B}},
    {KelvoColorToken::brandKelvoLight, {0xFFB33B, 0xFFB33B, 0xFFB33B, 0xFFB33B, 0xFFB33B, 0xFFB33B, 0xFFB33B, 0xFFB33B}},
    {KelvoColorToken::brandKelvoMid, {0xF57A1F, 0xF57A1F, 0xF57A1F, 0xF57A1F, 0xF57A1F, 0xF57A1F, 0xF57A1F, 0xF57A1F}},
    {KelvoColorToken::brandKelvoDeep, {0xB83D08, 0xB83D08, 0xB83D08, 0xB83D08, 0xB83D08, 0xB83D08, 0xB83D08, 0xB83D08}},
    {KelvoColorToken::brandKelvoEdge, {0xFF9A3E, 0xFF9A3E, 0xFF9A3E, 0xFF9A3E, 0xFF9A3E, 0xFF9A3E, 0xFF9A3E, 0xFF9A3E}},
    {KelvoColorToken::onboardingNavy, {0x1B2743, 0x1B2743, 0x1B2743, 0x1B2743, 0x1B2743, 0x1B2743, 0x1B2743, 0x1B2743}},
    {KelvoColorToken::onboardingEmber, {0x35100C, 0x35100C, 0x35100C, 0x35100C, 0x35100C, 0x35100C, 0x35100C, 0x35100C}},
    {KelvoColorToken::tileSurface, {0xE6AC4C, 0xE6AC4C, 0x48484A, 0x48484A, 0xE6AC4C, 0xE6AC4C, 0x48484A, 0x48484A}},
    {KelvoColorToken::tileHighlight, {0xE8B45E, 0xE8B45E, 0x545456, 0x545456, 0xE8B45E, 0xE8B45E, 0x545456, 0x545456}},
    {KelvoColorToken::tileGlyph, {0x141210, 0x141210, 0xFFFFFF, 0xFFFFFF, 0x000000, 0x000000, 0xFFFFFF, 0xFFFFFF}},
    {KelvoColorToken::typeText, {0x58606E, 0x414852, 0x8B93A3, 0x9FA6B3, 0x000000, 0x000000, 0xAEAEB2, 0xC7C7CC}},
    {KelvoColorToken::typeImage, {0x99482B, 0x8A4229, 0xC98A6E, 0xD09A81, 0x000000, 0x000000, 0xAEAEB2, 0xC7C7CC}},
    {KelvoColorToken::typeFile, {0x5F5F65, 0x4A4A4E, 0x9E9EA3, 0xB4B4B9, 0x000000, 0x000000, 0xAEAEB2, 0xC7C7CC}},
    {KelvoColorToken::typeDocument, {0x7A4A21, 0x5A3618, 0xA3906D, 0xB3A487, 0x000000, 0x000000, 0xAEAEB2, 0xC7C7CC}},
    {KelvoColorToken::typeFact, {0x865411, 0x7A4C0C, 0xFFB84D, 0xFFB84D, 0x000000, 0x000000, 0xAEAEB2, 0xC7C7CC}},
    {KelvoColorToken::kindStripeText, {0x58606E, 0x414852, 0x8B93A3, 0x9FA6B3, 0x000000, 0x000000, 0xAEAEB2, 0xC7C7CC}},
    {KelvoColorToken::kindStripeImage, {0x99482B, 0x8A4229, 0xC98A6E, 0xD09A81, 0x000000, 0x000000, 0xAEAEB2, 0xC7C7CC}},
    {KelvoColorToken::kindStripeFile, {0x5F5F65, 0x4A4A4E, 0x9E9EA3, 0xB4B4B9, 0x000000, 0x000000, 0xAEAEB2, 0xC7C7CC}},
    {KelvoColorToken::kindStripeDocument, {0x7A4A21, 0x5A3618, 0xA3906D, 0xB3A487, 0x000000, 0x000000, 0xAEAEB2, 0xC7C7CC}},
    {KelvoColorToken::kindStripeFact, {0x865411, 0x7A4C0C, 0xFFB84D, 0xFFB84D, 0x000000, 0x000000, 0xAEAEB2, 0xC7C7CC}},
    {KelvoColorToken::kindBandText, {0xE8E0D0, 0xE6DECD, 0x292724, 0x2B2925, 0xE8D9C0, 0xE8D9C0, 0x28282A, 0x2A2A2C}},
    {KelvoColorToken::kindBandImage, {0xEDDECA, 0xECDDCA, 0x2E2720, 0x2F2821, 0xE8D9C0, 0xE8D9C0, 0x28282A, 0x2A2A2C}},
    {KelvoColorToken::kindBandFile, {0xE8E0CF, 0xE6DECD, 0x2B2824, 0x2D2A26, 0xE8D9C0, 0xE8D9C0, 0x28282A, 0x2A2A2C}},
    {KelvoColorToken::kindBandDocument, {0xEADEC9, 0xE8DDC9, 0x2B2720, 0x2D2922, 0xE8D9C0, 0xE8D9C0, 0x28282A, 0x2A2A2C}},
    {KelvoColorToken::kindBandFact, {0xEBDFC8, 0xEADEC8, 0x332A1D, 0x332A1D, 0xE8D9C0, 0xE8D9C0, 0x28282A, 0x2A2A2C}},
}};
// clang-format on

static_assert(enumTableInOrder(designed));

constexpr std::array<KelvoColorToken, 5> handedToTwoColour{
    KelvoColorToken::raisedSurface, KelvoColorToken::destructive, KelvoColorToken::onDestructive,
    KelvoColorToken::tileSurface, KelvoColorToken::tileHighlight};

constexpr std::array<KelvoColorToken, 8> outside{
    KelvoColorToken::destructive,     KelvoColorToken::brandKelvoHighlight,
    KelvoColorToken::brandKelvoLight, KelvoColorToken::brandKelvoMid,
    KelvoColorToken::brandKelvoDeep,  KelvoColorToken::brandKelvoEdge,
    KelvoColorToken::onboardingNavy,  KelvoColorToken::onboardingEmber};

template <std::size_t N>
constexpr bool contains(const std::array<KelvoColorToken, N>& tokens, KelvoColorToken token) {
  for (const KelvoColorToken t : tokens) {
    if (t == token) return true;
  }
  return false;
}

// These keep their brand colour in the two-colour family.
constexpr std::array<KelvoColorToken, 7> brandTokens{
    KelvoColorToken::brandKelvoHighlight, KelvoColorToken::brandKelvoLight,
    KelvoColorToken::brandKelvoMid,       KelvoColorToken::brandKelvoDeep,
    KelvoColorToken::brandKelvoEdge,      KelvoColorToken::onboardingNavy,
    KelvoColorToken::onboardingEmber};

constexpr SRGB colour(std::uint32_t rgb) {
  return SRGB(static_cast<double>(rgb >> 16 & 0xFF) / 255.0,
              static_cast<double>(rgb >> 8 & 0xFF) / 255.0,
              static_cast<double>(rgb & 0xFF) / 255.0);
}

constexpr std::size_t column(const KelvoTheme& theme) {
  return (theme.appearance == KelvoTheme::Appearance::dark ? 2 : 0) +
         (theme.increasedContrast ? 1 : 0);
}

struct Olive {
  KelvoColorToken token;
  std::uint32_t light;
  std::uint32_t lightIncreasedContrast;
  std::uint32_t dark;
};

constexpr std::array<Olive, 7> olive{{
    {KelvoColorToken::accent, 0x4D6B3D, 0x4D6B3D, 0xA5CA91},
    {KelvoColorToken::accentLabel, 0x3F5732, 0x33452A, 0xA5CA91},
    {KelvoColorToken::onAccent, 0xFFFFFF, 0xFFFFFF, 0x141A0F},
    {KelvoColorToken::accentGlow, 0xC2D6B8, 0xC2D6B8, 0xC2D6B8},
    {KelvoColorToken::accentWash, 0xDFE1D6, 0xDFE1D6, 0x2E3026},
    {KelvoColorToken::accentGradientTop, 0x547543, 0x547543, 0xB0D19F},
    {KelvoColorToken::accentGradientBottom, 0x4D6B3D, 0x4D6B3D, 0xA5CA91},
}};

}  // namespace

SRGB KelvoPalette::value(KelvoColorToken token, const KelvoTheme& theme,
                         KelvoPaletteFamily family) {
  const Designed& row = enumTableRow(designed, token, "KelvoPalette::value: not a colour token");
  const bool brand = family == KelvoPaletteFamily::brand ? !contains(handedToTwoColour, token)
                                                         : contains(brandTokens, token);
  return colour(row.colours[(brand ? 0 : 4) + column(theme)]);
}

const std::set<KelvoColorToken>& KelvoPalette::addedWithTwoColours() {
  static const std::set<KelvoColorToken> tokens(handedToTwoColour.begin(), handedToTwoColour.end());
  return tokens;
}

const std::set<KelvoColorToken>& KelvoPalette::outsideTheFamily() {
  static const std::set<KelvoColorToken> tokens(outside.begin(), outside.end());
  return tokens;
}

std::optional<SRGB> KelvoPalette::designedValue(KelvoColorToken token) {
  switch (token) {
    case KelvoColorToken::secondaryLabel:
      return SRGB::fromHex("#8A857C");
    case KelvoColorToken::placeholderLabel:
      return SRGB::fromHex("#B5B0A6");
    case KelvoColorToken::typeImage:
      return SRGB::fromHex("#C3603F");
    case KelvoColorToken::syncSynced:
      return SRGB::fromHex("#4CA64C");
    default:
      return std::nullopt;
  }
}

std::optional<SRGB> KelvoPalette::legacyOliveAccent(KelvoColorToken token,
                                                    const KelvoTheme& theme) {
  for (const Olive& entry : olive) {
    if (entry.token != token) continue;
    if (theme.appearance == KelvoTheme::Appearance::dark) return colour(entry.dark);
    return colour(theme.increasedContrast ? entry.lightIncreasedContrast : entry.light);
  }
  return std::nullopt;
}

}  // namespace kelvo
