#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <map>
#include <nlohmann/json.hpp>
#include <set>

#include "core/search/CompositeLexicon.hpp"
#include "core/search/SemanticSearchResult.hpp"
#include "core/search/StaticLexicon.hpp"
#include "core/search/WordEmbeddingLexicon.hpp"
#include "platform/foundation/JSONReader.hpp"
#include "platform/language/LanguageData.hpp"
#include "tests/search/LexiconTestSupport.hpp"
#include "tests/search/SearchTestCards.hpp"

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

TEST(LexiconTest, OfficeVocabularyGroupsShareNoWord) {
  std::set<std::string> all;
  for (const auto& group : StaticLexicon::officeVocabularyGroups()) {
    for (const std::string& word : group) EXPECT_TRUE(all.insert(word).second) << word;
  }
  const auto& office = *StaticLexicon::officeVocabulary();
  EXPECT_EQ(office.table().size(), all.size());
  EXPECT_EQ(&office, StaticLexicon::officeVocabulary().get());
  const auto synonym = TermRelation::synonym;
  EXPECT_EQ(terms(office.variants("deck", 2), synonym), (Words{"slides", "presentation"}));
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
  EXPECT_TRUE(CompositeLexicon({}).variants("invoice", 5).empty());
}

TEST(LexiconTest, RelationsReadStrictlyAndExplainThemselves) {
  const Json related = "related";
  EXPECT_EQ(decodeTermRelation(JSONReader(related)), TermRelation::related);
  for (const char* bad : {"Related", ""}) {
    const Json wrong = bad;
    try {
      decodeTermRelation(JSONReader(wrong));
      ADD_FAILURE() << bad;
    } catch (const DecodingError& error) {
      EXPECT_EQ(error.kind(), DecodingError::Kind::dataCorrupted) << bad;
    }
  }

  // A literal score that is no number is no literal match.
  SemanticSearchResult result{testing::makeCard({}), 2.5, std::nan(""), 2.5, {}, {}};
  EXPECT_FALSE(result.isLiteralMatch());
  result.literalScore = 0.01;
  EXPECT_TRUE(result.isLiteralMatch());

  struct Case {
    MatchExplanation explanation;
    const char* sentence;
  };
  const Case cases[] = {
      {{"slides", "deck", TermRelation::synonym, {}}, "deck — means slides"},
      {{"password", "countersign", TermRelation::related, {}}, "countersign — related to password"},
      {{"anything", "Invoice", TermRelation::exact, {}}, "Matched Invoice"},
  };
  for (const Case& c : cases) EXPECT_EQ(c.explanation.sentence(), c.sentence);
}

using language::Neighbour;
using Variants = std::vector<TermVariant>;

class FixedEmbedding final : public language::WordEmbedding {
 public:
  explicit FixedEmbedding(std::map<std::string, std::vector<Neighbour>> table)
      : table_(std::move(table)) {}
  std::vector<Neighbour> neighbours(std::string_view word, std::int64_t count) const override {
    asked.emplace_back(word);
    const auto found = table_.find(std::string(word));
    if (found == table_.end()) return {};
    return {found->second.begin(),
            found->second.begin() + std::min<std::int64_t>(count, std::ssize(found->second))};
  }
  mutable std::vector<std::string> asked;

 private:
  std::map<std::string, std::vector<Neighbour>> table_;
};

class FixedTagger final : public language::LemmaTagger {
 public:
  std::optional<std::string> lemma(std::string_view text) const override {
    const auto found = lemmas.find(std::string(text));
    return found == lemmas.end() ? std::nullopt : std::optional(found->second);
  }
  std::map<std::string, std::string> lemmas{{"invoices", "Invoice"},
                                            {"oxen", "ox"},
                                            {"cafe", "Café"},
                                            {"deck", "DECK"},
                                            {"decks", "deck"}};
};

const double nan = std::nan("");

std::shared_ptr<FixedEmbedding> embedding() {
  return std::make_shared<FixedEmbedding>(std::map<std::string, std::vector<Neighbour>>{
      {"invoices",
       {{"bill", 0.1},
        {"invoice", 0.2},
        {"vat", 0.3},
        {"bill", 0.35},
        {"Ledger entry", 0.4},
        {"invoices", 0.5},
        {"— !", 0.6},
        {"edge", 1.05},
        {"late", 1.0500001},
        {"never", 0.1}}},
      {"oxen", {{"cattle", 0.2}, {"yoke", nan}, {"plough", 0.3}}},
      {"decks", {{"deck", 0.1}, {"slides", 0.2}}}});
}

