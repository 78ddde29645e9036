#include "core/design/AppearancePreference.hpp"

#include "platform/foundation/Error.hpp"
#include "platform/foundation/Localized.hpp"
#include "platform/foundation/UserDefaults.hpp"

namespace kelvo {

std::string title(AppearancePreference preference) {
  switch (preference) {
    case AppearancePreference::dark:
      return localized("Dark");
    case AppearancePreference::light:
      return localized("Light");
    case AppearancePreference::system:
      return localized("Match system");
  }
  fatal("title: not an appearance preference");
}

AppearancePreference appearancePreference(std::optional<std::string_view> storedValue) {
  if (!storedValue) return appearancePreferenceDefaultValue;
  return fromRawValue<AppearancePreference>(*storedValue)
      .value_or(appearancePreferenceDefaultValue);
}

AppearancePreference resolvedAppearancePreference(std::optional<std::string_view> stored,
                                                  bool isUITestLaunch,
                                                  std::optional<AppearancePreference> requested) {
  if (isUITestLaunch) return requested.value_or(AppearancePreference::system);
  return appearancePreference(stored);
}

AppearancePreference storedAppearancePreference(const UserDefaults& defaults) {
  const std::optional<std::string> stored = defaults.string(appearancePreferenceStorageKey);
  if (!stored) return appearancePreferenceDefaultValue;
  return appearancePreference(std::string_view(*stored));
}

}  // namespace kelvo
