#include "core/search/SearchableCard.hpp"

#include <gtest/gtest.h>

#include <utility>

#include "tests/search/SearchTestCards.hpp"

namespace kelvo {
namespace {

using kelvo::testing::CardSpec;
using kelvo::testing::makeCard;

CardSpec fullSpec() {
  return CardSpec{.title = "Café",
                  .content = "Hello {name}",
                  .extractedText = "scan",
                  .autoTags = {"a", "b"},
                  .shelfName = "Work",
                  .projectName = "Clients",
                  .factLabel = "Email",
                  .sourceApp = "Mail",
                  .useCount = 3,
                  .lastUsedAt = Date(1'000)};
}

TEST(SearchableCardTest, EqualityCoversAllFieldsUnderCanonicalEquivalence) {
  const UUID id = UUID::random();
  const auto card = makeCard(fullSpec(), id);
  EXPECT_EQ(card, makeCard(fullSpec(), id));

  auto decomposed = fullSpec();
  decomposed.title = "Cafe\u0301";
  EXPECT_EQ(card, makeCard(decomposed, id));
  EXPECT_EQ(std::hash<SearchableCard>{}(card),
            std::hash<SearchableCard>{}(makeCard(decomposed, id)));

  const std::vector<void (*)(CardSpec&)> changes = {
      [](CardSpec& s) { s.title = "cafe"; },
      [](CardSpec& s) { s.content = "Hello {Name}"; },
      [](CardSpec& s) { s.extractedText = ""; },
      [](CardSpec& s) { std::swap(s.autoTags[0], s.autoTags[1]); },
      [](CardSpec& s) { s.shelfName = "work"; },
      [](CardSpec& s) { s.projectName = "Client"; },
      [](CardSpec& s) { s.factLabel = std::nullopt; },
      [](CardSpec& s) { s.factLabel = ""; },
      [](CardSpec& s) { s.sourceApp = std::nullopt; },
      [](CardSpec& s) { s.useCount = 4; },
      [](CardSpec& s) { s.lastUsedAt = std::nullopt; },
      [](CardSpec& s) { s.type = CardType::fact; },
  };
  for (std::size_t i = 0; i < changes.size(); ++i) {
    auto changed = fullSpec();
    changes[i](changed);
    EXPECT_NE(card, makeCard(changed, id)) << "change " << i;
  }
  EXPECT_NE(card, makeCard(fullSpec()));  // another identifier
}

TEST(SearchableCardTest, OnlyTextCardsHaveVariablesOrLinks) {
  EXPECT_TRUE(makeCard({.content = "Dear {name},"}).hasVariables());
  EXPECT_FALSE(makeCard({.content = "Dear friend,"}).hasVariables());
  EXPECT_FALSE(makeCard({.content = "Dear \\{name},"}).hasVariables());
  EXPECT_FALSE(makeCard({.content = "Dear {name},", .type = CardType::image}).hasVariables());

  EXPECT_TRUE(makeCard({.content = " https://example.com/a "}).isLink());
  EXPECT_FALSE(makeCard({.content = "https://example.com", .type = CardType::file}).isLink());
}

}  // namespace
}  // namespace kelvo
