#include "core/search/CardFilterPresets.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/search/SearchTestCards.hpp"

namespace kelvo {
namespace {

using P = CardPredicate;
using testing::makeCard;

const Date now(800'000'000);

TEST(CardFilterPresetsTest, TheSevenPresets) {
  const auto presets = CardFilterPresets::all();
  std::vector<std::string> names;
  for (const auto& preset : presets) {
    names.push_back(preset.name());
    EXPECT_EQ(preset.query(), std::nullopt);
  }
  EXPECT_EQ(names, (std::vector<std::string>{"Needs attention", "Used this week", "Never used",
                                             "Stale", "Templates", "Documents", "Files"}));
  EXPECT_EQ(presets[0].predicate(),
            P(P::Or{{P::stale(90), P(P::And{{P::hasUnfilledFields(), P::neverUsed()}})}}));
  EXPECT_EQ(presets[0].icon(), KelvoIcon::warning);
  EXPECT_EQ(presets[4].sort(), CardSort::mostUsed);
  EXPECT_EQ(presets[5].predicate(), P::type(CardType::document));
  EXPECT_EQ(presets[6].icon(), KelvoIcon::fileCard);
  EXPECT_EQ(presets[1].predicate(), P::usedWithin(7));

  // Two calls differ only in their identifiers.
  const auto a = CardFilterPresets::staleCards();
  auto b = CardFilterPresets::staleCards();
  EXPECT_NE(a.id(), b.id());
  EXPECT_NE(a, b);
  EXPECT_EQ(SavedSearch::decoded(b.encoded().replace(7, 36, a.id().uuidString())), a);

  const auto attention = CardFilterPresets::needsAttention(0).predicate();
  EXPECT_TRUE(attention.matches(makeCard({.useCount = 1, .lastUsedAt = now - 1}), now));
  EXPECT_FALSE(attention.matches(makeCard({.useCount = 1, .lastUsedAt = now}), now));
  EXPECT_TRUE(attention.matches(makeCard({.content = "Hi {name}"}), now));
  EXPECT_FALSE(attention.matches(makeCard({.content = "Hi {name}", .useCount = 1}), now));
  EXPECT_FALSE(attention.matches(makeCard({.type = CardType::image}), now));
  const auto never = makeCard({});
  EXPECT_TRUE(CardFilterPresets::neverUsed().predicate().matches(never, now));
  EXPECT_FALSE(CardFilterPresets::staleCards().predicate().matches(never, now));
}

TEST(CardFilterPresetsTest, OnePerDistinctShelfName) {
  EXPECT_TRUE(CardFilterPresets::shelves({}).empty());
  const auto shelves = CardFilterPresets::shelves(
      {"  Inbox", "INBOX", "", "\t", "Archive", "inbox\u00A0", "Caf\u00E9", "CAFE\u0301"});
  ASSERT_EQ(shelves.size(), 3u);
  EXPECT_EQ(shelves[0].name(), "Inbox");
  EXPECT_EQ(shelves[0].predicate(), P::shelf("Inbox"));
  EXPECT_EQ(shelves[0].sort(), CardSort::recentlyUsed);
  EXPECT_EQ(shelves[0].icon(), KelvoIcon::project);
  EXPECT_EQ(shelves[1].name(), "Archive");
  EXPECT_EQ(shelves[2].name(), "Caf\u00E9");
}

}  // namespace
}  // namespace kelvo
