#include "platform/foundation/Localized.hpp"

#include <gtest/gtest.h>

#include <cstdint>

#include "tests/support/GermanCatalogue.hpp"

namespace kelvo {
namespace {

TEST(LocalizedTest, FillsPlaceholdersInOnePass) {
  EXPECT_EQ(formatted("Copied %@ as a %@ file", "Invoice", "PDF"), "Copied Invoice as a PDF file");
  EXPECT_EQ(formatted("%lld of %d%%", -9'223'372'036'854'775'807LL - 1, 3),
            "-9223372036854775808 of 3%");
  EXPECT_EQ(formatted("Kept %2$@ in %1$@, %1$@", "Work", "3 cards"), "Kept 3 cards in Work, Work");
  EXPECT_EQ(formatted("%.1f %@", 2.25, "MB"), "2.2 MB");
  EXPECT_EQ(formatted("%@ found", std::int64_t{12}), "12 found");
  // A substituted value is never scanned again.
  EXPECT_EQ(formatted("%1$@ then %2$@", "%@ %2$@ %%", "second"), "%@ %2$@ %% then second");
  EXPECT_EQ(formatted("%@ then %@", "%@", "second"), "%@ then second");
  EXPECT_EQ(formatted("%@%@", "%", "@"), "%@");
}

TEST(LocalizedTest, KeepsWhatItCannotFill) {
  EXPECT_EQ(formatted("%@ and %@", "one"), "one and %@");
  EXPECT_EQ(formatted("%3$@ of %1$@", "a"), "%3$@ of a");
  EXPECT_EQ(formatted("%s %@ 100%", "x"), "%s x 100%");
  EXPECT_EQ(formatted("%0$@ %@", "x"), "%0$@ x");
  EXPECT_EQ(formatted("%99999999999999999999$@", "x"), "%99999999999999999999$@");
  EXPECT_EQ(formatted("%.999999999f", 1.0).size(), 32u);  // precision is capped
  EXPECT_EQ(formatted("%"), "%");
}

TEST(LocalizedTest, LooksUpTheEnglishTextInTheKelvoDomain) {
  EXPECT_EQ(localized("Keep"), "Keep");  // no catalogue: the English comes back
  EXPECT_EQ(localized(""), "");
  EXPECT_EQ(localized("Copied %@", "Invoice"), "Copied Invoice");

  // Without a system locale for German, gettext follows LANGUAGE over the process's locale.
  {
    testing::GermanCatalogue german({{"Close", "Schlie\u00DFen"}, {"Copied %@", "%@ kopiert"}});
    if (!german.installed()) GTEST_SKIP() << "no C.UTF-8 locale";
    EXPECT_EQ(localized("Close"), "Schlie\u00DFen");
    EXPECT_EQ(localized("Copied %@", "%@"), "%@ kopiert");
    EXPECT_EQ(localized("Keep"), "Keep");
  }
  EXPECT_EQ(localized("Close"), "Close");
}

}  // namespace
}  // namespace kelvo
