#include "core/agenda/IntegrationCatalogue.hpp"

#include <gtest/gtest.h>

#include <vector>

#include "core/agenda/IntegrationAuthorization.hpp"
#include "core/agenda/IntegrationPermissionCopy.hpp"
#include "core/agenda/PhotoImport.hpp"
#include "core/design/KelvoIcon.hpp"
#include "tests/support/TestSupport.hpp"

namespace kelvo {
namespace {

using Kind = KelvoIntegrationKind;
using Auth = IntegrationAuthorization;

TEST(IntegrationCatalogueTest, KindsDescribeThemselves) {
  const auto kinds = allCases<Kind>();
  ASSERT_EQ(kinds.size(), 8u);
  for (const auto kind : kinds) {
    SCOPED_TRACE(rawValue(kind));
    EXPECT_EQ(hasLimitedAccess(kind), kind == Kind::photos || kind == Kind::contacts);
    EXPECT_FALSE(title(kind).empty() || tagline(kind).empty());
    EXPECT_EQ(readiness(kind).isTappable(), kind == Kind::calendar || kind == Kind::photos);
  }

  EXPECT_EQ(accessibilityIdentifier(Kind::googleMeet), "integration-googleMeet");

  EXPECT_EQ(fromRawValue<Kind>("googleMeet"), Kind::googleMeet);
  for (const auto* raw : {"google-meet", "GoogleMeet", "PHOTOS"}) {
    EXPECT_EQ(fromRawValue<Kind>(raw), std::nullopt) << raw;
  }
  EXPECT_EQ(fromRawValue<IntegrationPlatform>("MacOS"), std::nullopt);
}

TEST(IntegrationCatalogueTest, PlatformsListTheirKinds) {
  EXPECT_EQ(IntegrationCatalogue::available(IntegrationPlatform::iOS),
            (std::vector{Kind::calendar, Kind::photos, Kind::slack, Kind::gmail, Kind::outlook,
                         Kind::googleMeet}));
  // Described in full, yet listed nowhere.
  for (const auto kind : {Kind::contacts, Kind::reminders}) {
    for (const auto platform : allCases<IntegrationPlatform>()) {
      EXPECT_FALSE(isAvailable(kind, platform));
    }
  }
  // The explanation keeps its blank runs.
  const std::string absent = IntegrationCatalogue::absentIntegrationsExplanation();
  EXPECT_TRUE(absent.starts_with(
      "    Everything Kelvo reads today is already on this device, and there is     nothing to "
      "sign in to:"));
  EXPECT_NE(absent.find("connected yet — when one is, it will say     what it reads"),
            std::string::npos);
}

TEST(IntegrationCatalogueTest, AuthorizationKeepsItsReason) {
  EXPECT_NE(Auth::unavailable("a"), Auth::unavailable("b"));
  EXPECT_NE(Auth::denied(), Auth::restricted());
  EXPECT_NE(IntegrationReadiness::comingSoon("Later"), IntegrationReadiness::unavailable("Later"));
}

using Book = IntegrationPermissionCopyBook;

std::vector<Auth> allStates(const std::string& reason = "Server down") {
  return {Auth::unavailable(reason), Auth::notDetermined(), Auth::authorized(),
          Auth::limited(),           Auth::denied(),        Auth::restricted()};
}

TEST(IntegrationPermissionCopyTest, EveryKindInEveryStateHasItsCopy) {
  for (const auto kind : allCases<Kind>()) {
    for (const auto& state : allStates()) {
      SCOPED_TRACE(std::string(rawValue(kind)) + " " + std::string(state.diagnosticName()));
      const auto copy = Book::copy(kind, state);
      EXPECT_FALSE(copy.headline.empty());
      EXPECT_FALSE(copy.body.empty());
      EXPECT_EQ(copy.hasFallback, copy.fallbackTitle.has_value());
      if (!state.offersSettings() || isAccountBased(kind)) {
        EXPECT_EQ(copy.settingsActionTitle, std::nullopt);
      }
      // No way forward only where the source is already readable as far as it goes.
      const bool settled =
          state == Auth::authorized() || (state == Auth::limited() && !hasLimitedAccess(kind));
      EXPECT_EQ(copy.offersAWayForward(), !settled);
    }
  }
  for (const auto kind : {Kind::calendar, Kind::reminders}) {
    EXPECT_EQ(Book::copy(kind, Auth::limited()), Book::copy(kind, Auth::authorized()));
  }
  for (const auto kind : systemFrameworkKinds()) {
    EXPECT_EQ(Book::copy(kind, Auth::unavailable("a")), Book::copy(kind, Auth::unavailable("b")));
    EXPECT_EQ(Book::copy(kind, Auth::denied()).settingsActionTitle, "Open Settings");
  }
}

TEST(IntegrationPermissionCopyTest, SystemKindsOfferTheirOwnWaysForward) {
  const auto photosAsked = Book::copy(Kind::photos, Auth::notDetermined());
  EXPECT_EQ(photosAsked.primaryActionTitle, "Allow photo access");
  EXPECT_EQ(photosAsked.fallbackTitle, "Choose one photo instead");
  for (const auto kind : {Kind::calendar, Kind::contacts, Kind::reminders}) {
    EXPECT_FALSE(Book::copy(kind, Auth::notDetermined()).hasFallback);
  }

  EXPECT_EQ(Book::copy(Kind::photos, Auth::limited()),
            (IntegrationPermissionCopy{
                "Kelvo can see the photos you chose",
                "You gave Kelvo a few photos rather than the whole library, so this is all of it — "
                "nothing is missing. Choose more whenever you like.",
                "Choose more photos", "Open Settings", false, std::nullopt}));
}

TEST(IntegrationPermissionCopyTest, AccountKindsInsertTitleAndReason) {
  EXPECT_EQ(Book::copy(Kind::outlook, Auth::unavailable("Server down")),
            (IntegrationPermissionCopy{"Outlook isn't available",
                                       "Kelvo can't reach Outlook at the moment. Server down.",
                                       std::nullopt, std::nullopt, true, "Keep something new"}));
  // A reason is written as given, never read as a format.
  EXPECT_EQ(Book::copy(Kind::slack, Auth::unavailable("50%@ %lld")).body,
            "Kelvo can't reach Slack at the moment. 50%@ %lld.");
}

PhotoAssetSnapshot photo(std::optional<Date> createdAt, std::optional<std::string> extension,
                         bool isScreenshot = false) {
  return {"ID-1", createdAt, isScreenshot, 4032, 3024, std::move(extension)};
}

TEST(PhotoImportTest, ExtensionsAreNormalisedOrReplaced) {
  const std::pair<std::optional<std::string>, std::string> cases[] = {
      {std::nullopt, "png"},    {"..HEIC", "heic"},
      {"jpg\n", "jpg"},         {"ｊｐｇ", "ｊｐｇ"},  // full-width letters are letters
      {"12345678", "12345678"}, {"123456789", "png"},
      {"photo-raw", "png"},     {"\xff\xfe", "png"},
  };
  for (const auto& [input, expected] : cases) {
    EXPECT_EQ(PhotoImport::normalizedExtension(input), expected) << input.value_or("(none)");
  }
}

TEST(PhotoImportTest, FileNamesStampTheMomentInTheGivenZone) {
  const Date july = Date::fromUnixTime(1'782'864'000);  // 2026-07-01 00:00:00 UTC
  const Date now = Date::fromUnixTime(1'767'258'187);   // 2026-01-01 09:03:07 UTC
  const auto london = *TimeZone::named("Europe/London");
  const auto kolkata = *TimeZone::named("Asia/Kolkata");

  EXPECT_EQ(PhotoImport::filename(photo(july, "HEIC"), now, london),
            "Photo 2026-07-01 01.00.00.heic");
  EXPECT_EQ(PhotoImport::filename(photo(july, "HEIC"), now, kolkata),
            "Photo 2026-07-01 05.30.00.heic");
  EXPECT_EQ(PhotoImport::filename(photo(std::nullopt, std::nullopt, true), now, TimeZone::utc()),
            "Screenshot 2026-01-01 09.03.07.png");
}

TEST(PhotoImportTest, SubtitlesAndSpokenLabels) {
  auto item = photo(Date::fromUnixTime(1'772'892'309), "jpg");
  EXPECT_EQ(PhotoImport::gridSubtitle(item), "Photo · 4032×3024");
  item.pixelWidth = -1;
  item.pixelHeight = 10;
  item.isScreenshot = true;
  EXPECT_EQ(PhotoImport::gridSubtitle(item), "Screenshot");

  const DateFormatter formatter(DateFormatter::Style::mediumStyle, DateFormatter::Style::none,
                                Calendar(TimeZone::utc()));
  EXPECT_EQ(PhotoImport::accessibilityLabel(item, formatter), "Screenshot, Mar 7, 2026");
  item.createdAt.reset();
  EXPECT_EQ(PhotoImport::accessibilityLabel(item, formatter), "Screenshot, date unknown");
}

TEST(PhotoImportTest, SizeCheckAndTexts) {
  EXPECT_EQ(PhotoImport::rejection(0), FileCapture::Rejection::empty());
  EXPECT_EQ(PhotoImport::rejection(52'428'800), std::nullopt);
  const auto tooLarge = PhotoImport::rejection(52'428'801);
  ASSERT_TRUE(tooLarge);
  EXPECT_EQ(*tooLarge, FileCapture::Rejection::tooLarge(52'428'801, 52'428'800));
  EXPECT_EQ(tooLarge->message(),
            "That file is 50 MB — Kelvo keeps files up to 50 MB so they can sync to your other "
            "devices.");

  EXPECT_EQ(PhotoImport::limitedAccessSummary(0), "You haven't chosen any photos for Kelvo yet.");
  EXPECT_EQ(PhotoImport::limitedAccessSummary(1), "Kelvo can see 1 photo you chose.");

  EXPECT_EQ(PhotoImport::emptyExplanation(),
            "    No pictures in your library yet. Take a screenshot or a photo and it will     be "
            "here.");
}

}  // namespace
}  // namespace kelvo