TEST(WordEmbeddingLexiconTest, LemmaThenNeighboursUpToTheCut) {
  const auto neighbours = embedding();
  const WordEmbeddingLexicon lexicon(neighbours, std::make_shared<FixedTagger>());
  EXPECT_TRUE(lexicon.isEmbeddingAvailable());
  // Cold: the lemma alone, nothing cached, the embedding untouched.
  EXPECT_EQ(lexicon.variants("invoices", 8), (Variants{{"invoice", TermRelation::inflection}}));
  EXPECT_EQ(lexicon.variants("oxen", 8), (Variants{{"ox", TermRelation::inflection}}));
  EXPECT_TRUE(lexicon.variants("cafe", 8).empty());  // differs only by case and accent
  EXPECT_TRUE(lexicon.variants("deck", 8).empty());
  EXPECT_EQ(lexicon.cachedTermCount(), 0u);
  EXPECT_TRUE(neighbours->asked.empty());
  EXPECT_FALSE(lexicon.isReady());

  lexicon.prewarm();
  lexicon.prewarm();
  EXPECT_TRUE(lexicon.isReady());
  EXPECT_EQ(neighbours->asked, std::vector<std::string>{"the"});
  const Variants invoices{{"invoice", TermRelation::inflection},
                          {"bill", TermRelation::related},
                          {"ledger", TermRelation::related},
                          {"edge", TermRelation::related}};
  EXPECT_EQ(lexicon.variants("invoices", 5), (Variants{invoices.begin(), invoices.begin() + 4}));
  EXPECT_EQ(lexicon.variants("invoices", 2), (Variants{invoices.begin(), invoices.begin() + 2}));
  EXPECT_EQ(neighbours->asked.size(), 2u);  // both limits from one cache entry
  EXPECT_EQ(lexicon.variants("oxen", 8),
            (Variants{{"ox", TermRelation::inflection}, {"cattle", TermRelation::related}}));
  EXPECT_EQ(lexicon.variants("decks", 8),
            (Variants{{"deck", TermRelation::inflection}, {"slides", TermRelation::related}}));
  for (const auto& [term, limit] : std::vector<std::pair<std::string, std::int64_t>>{
           {"invoices", 0}, {"invoices", -1}, {"", 5}}) {
    EXPECT_TRUE(lexicon.variants(term, limit).empty()) << term << limit;
  }
}

TEST(WordEmbeddingLexiconTest, TheCacheEmptiesWholeAndNoEmbeddingStaysCold) {
  const auto neighbours = embedding();
  const WordEmbeddingLexicon lexicon(neighbours, nullptr);
  lexicon.prewarm();
  for (std::size_t i = 0; i < WordEmbeddingLexicon::cacheCapacity; ++i) {
    lexicon.variants("w" + std::to_string(i), 3);
  }
  EXPECT_EQ(lexicon.cachedTermCount(), 2000u);
  EXPECT_EQ(lexicon.variants("invoices", 1), (Variants{{"bill", TermRelation::related}}));
  EXPECT_EQ(lexicon.cachedTermCount(), 1u);

  for (const auto& [language, use] :
       std::vector<std::pair<std::string, bool>>{{"en", false}, {"de", true}}) {
    const WordEmbeddingLexicon cold(language, use);
    cold.prewarm();
    EXPECT_FALSE(cold.isReady()) << language;
    EXPECT_FALSE(cold.isEmbeddingAvailable()) << language;
  }
}

TEST(WordEmbeddingLexiconTest, TheStandardLexiconOverWordNet) {
  language::setDataDirectory(KELVO_LANGUAGE_BUILD_DATA);
  const auto standard =
      std::dynamic_pointer_cast<const CompositeLexicon>(WordEmbeddingLexicon::standard());
  ASSERT_NE(standard, nullptr);
  ASSERT_EQ(standard->lexicons().size(), 2u);
  EXPECT_EQ(standard->lexicons()[0], StaticLexicon::officeVocabulary());
  const auto english =
      std::dynamic_pointer_cast<const WordEmbeddingLexicon>(standard->lexicons()[1]);
  ASSERT_NE(english, nullptr);
  if (!english->isEmbeddingAvailable()) GTEST_SKIP() << "no WordNet tables";
  EXPECT_EQ(english->variants("invoices", 1), (Variants{{"invoice", TermRelation::inflection}}));
  standard->prewarm();
  EXPECT_TRUE(english->isReady());
  for (const TermVariant& variant : english->variants("invoice", 12)) {
    EXPECT_EQ(variant.relation, TermRelation::related) << variant.term;
  }
  // A short word widens to its longer neighbours, never they to it, as the header says.
  const auto has = [&](std::string_view term, std::string_view variant) {
    const Variants found = english->variants(term, 12);
    return std::any_of(found.begin(), found.end(),
                       [&](const TermVariant& each) { return each.term == variant; });
  };
  EXPECT_TRUE(has("car", "automobile"));
  EXPECT_FALSE(has("automobile", "car"));
  // An inflected word reaches its dictionary form's neighbours; a dictionary word keeps itself.
  const std::vector<std::array<const char*, 3>> forms{{"bikes", "bike", "bicycle"},
                                                      {"invoices", "invoice", "bill"},
                                                      {"cars", "car", "auto"},
                                                      {"meetings", "meeting", "conclave"},
                                                      {"children", "child", "tiddler"}};
  for (const auto& [form, word, nearest] : forms) {
    const Variants found = english->variants(form, 12);
    ASSERT_GE(found.size(), 2u) << form;
    EXPECT_EQ(found[0], (TermVariant{word, TermRelation::inflection})) << form;
    EXPECT_EQ(found[1], (TermVariant{nearest, TermRelation::related})) << form;
  }
  for (const auto& [form, word] : std::vector<std::pair<const char*, const char*>>{
           {"scheduled", "schedule"}, {"receipts", "receipt"}, {"fixed", "fix"}}) {
    const Variants found = english->variants(form, 12);
    ASSERT_FALSE(found.empty()) << form;
    EXPECT_EQ(found[0], (TermVariant{word, TermRelation::inflection})) << form;
  }
  EXPECT_FALSE(has("customer", "custom"));
  EXPECT_FALSE(has("as", "a"));
  EXPECT_TRUE(english->variants("qxzzys", 12).empty());
  // The office words come first, then WordNet's.
  const Variants password = standard->variants("password", 12);
  ASSERT_GT(password.size(), 6u);
  EXPECT_EQ(password[0], (TermVariant{"wifi", TermRelation::synonym}));
  EXPECT_EQ(password[6].relation, TermRelation::related);
}

}  // namespace
}  // namespace kelvo
