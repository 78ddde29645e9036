#include "core/agenda/IntegrationPermissionCopy.hpp"

#include <gtest/gtest.h>

#include <vector>

namespace kelvo {
namespace {

using Kind = KelvoIntegrationKind;
using Auth = IntegrationAuthorization;
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
  EXPECT_EQ(Book::copy(Kind::contacts, Auth::limited()),
            (IntegrationPermissionCopy{
                "Kelvo can see the contacts you chose",
                "You gave Kelvo some of your contacts rather than all of them, so this list is all "
                "of it — nothing is missing. Settings is where you widen it, whenever you like.",
                std::nullopt, "Open Settings", true, "Type a Fact in by hand instead"}));
}

TEST(IntegrationPermissionCopyTest, AccountKindsInsertTitleAndReason) {
  EXPECT_EQ(Book::copy(Kind::outlook, Auth::unavailable("Server down")),
            (IntegrationPermissionCopy{"Outlook isn't available",
                                       "Kelvo can't reach Outlook at the moment. Server down.",
                                       std::nullopt, std::nullopt, true, "Keep something new"}));
  EXPECT_EQ(Book::copy(Kind::gmail, Auth::denied()),
            (IntegrationPermissionCopy{"Gmail isn't connected",
                                       "Sign in to Gmail before Kelvo can keep anything from it.",
                                       "Connect Gmail", std::nullopt, true, "Keep something new"}));
  EXPECT_EQ(Book::copy(Kind::gmail, Auth::restricted()), Book::copy(Kind::gmail, Auth::denied()));
  EXPECT_EQ(Book::copy(Kind::googleMeet, Auth::notDetermined()),
            (IntegrationPermissionCopy{
                "Connect Google Meet",
                "Sign in once. Kelvo reads only what you pick, and keeps it on your device.",
                "Connect Google Meet", std::nullopt, true, "Keep something new"}));
  EXPECT_EQ(Book::copy(Kind::slack, Auth::limited()),
            (IntegrationPermissionCopy{"Slack is connected",
                                       "Kelvo reads only what you pick, and keeps it on your "
                                       "device. Disconnect any time in Settings.",
                                       std::nullopt, std::nullopt, false, std::nullopt}));
  EXPECT_EQ(Book::copy(Kind::slack, Auth::unavailable("")).body,
            "Kelvo can't reach Slack at the moment. .");
  // A reason is written as given, never read as a format.
  EXPECT_EQ(Book::copy(Kind::slack, Auth::unavailable("50%@ %lld")).body,
            "Kelvo can't reach Slack at the moment. 50%@ %lld.");
  EXPECT_NE(Book::copy(Kind::slack, Auth::unavailable("a")),
            Book::copy(Kind::slack, Auth::unavailable("b")));
}

}  // namespace
}  // namespace kelvo
