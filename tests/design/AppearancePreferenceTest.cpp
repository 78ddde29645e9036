#include "core/design/AppearancePreference.hpp"

#include <gtest/gtest.h>

#include "platform/foundation/UserDefaults.hpp"
#include "tests/support/GermanCatalogue.hpp"

namespace kelvo {
namespace {

using Preference = AppearancePreference;

TEST(AppearancePreferenceTest, CasesAndLocalisedTitles) {
  EXPECT_EQ(allCases<Preference>(),
            (std::array{Preference::dark, Preference::light, Preference::system}));
  EXPECT_EQ(title(Preference::light), "Light");
  EXPECT_EQ(title(Preference::system), "Match system");
  {
    testing::GermanCatalogue german({{"Match system", "Wie das System"}});
    if (german.installed()) {
      EXPECT_EQ(title(Preference::system), "Wie das System");
    }
  }
  EXPECT_EQ(title(Preference::system), "Match system");
}

TEST(AppearancePreferenceTest, AnythingButAStoredRawValueReadsAsDark) {
  EXPECT_EQ(appearancePreference("light"), Preference::light);
  EXPECT_EQ(appearancePreference("system"), Preference::system);
  for (const char* stored : {"Light", "", " light"}) {
    EXPECT_EQ(appearancePreference(stored), Preference::dark) << stored;
  }
  EXPECT_EQ(appearancePreference(std::nullopt), Preference::dark);

  // A UI-test launch takes the requested preference, system when none is; others the stored one.
  EXPECT_EQ(resolvedAppearancePreference("light", true, std::nullopt), Preference::system);
  EXPECT_EQ(resolvedAppearancePreference("light", true, Preference::dark), Preference::dark);
  EXPECT_EQ(resolvedAppearancePreference("light", false, Preference::dark), Preference::light);
  EXPECT_EQ(resolvedAppearancePreference(std::nullopt, false, Preference::light), Preference::dark);

  UserDefaults defaults;
  EXPECT_EQ(storedAppearancePreference(defaults), Preference::dark);
  defaults.set("kelvo.appearance", std::string("system"));
  EXPECT_EQ(storedAppearancePreference(defaults), Preference::system);
  defaults.set("kelvo.appearance", 1);  // not a text
  EXPECT_EQ(storedAppearancePreference(defaults), Preference::dark);
}

}  // namespace
}  // namespace kelvo
