#include "core/agenda/PhotoImport.hpp"

#include <gtest/gtest.h>

#include "platform/foundation/Text.hpp"
#include "tests/support/TestSupport.hpp"

namespace kelvo {
namespace {

PhotoAssetSnapshot photo(std::optional<Date> createdAt, std::optional<std::string> extension,
                         bool isScreenshot = false) {
  return {"ID-1", createdAt, isScreenshot, 4032, 3024, std::move(extension)};
}

TEST(PhotoImportTest, ExtensionsAreNormalisedOrReplaced) {
  const std::pair<std::optional<std::string>, std::string> cases[] = {
      {std::nullopt, "png"},    {" .JPEG", "jpeg"},   {"..HEIC", "heic"},   {"jpg\n", "jpg"},
      {"ｊｐｇ", "ｊｐｇ"},  // full-width letters are letters
      {"12345678", "12345678"}, {"123456789", "png"}, {"photo-raw", "png"}, {"tar.gz", "png"},
      {"...", "png"},           {"", "png"},          {"\xff\xfe", "png"},
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
  EXPECT_EQ(PhotoImport::filename(photo(Date::fromUnixTime(1'772'892'309), "PNG", true), now,
                                  TimeZone::utc()),
            "Screenshot 2026-03-07 14.05.09.png");
}

TEST(PhotoImportTest, SubtitlesAndSpokenLabels) {
  auto item = photo(Date::fromUnixTime(1'772'892'309), "jpg");
  EXPECT_EQ(PhotoImport::gridSubtitle(item), "Photo · 4032×3024");
  item.pixelHeight = 0;
  EXPECT_FALSE(item.hasDimensions());
  EXPECT_EQ(PhotoImport::gridSubtitle(item), "Photo");
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
  EXPECT_EQ(PhotoImport::limitedAccessSummary(2), "Kelvo can see 2 photos you chose.");

  EXPECT_EQ(PhotoImport::emptyExplanation(),
            "    No pictures in your library yet. Take a screenshot or a photo and it will     be "
            "here.");
  EXPECT_EQ(PhotoImport::emptyLimitedExplanation(),
            "    You've allowed Kelvo a chosen set of photos, and there's nothing in it     yet. "
            "Choose some and they'll appear here.");
  EXPECT_EQ(text::characterCount(PhotoImport::emptyExplanation()), 90u);
  EXPECT_EQ(text::characterCount(PhotoImport::emptyLimitedExplanation()), 120u);
}

}  // namespace
}  // namespace kelvo
