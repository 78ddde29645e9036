#include "platform/foundation/NumberFormat.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <string>
#include <utility>
#include <vector>

#include "platform/foundation/Localized.hpp"
#include "tests/support/GermanCatalogue.hpp"

namespace kelvo {
namespace {

TEST(NumberFormatTest, GroupsAndPadsAsTheLocaleDoes) {
  EXPECT_EQ(formatInteger(1234), "1,234");
  EXPECT_EQ(formatInteger(1234, Locale("de_DE")), "1.234");
  EXPECT_EQ(formatInteger(1234, {.grouping = false}), "1234");
  EXPECT_EQ(formatInteger(std::numeric_limits<std::int64_t>::min()), "-9,223,372,036,854,775,808");
  EXPECT_EQ(formatInteger(12, Locale("nonsense")), "12");
  Locale::setCurrent(Locale("de_DE"));
  EXPECT_EQ(formatInteger(1234), "1.234");

  EXPECT_EQ(formatInteger(1, {.grouping = false, .minimumIntegerDigits = 2}), "01");
  EXPECT_EQ(formatInteger(123, {.grouping = false, .minimumIntegerDigits = 2}), "123");
  EXPECT_EQ(formatInteger(-5, {.minimumIntegerDigits = 3}), "-005");
  EXPECT_EQ(formatInteger(0, {.minimumIntegerDigits = -4}), "0");
  EXPECT_EQ(formatInteger(7, {.grouping = false, .minimumIntegerDigits = 1000}).size(), 40u);
}

TEST(NumberFormatTest, DescribingADouble) {
  std::vector<std::string> described;
  for (const double value : {0.0, -0.0, 3.0, -86'400.0, 0.1, 0.0001, 0.00001, 9007199254740992.0,
                             1e15, 1.5e16, -1e300, 5e-324, double{INFINITY}, double{NAN}}) {
    described.push_back(describing(value));
  }
  EXPECT_EQ(described,
            (std::vector<std::string>{"0.0", "-0.0", "3.0", "-86400.0", "0.1", "0.0001", "1e-05",
                                      "9007199254740992.0", "1000000000000000.0", "1.5e+16",
                                      "-1e+300", "5e-324", "inf", "nan"}));
}

TEST(LocalizedTest, FillsPlaceholdersInOnePass) {
  EXPECT_EQ(formatted("Copied %@ as a %@ file", "Invoice", "PDF"), "Copied Invoice as a PDF file");
  EXPECT_EQ(formatted("%lld of %d%%", -9'223'372'036'854'775'807LL - 1, 3),
            "-9223372036854775808 of 3%");
  EXPECT_EQ(formatted("Kept %2$@ in %1$@, %1$@", "Work", "3 cards"), "Kept 3 cards in Work, Work");
  EXPECT_EQ(formatted("%.1f %@", 2.25, "MB"), "2.2 MB");
  EXPECT_EQ(formatted("%@ found", std::int64_t{12}), "12 found");
  // A substituted value is never scanned again.
  EXPECT_EQ(formatted("%1$@ then %2$@", "%@ %2$@ %%", "second"), "%@ %2$@ %% then second");
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
