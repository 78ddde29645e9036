#include <gtest/gtest.h>

#include <set>

#include "core/search/CompositeLexicon.hpp"
#include "core/search/StaticLexicon.hpp"
#include "tests/search/LexiconTestSupport.hpp"

namespace kelvo {
namespace {

using testing::ScriptedLexicon;
using Words = std::vector<std::string>;

Words terms(const std::vector<TermVariant>& variants, TermRelation expected) {
  Words out;
  for (const TermVariant& variant : variants) {
    EXPECT_EQ(variant.relation, expected) << variant.term;
    out.push_back(variant.term);
  }
  return out;
}

TEST(LexiconTest, OfficeVocabularyIsTheElevenGroups) {
  const auto& groups = StaticLexicon::officeVocabularyGroups();
  ASSERT_EQ(groups.size(), 11u);
  const std::vector<std::size_t> sizes{7, 6, 7, 5, 5, 5, 5, 4, 4, 4, 4};
  std::set<std::string> all;
  for (std::size_t g = 0; g < groups.size(); ++g) {
    EXPECT_EQ(groups[g].size(), sizes[g]) << g;
    for (const std::string& word : groups[g]) EXPECT_TRUE(all.insert(word).second) << word;
  }
  EXPECT_EQ(all.size(), 56u);
  const Words firsts{"rate",    "invoice", "wifi",      "intro", "nda", "iban",
                     "licence", "address", "timesheet", "cv",    "deck"};
  for (std::size_t g = 0; g < groups.size(); ++g) EXPECT_EQ(groups[g].front(), firsts[g]);

  const auto& office = *StaticLexicon::officeVocabulary();
  EXPECT_EQ(office.table().size(), 56u);
  EXPECT_EQ(&office, StaticLexicon::officeVocabulary().get());
  const auto synonym = TermRelation::synonym;
  EXPECT_EQ(terms(office.variants("deck", 2), synonym), (Words{"slides", "presentation"}));
  EXPECT_EQ(terms(office.variants("cv", 8), synonym), (Words{"resume", "bio", "biography"}));
  EXPECT_EQ(terms(office.variants("invoice", 9), synonym),
            (Words{"bill", "billing", "vat", "receipt", "payment"}));
  EXPECT_EQ(terms(office.variants("password", 9), synonym),
            (Words{"wifi", "passcode", "ssid", "network", "login", "credentials"}));
  for (const auto& [term, limit] : std::vector<std::pair<std::string, std::int64_t>>{
           {"Deck", 5}, {"Invoice", 5}, {"stapler", 5}, {"deck", 0}, {"deck", -3}}) {
    EXPECT_TRUE(office.variants(term, limit).empty()) << term << limit;
  }
}

TEST(LexiconTest, GroupsAreTokenizedWhenTheTableIsBuilt) {
  const StaticLexicon lexicon({{"Crème", "cafe"}, {"— !", "solo"}, {"Tax Return", "Levy"}},
                              TermRelation::inflection);
  EXPECT_EQ(terms(lexicon.variants("creme", 5), TermRelation::inflection), (Words{"cafe"}));
  EXPECT_EQ(terms(lexicon.variants("cafe", 5), TermRelation::inflection), (Words{"creme"}));
  EXPECT_EQ(terms(lexicon.variants("tax", 5), TermRelation::inflection), (Words{"levy"}));
  EXPECT_EQ(lexicon.table().size(), 4u);  // a lone word and a word without tokens add nothing
  EXPECT_TRUE(lexicon.variants("Crème", 5).empty());
  EXPECT_TRUE(lexicon.variants("return", 5).empty());
}

TEST(LexiconTest, CompositeMergesInMemberOrder) {
  const auto first = std::make_shared<ScriptedLexicon>(std::vector<TermVariant>{
      {"", TermRelation::exact}, {"memo", TermRelation::related}, {"bill", TermRelation::related}});
  const auto second =
      std::make_shared<ScriptedLexicon>(std::vector<TermVariant>{{"bill", TermRelation::synonym},
                                                                 {"receipt", TermRelation::synonym},
                                                                 {"", TermRelation::exact}});
  const CompositeLexicon composite({first, second});
  const auto merged = composite.variants("invoice", 3);
  EXPECT_EQ(merged, (std::vector<TermVariant>{{"receipt", TermRelation::synonym},
                                              {"memo", TermRelation::related},
                                              {"bill", TermRelation::related}}));
  EXPECT_EQ(first->asked, (Words{"invoice"}));
  EXPECT_EQ(second->asked, (Words{"invoice"}));
  EXPECT_EQ(composite.variants("invoice", 1).size(), 1u);
  EXPECT_TRUE(composite.variants("invoice", -1).empty());

  composite.prewarm();
  EXPECT_EQ(first->prewarmed + second->prewarmed, 2);
  const CompositeLexicon empty({});
  EXPECT_TRUE(empty.variants("invoice", 5).empty());
  empty.prewarm();
  EXPECT_TRUE(empty.lexicons().empty());
}

}  // namespace
}  // namespace kelvo
