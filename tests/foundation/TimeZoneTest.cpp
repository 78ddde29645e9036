#include "platform/foundation/TimeZone.hpp"

#include <gtest/gtest.h>

#include "platform/foundation/Locale.hpp"

namespace kelvo {
namespace {

TEST(TimeZoneTest, NamedZonesAndUnknownIdentifiers) {
  EXPECT_TRUE(TimeZone::named("America/New_York"));
  EXPECT_TRUE(TimeZone::named("Pacific/Apia"));
  EXPECT_FALSE(TimeZone::named("Mars/Olympus_Mons"));
  EXPECT_FALSE(TimeZone::named("Etc/Unknown"));
  EXPECT_FALSE(TimeZone::named(""));
  const auto newYork = *TimeZone::named("America/New_York");
  EXPECT_EQ(newYork.secondsFromGMT(Date::fromUnixTime(1'700'000'000)), -5 * 3600);  // November
  EXPECT_EQ(newYork.secondsFromGMT(Date::fromUnixTime(1'690'000'000)), -4 * 3600);  // July
}

TEST(TimeZoneTest, CurrentSettingsAreProcessWide) {
  EXPECT_EQ(TimeZone::current().identifier(), "UTC");
  EXPECT_EQ(Locale::current().identifier(), "en_US");
  TimeZone::setCurrent(*TimeZone::named("Europe/Berlin"));
  Locale::setCurrent(Locale("de_DE.UTF-8"));
  EXPECT_EQ(TimeZone::current().identifier(), "Europe/Berlin");
  EXPECT_EQ(Locale::current().identifier(), "de_DE");
  EXPECT_EQ(Locale("POSIX").identifier(), "en_US");
  EXPECT_EQ(Locale("pt-BR").languageCode(), "pt");
}

}  // namespace
}  // namespace kelvo
