// The usage examples at the top of the search layer's headers, run as written.

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/design/KelvoIcon.hpp"
#include "core/model/SmartShelf.hpp"
#include "core/search/CardFilterPresets.hpp"
#include "core/search/CardPredicate.hpp"
#include "core/search/CardSort.hpp"
#include "core/search/CompositeLexicon.hpp"
#include "core/search/SavedSearch.hpp"
#include "core/search/SearchIndex.hpp"
#include "core/search/SemanticLexicon.hpp"
#include "core/search/SemanticSearch.hpp"
#include "core/search/SmartFilter.hpp"
#include "core/search/SmartShelfCriteria.hpp"
#include "core/search/SmartShelfEditor.hpp"
#include "core/search/SmartShelfEvaluation.hpp"
#include "core/search/SmartShelfPresets.hpp"
#include "core/search/SmartShelfScope.hpp"
#include "core/search/StaticLexicon.hpp"
#include "core/search/TermRelation.hpp"
#include "core/search/WordEmbeddingLexicon.hpp"
#include "platform/language/LanguageData.hpp"
#include "tests/model/Library.hpp"
#include "tests/search/SearchTestCards.hpp"

namespace kelvo {
namespace {

using testing::CardSpec;
using testing::day;
using testing::makeCard;
using testing::Titles;
using testing::titles;

// Where an example hands its texts to the interface.
struct Menu {
  std::vector<std::string> items;
  void add(std::string item) { items.push_back(std::move(item)); }
};

// Three cards: one used lately, one last used long ago, one never used with a blank to fill.
std::vector<SearchableCard> smallLibrary() {
  return {makeCard({.title = "Tax return",
                    .content = "tax return 2024",
                    .useCount = 3,
                    .lastUsedAt = day(395)}),
          makeCard({.title = "Old contract", .useCount = 1, .lastUsedAt = day(100)}),
          makeCard({.title = "Letter", .content = "Dear {name}"})};
}

const Date now = day(400);

TEST(CardFilterPresets, APIExamples) {
  Menu menu;
  for (const SavedSearch& preset : CardFilterPresets::all()) menu.add(preset.name());
  const auto perShelf = CardFilterPresets::shelves({"Inbox", "Archive"});

  EXPECT_EQ(menu.items.size(), CardFilterPresets::all().size());
  ASSERT_EQ(perShelf.size(), 2u);
  EXPECT_EQ(perShelf[0].predicate(), CardPredicate::shelf("Inbox"));
}

TEST(CardPredicate, APIExamples) {
  const auto library = smallLibrary();
  const auto attention = CardPredicate::stale(90).or_(
      CardPredicate::hasUnfilledFields().and_(CardPredicate::neverUsed()));
  const auto cards = attention.filter(library, now);
  attention.name();  // "Stale (90 days) or Has unfilled fields + Never used"

  EXPECT_EQ(titles(cards), (Titles{"Old contract", "Letter"}));
  EXPECT_EQ(attention.name(), "Stale (90 days) or Has unfilled fields + Never used");
}

TEST(CardSort, APIExamples) {
  auto cards = smallLibrary();
  const auto shown = sorted(CardSort::recentlyUsed, std::move(cards));
  name(CardSort::mostUsed);  // "Most used"

  EXPECT_EQ(titles(shown), (Titles{"Tax return", "Old contract", "Letter"}));
  EXPECT_EQ(name(CardSort::mostUsed), "Most used");
}

TEST(SavedSearch, APIExamples) {
  std::vector<std::string> shown;
  const auto show = [&](std::string text) { shown.push_back(std::move(text)); };
  for (const bool withOldCard : {true, false}) {
    auto library = smallLibrary();
    if (!withOldCard) library.erase(library.begin() + 1);
    SavedSearch stale(UUID::random(), "Stale", std::nullopt, CardPredicate::stale(90),
                      CardSort::recentlyUsed, KelvoIcon::stale);
    const auto cards = stale.apply(library, now);
    if (cards.empty()) show(stale.emptyStateMessage());

    EXPECT_EQ(cards.size(), withOldCard ? 1u : 0u);
    EXPECT_EQ(shown.size(), withOldCard ? 0u : 1u);
  }
}

TEST(SearchIndex, APIExamples) {
  const auto cards = smallLibrary();
  auto editedCard =
      makeCard({.title = "Tax return filed", .content = "tax return 2024"}, cards[0].id());
  std::vector<std::string> shown;
  const auto show = [&](std::string_view title, double score, const SearchFields& fields) {
    EXPECT_GT(score, 0);
    EXPECT_TRUE(fields.contains(SearchField::title));
    shown.emplace_back(title);
  };

  SearchIndex index(cards);  // std::span<const SearchableCard>
  index.insert(editedCard);  // replaces the card with the same id
  for (const SearchResult& hit : index.search("tax ret", 20)) {
    show(hit.card.title(), hit.score, hit.matchedFields);
  }

  EXPECT_EQ(shown, std::vector<std::string>{"Tax return filed"});
}

TEST(SemanticLexicon, APIExamples) {
  std::vector<std::string> used;
  const auto use = [&](const std::string& term) { used.push_back(term); };

  std::shared_ptr<const SemanticLexicon> lexicon = StaticLexicon::officeVocabulary();
  lexicon->prewarm();
  for (const TermVariant& variant : lexicon->variants("invoice", 3)) use(variant.term);

  EXPECT_EQ(used, (std::vector<std::string>{"bill", "billing", "vat"}));
}

TEST(CompositeLexicon, APIExamples) {
  const auto mine = std::make_shared<const StaticLexicon>(
      std::vector<std::vector<std::string>>{{"invoice", "dues"}}, TermRelation::related);

  // clang-format off
  auto lexicon = std::make_shared<const CompositeLexicon>(
      std::vector<std::shared_ptr<const SemanticLexicon>>{StaticLexicon::officeVocabulary(),
      mine});
  // clang-format on

  EXPECT_EQ(lexicon->variants("invoice", 8).back(), (TermVariant{"dues", TermRelation::related}));
}

TEST(StaticLexicon, APIExamples) {
  StaticLexicon lexicon({{"crème", "cafe"}}, TermRelation::inflection);
  lexicon.variants("creme", 5);  // [cafe (inflection)]

  EXPECT_EQ(lexicon.variants("creme", 5),
            (std::vector<TermVariant>{{"cafe", TermRelation::inflection}}));
}

TEST(TermRelation, APIExamples) {
  TermVariant held{"bill", TermRelation::related};
  const TermVariant variant{"bill", TermRelation::synonym};
  double score = 1;

  if (isStronger(variant.relation, held.relation)) held = variant;
  score *= strength(TermRelation::synonym);  // 0.7

  EXPECT_EQ(held.relation, TermRelation::synonym);
  EXPECT_DOUBLE_EQ(score, 0.7);
}

TEST(SemanticSearch, APIExamples) {
  const std::vector<SearchableCard> cards = {
      makeCard({.title = "Price list", .content = "every invoice we send"}),
      makeCard({.title = "Holiday plans"})};
  const SearchIndex index(cards);
  std::vector<std::string> shown;
  const auto show = [&](std::string sentence) { shown.push_back(std::move(sentence)); };

  // clang-format off
  SemanticSearch search(StaticLexicon::officeVocabulary(),
                        {.maxVariantsPerTerm = 8, .maxIndexQueries = 20, .maxTerms = 8,
                         .semanticWeight = 0.35, .limit = 200, .expansionBudget = 0.045,
                         .literalSufficiency = 50});
  for (const SemanticSearchResult& hit : search.search("quote payment", index)) {
    for (const MatchExplanation& why : hit.explanations) show(why.sentence());
  }
  // clang-format on

  EXPECT_FALSE(shown.empty());
  EXPECT_EQ(titles(search.search("quote payment", index)), Titles{"Price list"});
}

TEST(WordEmbeddingLexicon, APIExamples) {
  language::setDataDirectory(KELVO_LANGUAGE_BUILD_DATA);
  const auto options = SemanticSearch::Options::literalOnly();

  auto lexicon = WordEmbeddingLexicon::standard();  // office words, then English
  lexicon->prewarm();                               // reads and checks the neighbour table
  SemanticSearch search(lexicon, options);

  EXPECT_FALSE(lexicon->variants("invoice", 4).empty());
  EXPECT_EQ(search.lexicon(), lexicon);
}

TEST(SmartFilter, APIExamples) {
  testing::Library library;
  std::vector<std::shared_ptr<Card>> cards;
  for (const std::string payload : {"https://example.com/a", "https://example.com/b", "Hi"}) {
    cards.push_back(Card::make({.id = UUID::random(),
                                .type = CardType::text,
                                .title = payload,
                                .payload = payload,
                                .createdAt = now}));
  }
  const std::optional<SmartFilter> selected = SmartFilter::facts;  // kept though it has none
  Menu row;

  const auto counts = smartFilterCounts(cards, [](const auto& c) { return smartFilter(*c); });
  for (SmartFilter filter : visibleSmartFilters(counts, selected)) row.add(title(filter));

  EXPECT_EQ(counts.at(SmartFilter::links), 2);
  EXPECT_EQ(counts.at(SmartFilter::textSnippets), 1);
  EXPECT_TRUE(std::find(row.items.begin(), row.items.end(), title(SmartFilter::facts)) !=
              row.items.end());
  EXPECT_TRUE(std::find(row.items.begin(), row.items.end(), title(SmartFilter::links)) !=
              row.items.end());
}

TEST(SmartShelf, APIExamples) {
  const auto cards = smallLibrary();
  std::vector<Titles> shown;
  const auto show = [&](const std::vector<SearchableCard>& found) {
    shown.push_back(titles(found));
  };

  SmartShelfCriteria criteria(SmartShelfCriteria::currentVersion, std::nullopt,
                              CardPredicate::neverUsed(), CardSort::title);
  auto shelf = makeSmartShelf(UUID::random(), "Untouched", 0, now, criteria);
  if (const auto search = definition(*shelf)) show(search->apply(cards, now));
  EXPECT_EQ(shown, std::vector<Titles>{Titles{"Letter"}});

  criteria.predicate = CardPredicate::project("Studio").and_(CardPredicate::neverUsed());
  {
    const auto scope = SmartShelfScope::decompose(criteria.predicate);
    SmartShelfScope edited{"Studio", scope.predicate};
    criteria.predicate = edited.composed();  // and of [project("Studio"), ...]
    EXPECT_EQ(scope.projectName, "Studio");
    EXPECT_EQ(scope.predicate, CardPredicate::neverUsed());
    EXPECT_EQ(SmartShelfScope::decompose(criteria.predicate), scope);
  }
}

TEST(SmartShelfEvaluation, APIExamples) {
  const auto cards = smallLibrary();
  const SearchIndex index(cards);
  const auto stored = makeSmartShelf(UUID::random(), "Letters", 0, now,
                                     SmartShelfCriteria(SmartShelfCriteria::currentVersion, "dear",
                                                        CardPredicate::all(), CardSort::relevance));
  const SmartShelf& shelf = *stored;

  const auto rank = SmartShelfEvaluation::literalRanking(index);  // index outlives rank
  const auto shown = SmartShelfEvaluation::evaluate(*definition(shelf), cards, rank, now);

  EXPECT_EQ(titles(shown), Titles{"Letter"});
}

TEST(SmartShelfEditor, APIExamples) {
  const bool isNew = false;
  const SmartShelfScope scope{"Studio", CardPredicate::neverUsed()};
  const std::string filterName = "Never used";
  const std::optional<std::string> query = "contract";
  struct {
    std::string text;
  } header;

  auto open = SmartShelfInspector::initiallyOpen(isNew);
  open = SmartShelfInspector::toggling(SmartShelfInspectorSection::order, open);
  header.text = SmartShelfInspector::matchesSummary(scope.projectName, filterName, query, true);

  const auto initially = SmartShelfInspector::initiallyOpen(isNew);
  EXPECT_NE(open.contains(SmartShelfInspectorSection::order),
            initially.contains(SmartShelfInspectorSection::order));
  EXPECT_EQ(open.contains(SmartShelfInspectorSection::matches),
            initially.contains(SmartShelfInspectorSection::matches));
  EXPECT_EQ(header.text, "Studio · Never used · “contract”");
}

TEST(SmartShelfPresets, APIExamples) {
  Menu menu;
  for (const auto& suggestion : SmartShelfPresets::offered()) menu.add(suggestion.name);
  const auto filters = SmartShelfPresets::editorFilters();  // "Everything" first

  EXPECT_EQ(menu.items.size(), SmartShelfPresets::offered().size());
  ASSERT_FALSE(filters.empty());
  EXPECT_EQ(filters.front().name(), "Everything");
}

}  // namespace
}  // namespace kelvo
