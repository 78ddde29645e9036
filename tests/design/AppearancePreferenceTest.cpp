#include "core/design/AppearancePreference.hpp"

#include <gtest/gtest.h>

#include "platform/foundation/UserDefaults.hpp"
#include "tests/design/GermanCatalogue.hpp"

namespace kelvo {
namespace {

using Preference = AppearancePreference;

TEST(AppearancePreferenceTest, CasesRawValuesAndTitles) {
  EXPECT_EQ(allCases<Preference>(),
            (std::array{Preference::dark, Preference::light, Preference::system}));
  EXPECT_EQ(rawValue(Preference::system), "system");
  EXPECT_EQ(fromRawValue<Preference>("light"), Preference::light);
  EXPECT_FALSE(fromRawValue<Preference>("Light"));
  EXPECT_EQ(title(Preference::dark), "Dark");
  EXPECT_EQ(title(Preference::light), "Light");
  EXPECT_EQ(title(Preference::system), "Match system");
  {
    testing::GermanCatalogue german({{"Match system", "Wie das System"}});
    if (german.installed()) {
      EXPECT_EQ(title(Preference::system), "Wie das System");
    }
  }
  EXPECT_EQ(title(Preference::system), "Match system");
  EXPECT_EQ(appearancePreferenceStorageKey, "kelvo.appearance");
  EXPECT_EQ(appearancePreferenceDefaultValue, Preference::dark);
}

TEST(AppearancePreferenceTest, AnythingButAStoredRawValueReadsAsDark) {
  EXPECT_EQ(appearancePreference("light"), Preference::light);
  EXPECT_EQ(appearancePreference("system"), Preference::system);
  EXPECT_EQ(appearancePreference("dark"), Preference::dark);
  EXPECT_EQ(appearancePreference("Light"), Preference::dark);
  EXPECT_EQ(appearancePreference(""), Preference::dark);
  EXPECT_EQ(appearancePreference(" light"), Preference::dark);
  EXPECT_EQ(appearancePreference(std::nullopt), Preference::dark);
}

TEST(AppearancePreferenceTest, UITestLaunchesTakeTheRequestedPreference) {
  EXPECT_EQ(resolvedAppearancePreference("light", true, std::nullopt), Preference::system);
  EXPECT_EQ(resolvedAppearancePreference(std::nullopt, true, std::nullopt), Preference::system);
  EXPECT_EQ(resolvedAppearancePreference("light", true, Preference::dark), Preference::dark);
  // Outside a UI-test launch the request is not consulted.
  EXPECT_EQ(resolvedAppearancePreference("light", false, Preference::dark), Preference::light);
  EXPECT_EQ(resolvedAppearancePreference(std::nullopt, false, Preference::light), Preference::dark);
}

TEST(AppearancePreferenceTest, ReadsThroughUserDefaults) {
  UserDefaults defaults;
  EXPECT_EQ(storedAppearancePreference(defaults), Preference::dark);
  defaults.set("kelvo.appearance", std::string("system"));
  EXPECT_EQ(storedAppearancePreference(defaults), Preference::system);
  defaults.set("kelvo.appearance", std::string("Light"));
  EXPECT_EQ(storedAppearancePreference(defaults), Preference::dark);
  defaults.set("kelvo.appearance", 1);
  EXPECT_EQ(storedAppearancePreference(defaults), Preference::dark);
}

}  // namespace
}  // namespace kelvo
