#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "platform/foundation/RawValues.hpp"

namespace kelvo {

class UserDefaults;

/// The user's choice of appearance, kept in user defaults by raw value.
enum class AppearancePreference { dark, light, system };

template <>
struct RawValues<AppearancePreference> {
  static constexpr std::array<std::pair<AppearancePreference, std::string_view>, 3> table{{
      {AppearancePreference::dark, "dark"},
      {AppearancePreference::light, "light"},
      {AppearancePreference::system, "system"},
  }};
};

/// The user-defaults key under which the raw value is stored.
inline constexpr std::string_view appearancePreferenceStorageKey = "kelvo.appearance";
/// What a missing or unrecognised stored value reads as.
inline constexpr AppearancePreference appearancePreferenceDefaultValue = AppearancePreference::dark;

/// "Dark", "Light" or "Match system", localised.
std::string title(AppearancePreference preference);

/// The case whose raw value is stored; nothing stored, or any other text, gives dark.
AppearancePreference appearancePreference(std::optional<std::string_view> storedValue);

/// The preference in force: on a UI-test launch the requested one (system when none is
/// requested), otherwise the stored one.
AppearancePreference resolvedAppearancePreference(std::optional<std::string_view> stored,
                                                  bool isUITestLaunch,
                                                  std::optional<AppearancePreference> requested);

/// The preference stored in `defaults` under `appearancePreferenceStorageKey`.
AppearancePreference storedAppearancePreference(const UserDefaults& defaults);

}  // namespace kelvo
