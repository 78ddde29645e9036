#include "core/agenda/IntegrationCatalogue.hpp"

#include <gtest/gtest.h>

#include "core/agenda/IntegrationAuthorization.hpp"
#include "core/design/KelvoIcon.hpp"

namespace kelvo {
namespace {

using Kind = KelvoIntegrationKind;

TEST(IntegrationCatalogueTest, KindsDescribeThemselves) {
  const auto kinds = allCases<Kind>();
  ASSERT_EQ(kinds.size(), 8u);
  for (const auto kind : kinds) {
    SCOPED_TRACE(rawValue(kind));
    EXPECT_EQ(rawValue(icon(kind)), rawValue(kind));
    EXPECT_EQ(hasLimitedAccess(kind), kind == Kind::photos || kind == Kind::contacts);
    EXPECT_EQ(isAccountBased(kind), kind >= Kind::slack);
    EXPECT_FALSE(title(kind).empty() || tagline(kind).empty());
    EXPECT_EQ(readiness(kind).isTappable(), kind == Kind::calendar || kind == Kind::photos);
  }
  EXPECT_EQ(systemFrameworkKinds(),
            (std::array{Kind::calendar, Kind::photos, Kind::contacts, Kind::reminders}));
  EXPECT_EQ(accountKinds(),
            (std::array{Kind::slack, Kind::gmail, Kind::outlook, Kind::googleMeet}));

  EXPECT_EQ(title(Kind::googleMeet), "Google Meet");
  EXPECT_EQ(tagline(Kind::reminders),
            "Keep a task from the Reminders app as a card — not Kelvo's own reminders, the ones in "
            "Reminders.");
  EXPECT_EQ(accessibilityIdentifier(Kind::googleMeet), "integration-googleMeet");
  EXPECT_EQ(readiness(Kind::slack), IntegrationReadiness::comingSoon("Coming soon"));

  EXPECT_EQ(fromRawValue<Kind>("googleMeet"), Kind::googleMeet);
  for (const auto* raw : {"Calendar", "google-meet", "GoogleMeet", "PHOTOS", ""}) {
    EXPECT_EQ(fromRawValue<Kind>(raw), std::nullopt) << raw;
  }
  EXPECT_EQ(fromRawValue<IntegrationPlatform>("ios"), std::nullopt);
  EXPECT_EQ(fromRawValue<IntegrationPlatform>("MacOS"), std::nullopt);
  EXPECT_EQ(currentIntegrationPlatform(), IntegrationPlatform::macOS);
}

TEST(IntegrationCatalogueTest, PlatformsListTheirKinds) {
  EXPECT_EQ(IntegrationCatalogue::available(IntegrationPlatform::iOS),
            (std::vector{Kind::calendar, Kind::photos, Kind::slack, Kind::gmail, Kind::outlook,
                         Kind::googleMeet}));
  EXPECT_EQ(
      IntegrationCatalogue::available(IntegrationPlatform::macOS),
      (std::vector{Kind::calendar, Kind::slack, Kind::gmail, Kind::outlook, Kind::googleMeet}));
  // Described in full, yet listed nowhere.
  for (const auto kind : {Kind::contacts, Kind::reminders}) {
    for (const auto platform : allCases<IntegrationPlatform>()) {
      EXPECT_FALSE(isAvailable(kind, platform));
    }
  }
  EXPECT_EQ(IntegrationCatalogue::openIntegrationsNotification, "kelvo.openIntegrations");
}

TEST(IntegrationCatalogueTest, ExplanationsKeepTheirBlankRuns) {
  const std::string absent = IntegrationCatalogue::absentIntegrationsExplanation();
  const std::string files = IntegrationCatalogue::filesExplanation();
  EXPECT_TRUE(
      absent.starts_with("    Everything Kelvo reads today is already on this device, "
                         "and there is     nothing to sign in to:"));
  EXPECT_NE(absent.find("connected yet — when one is, it will say     what it reads"),
            std::string::npos);
  EXPECT_TRUE(absent.ends_with("from that app's share sheet."));
  EXPECT_EQ(files,
            "    Files and iCloud Drive need no row. Keep something new already opens the     "
            "document picker, which reaches every file provider on the device, and a     file "
            "dragged onto Kelvo or sent to it from another app's share sheet     lands the same "
            "way.");
}

TEST(IntegrationCatalogueTest, AuthorizationPredicates) {
  using Auth = IntegrationAuthorization;
  struct Row {
    Auth state;
    bool canRead, offersSettings, isDecided, isWorthAsking;
    std::string_view name;
  };
  const Row rows[] = {
      {Auth::unavailable(""), false, false, true, false, "unavailable"},
      {Auth::notDetermined(), false, false, false, true, "notDetermined"},
      {Auth::authorized(), true, false, true, false, "authorized"},
      {Auth::limited(), true, true, true, false, "limited"},
      {Auth::denied(), false, true, true, false, "denied"},
      {Auth::restricted(), false, false, true, false, "restricted"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(row.state.canRead(), row.canRead);
    EXPECT_EQ(row.state.offersSettings(), row.offersSettings);
    EXPECT_EQ(row.state.isDecided(), row.isDecided);
    EXPECT_EQ(row.state.isWorthAsking(), row.isWorthAsking);
    EXPECT_EQ(row.state.diagnosticName(), row.name);
  }
  EXPECT_EQ(Auth::unavailable("Server down").diagnosticName(), "unavailable");
  EXPECT_EQ(Auth::unavailable("a"), Auth::unavailable("a"));
  EXPECT_NE(Auth::unavailable("a"), Auth::unavailable("b"));
  EXPECT_NE(Auth::denied(), Auth::restricted());

  const auto soon = IntegrationReadiness::comingSoon("Later");
  const auto away = IntegrationReadiness::unavailable("Later");
  EXPECT_NE(soon, away);
  EXPECT_FALSE(soon.isTappable());
  EXPECT_FALSE(away.isTappable());
  EXPECT_TRUE(IntegrationReadiness::ready().isTappable());
}

}  // namespace
}  // namespace kelvo
