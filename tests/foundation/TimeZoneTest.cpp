#include "platform/foundation/TimeZone.hpp"

#include <gtest/gtest.h>

#include "platform/foundation/Locale.hpp"

namespace kelvo {
namespace {

TEST(TimeZoneTest, NamedZonesAndUnknownIdentifiers) {
  for (const char* unknown : {"Mars/Olympus_Mons", "Etc/Unknown", ""}) {
    EXPECT_FALSE(TimeZone::named(unknown)) << unknown;
  }
  const auto newYork = *TimeZone::named("America/New_York");
  EXPECT_EQ(newYork.secondsFromGMT(Date::fromUnixTime(1'700'000'000)), -5 * 3600);  // November
  EXPECT_EQ(newYork.secondsFromGMT(Date::fromUnixTime(1'690'000'000)), -4 * 3600);  // July
}

TEST(TimeZoneTest, CurrentSettingsAreProcessWide) {
  TimeZone::setCurrent(*TimeZone::named("Europe/Berlin"));
  EXPECT_EQ(TimeZone::current().identifier(), "Europe/Berlin");
  EXPECT_EQ(Locale("de_DE.UTF-8").identifier(), "de_DE");
  EXPECT_EQ(Locale("POSIX").identifier(), "en_US");
}

TEST(TimeZoneTest, LocalizedGenericName) {
  const Locale english("en_US");
  EXPECT_EQ(TimeZone::named("Europe/Paris")->localizedGenericName(english),
            "Central European Time");
  EXPECT_EQ(TimeZone::named("America/New_York")->localizedGenericName(english), "Eastern Time");
  EXPECT_EQ(TimeZone::named("Europe/Paris")->localizedGenericName(Locale("de_DE")),
            "Mitteleuropäische Zeit");
}

}  // namespace
}  // namespace kelvo
