#include "core/search/TermRelation.hpp"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <unordered_set>

#include "core/search/SemanticSearchResult.hpp"
#include "core/search/TermVariant.hpp"
#include "platform/foundation/JSONReader.hpp"
#include "tests/search/SearchTestCards.hpp"

namespace kelvo {
namespace {

TEST(TermRelationTest, RawValuesStrengthsAndOrder) {
  const std::array<TermRelation, 4> expected{TermRelation::exact, TermRelation::inflection,
                                             TermRelation::synonym, TermRelation::related};
  EXPECT_EQ(allCases<TermRelation>(), expected);
  const std::array<double, 4> strengths{1.0, 0.85, 0.7, 0.45};
  for (std::size_t i = 0; i < expected.size(); ++i) {
    EXPECT_EQ(strength(expected[i]), strengths[i]);
    if (i > 0) {
      EXPECT_TRUE(isStronger(expected[i - 1], expected[i]));
    }
    EXPECT_FALSE(isStronger(expected[i], expected[i]));
  }
  EXPECT_EQ(fromRawValue<TermRelation>("synonym"), TermRelation::synonym);
  EXPECT_EQ(fromRawValue<TermRelation>("Synonym"), std::nullopt);
  EXPECT_EQ(fromRawValue<TermRelation>("synonym "), std::nullopt);
}

TEST(TermRelationTest, CodesAsItsRawValue) {
  Json encoded = TermRelation::inflection;
  EXPECT_EQ(json::write(encoded), "\"inflection\"");
  for (const char* raw : {"exact", "related"}) {
    const Json good = std::string(raw);
    EXPECT_EQ(rawValue(decodeTermRelation(JSONReader(good))), raw);
  }
  for (const char* bad : {"Related", "close", ""}) {
    const Json wrong = std::string(bad);
    try {
      decodeTermRelation(JSONReader(wrong));
      ADD_FAILURE() << bad;
    } catch (const DecodingError& error) {
      EXPECT_EQ(error.kind(), DecodingError::Kind::dataCorrupted) << bad;
    }
  }
}

TEST(TermRelationTest, VariantsAndResultsAreValues) {
  const TermVariant synonym{"bill", TermRelation::synonym};
  const TermVariant related{"bill", TermRelation::related};
  EXPECT_NE(synonym, related);
  EXPECT_EQ((std::unordered_set<TermVariant>{synonym, related, synonym}.size()), 2u);

  const SearchableCard card = testing::makeCard({.title = "Bill"});
  const SemanticSearchResult semantic{card, 2.5, 0, 2.5, {SearchField::title}, {}};
  EXPECT_FALSE(semantic.isLiteralMatch());
  EXPECT_EQ(semantic.id(), card.id());
  SemanticSearchResult literal = semantic;
  literal.literalScore = 0.01;
  EXPECT_TRUE(literal.isLiteralMatch());
  literal.literalScore = std::nan("");
  EXPECT_FALSE(literal.isLiteralMatch());
  literal.literalScore = 0;
  EXPECT_EQ(literal, semantic);
  EXPECT_EQ(std::hash<SemanticSearchResult>{}(literal),
            std::hash<SemanticSearchResult>{}(semantic));
  literal.explanations.push_back({"invoice", "bill", TermRelation::synonym, {}});
  EXPECT_NE(literal, semantic);
}

TEST(TermRelationTest, SentencesPutTheMatchedTermFirst) {
  struct Case {
    MatchExplanation explanation;
    const char* sentence;
  };
  const Case cases[] = {
      {{"slides", "deck", TermRelation::synonym, {}}, "deck — means slides"},
      {{"invoices", "invoice", TermRelation::inflection, {}}, "invoice — form of invoices"},
      {{"password", "countersign", TermRelation::related, {}}, "countersign — related to password"},
      {{"anything", "Invoice", TermRelation::exact, {}}, "Matched Invoice"},
      {{"", "", TermRelation::synonym, {}}, " — means "},
  };
  for (const Case& c : cases) EXPECT_EQ(c.explanation.sentence(), c.sentence);
}

}  // namespace
}  // namespace kelvo
