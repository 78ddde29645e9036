#include "core/design/KelvoButtonCopy.hpp"

#include <gtest/gtest.h>

#include <algorithm>

#include "platform/foundation/Text.hpp"
#include "tests/support/GermanCatalogue.hpp"

namespace kelvo {
namespace {

TEST(KelvoButtonCopyTest, TitlesFitOnOneLine) {
  EXPECT_EQ(KelvoButtonCopy::keepClipboard(), "Keep what's copied");
  EXPECT_EQ(KelvoButtonCopy::choosePhotoAnotherWay(), "Choose another way");
  const auto& all = KelvoButtonCopy::all();
  ASSERT_EQ(all.size(), 5u);
  EXPECT_EQ(all.back(), "Add a card");
  std::size_t longest = 0;
  for (const std::string& title : all) {
    const std::size_t count = text::characterCount(title);
    EXPECT_LE(count, static_cast<std::size_t>(KelvoButtonCopy::singleLineBudget)) << title;
    longest = std::max(longest, count);
  }
  EXPECT_EQ(longest, 21u);
}

TEST(KelvoButtonCopyTest, TitlesAreLookedUpEachTimeButAllKeepsTheFirst) {
  const std::vector<std::string> first = KelvoButtonCopy::all();
  testing::GermanCatalogue german(
      {{"Keep what's copied", "Kopiertes behalten"}, {"Add a card", "Karte hinzuf\u00FCgen"}});
  if (!german.installed()) GTEST_SKIP() << "no C.UTF-8 locale";
  EXPECT_EQ(KelvoButtonCopy::keepClipboard(), "Kopiertes behalten");
  EXPECT_EQ(KelvoButtonCopy::addCard, "Add a card");
  EXPECT_EQ(KelvoButtonCopy::all(), first);
}

}  // namespace
}  // namespace kelvo
