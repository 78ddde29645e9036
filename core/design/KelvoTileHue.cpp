#include "core/design/KelvoTileHue.hpp"

#include <array>
#include <cstddef>

#include "platform/foundation/EnumTable.hpp"
#include "platform/foundation/Error.hpp"

namespace kelvo {
namespace {

struct Hue {
  KelvoTileHue key;
  // Base light, highlight light, base dark, highlight dark.
  std::array<std::string_view, 4> hex;
};

constexpr std::array<Hue, 10> hues{{
    {KelvoTileHue::kelvo, {"#A86B00", "#C77E00", "#B77400", "#CE8200"}},
    {KelvoTileHue::orange, {"#CB5100", "#F16000", "#DD5900", "#F96400"}},
    {KelvoTileHue::red, {"#E62C22", "#ED615A", "#EA4940", "#EE6A63"}},
    {KelvoTileHue::pink, {"#E4246B", "#EB5B90", "#E8427F", "#EC6597"}},
    {KelvoTileHue::purple, {"#A44FDD", "#B670E4", "#AD5FE1", "#B978E5"}},
    {KelvoTileHue::indigo, {"#6969E3", "#8484E8", "#7676E5", "#8989E9"}},
    {KelvoTileHue::blue, {"#0C76E8", "#3390F4", "#1882F3", "#3D96F5"}},
    {KelvoTileHue::teal, {"#07858C", "#099EA6", "#089199", "#09A3AC"}},
    {KelvoTileHue::green, {"#208A40", "#26A34C", "#239646", "#28A94F"}},
    {KelvoTileHue::graphite, {"#757784", "#8C8E99", "#80828E", "#91939E"}},
}};

static_assert(enumTableInOrder(hues));

const Hue& entry(KelvoTileHue hue) { return enumTableRow(hues, hue, "KelvoTileHue: not a hue"); }

constexpr std::size_t offset(KelvoTheme::Appearance appearance) {
  return appearance == KelvoTheme::Appearance::dark ? 2 : 0;
}

SRGB parsed(std::string_view text) {
  // Every designed text parses; the tests check each one.
  return SRGB::fromHex(text).value_or(SRGB());
}

}  // namespace

std::string_view hex(KelvoTileHue hue, KelvoTheme::Appearance appearance) {
  return entry(hue).hex[offset(appearance)];
}

std::string_view highlightHex(KelvoTileHue hue, KelvoTheme::Appearance appearance) {
  return entry(hue).hex[offset(appearance) + 1];
}

SRGB base(KelvoTileHue hue, KelvoTheme::Appearance appearance) {
  return parsed(hex(hue, appearance));
}

SRGB highlight(KelvoTileHue hue, KelvoTheme::Appearance appearance) {
  return parsed(highlightHex(hue, appearance));
}

SRGB glyph(KelvoTileHue, KelvoTheme::Appearance) { return SRGB(1.0, 1.0, 1.0); }

}  // namespace kelvo
