#include "platform/widgetkit/Appearance.hpp"

#include <algorithm>
#include <utility>

namespace kelvo::widgetkit {
namespace {

constexpr std::array<std::pair<AppearanceName, std::string_view>, 4> nameTable{{
    {AppearanceName::aqua, "aqua"},
    {AppearanceName::darkAqua, "darkAqua"},
    {AppearanceName::accessibilityHighContrastAqua, "accessibilityHighContrastAqua"},
    {AppearanceName::accessibilityHighContrastDarkAqua, "accessibilityHighContrastDarkAqua"},
}};

// What a high-contrast appearance falls back to when its own name is not offered.
std::optional<AppearanceName> plainForm(AppearanceName name) {
  switch (name) {
    case AppearanceName::accessibilityHighContrastAqua:
      return AppearanceName::aqua;
    case AppearanceName::accessibilityHighContrastDarkAqua:
      return AppearanceName::darkAqua;
    case AppearanceName::aqua:
    case AppearanceName::darkAqua:
      return std::nullopt;
  }
  return std::nullopt;
}

}  // namespace

const std::array<AppearanceName, 4>& allAppearanceNames() {
  static constexpr std::array<AppearanceName, 4> names{
      AppearanceName::aqua, AppearanceName::darkAqua, AppearanceName::accessibilityHighContrastAqua,
      AppearanceName::accessibilityHighContrastDarkAqua};
  return names;
}

std::string_view rawValue(AppearanceName name) {
  for (const auto& [value, text] : nameTable) {
    if (value == name) return text;
  }
  return nameTable.front().second;  // only a value cast from outside the enumeration
}

std::optional<AppearanceName> appearanceNameFromRawValue(std::string_view text) {
  for (const auto& [value, raw] : nameTable) {
    if (raw == text) return value;
  }
  return std::nullopt;
}

std::optional<AppearanceName> Appearance::bestMatch(
    std::initializer_list<AppearanceName> candidates) const {
  const auto own = appearanceNameFromRawValue(name_);
  if (!own) return std::nullopt;
  const auto offered = [&](AppearanceName name) {
    return std::find(candidates.begin(), candidates.end(), name) != candidates.end();
  };
  if (offered(*own)) return own;
  if (const auto plain = plainForm(*own); plain && offered(*plain)) return plain;
  return std::nullopt;
}

}  // namespace kelvo::widgetkit
