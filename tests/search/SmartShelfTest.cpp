#include "core/search/SmartShelfCriteria.hpp"

#include <gtest/gtest.h>

#include <string>
#include <unordered_set>
#include <vector>

#include "core/design/KelvoIcon.hpp"
#include "core/model/SmartShelf.hpp"
#include "core/search/CardFilterPresets.hpp"
#include "core/search/SearchIndex.hpp"
#include "core/search/SmartShelfEditor.hpp"
#include "core/search/SmartShelfEvaluation.hpp"
#include "core/search/SmartShelfPresets.hpp"
#include "core/search/SmartShelfScope.hpp"
#include "tests/model/Library.hpp"
#include "tests/search/SearchTestCards.hpp"
#include "tests/support/TestSupport.hpp"

namespace kelvo {
namespace {

using P = CardPredicate;

SmartShelfCriteria criteriaOf(P predicate, std::optional<std::string> query = std::nullopt) {
  return SmartShelfCriteria(SmartShelfCriteria::currentVersion, std::move(query),
                            std::move(predicate), CardSort::title);
}

TEST(SmartShelfCriteriaTest, DocumentIsExactAndReadStrictly) {
  const auto never = criteriaOf(P::neverUsed());
  const std::string text = R"({"predicate":{"neverUsed":{}},"sort":"title",)"
                           R"("systemImage":"line.3.horizontal.decrease.circle","version":1})";
  EXPECT_EQ(never.encoded(), text);
  EXPECT_EQ(SmartShelfCriteria::decode(text), never);
  auto queried = criteriaOf(P::shelf("A/B"), "  paid \xFF");
  queried.legacySymbolName = "star";
  EXPECT_EQ(queried.encoded(), R"({"predicate":{"shelf":{"_0":"A\/B"}},"query":"  paid )"
                               "\xEF\xBF\xBD"
                               R"(","sort":"title","systemImage":"star","version":1})");

  const std::string body = R"("predicate":{"all":{}},"sort":"title")";
  const auto missingImage = SmartShelfCriteria::decode(R"({"version":1,)" + body + "}");
  ASSERT_TRUE(missingImage);
  EXPECT_EQ(missingImage->legacySymbolName, SmartShelfCriteria::defaultSymbolName);
  EXPECT_EQ(SmartShelfCriteria::decode(
                R"({"version":0,"query":null,"systemImage":null,"extra":[1],)" + body + "}"),
            SmartShelfCriteria(0, std::nullopt, P::all(), CardSort::title));
  for (const std::string& broken : std::vector<std::string>{
           "", "{" + body + "}", R"({"version":1,"sort":"title"})",
           R"({"version":1,"predicate":{"all":{}}})", R"([{"version":1}])",
           R"({"version":1,"predicate":{"all":{}},"sort":"Title"})",
           R"({"version":1,"predicate":{"all":{},"locked":{}},"sort":"title"})",
           R"({"version":2,)" + body + "}", R"({"version":"1",)" + body + "}",
           R"({"version":1,"query":3,)" + body + "}", "{\"version\":1,"}) {
    EXPECT_EQ(SmartShelfCriteria::decode(broken), std::nullopt) << broken;
  }
}

TEST(SmartShelfCriteriaTest, IconsDeriveFromTheCriteria) {
  const auto studio = P::project("Studio");
  struct Row {
    SmartShelfCriteria criteria;
    KelvoIcon icon;
  };
  const std::vector<Row> rows = {
      {criteriaOf(P::all()), KelvoIcon::smartShelf},
      {criteriaOf(P::all(), "invoice"), KelvoIcon::search},
      {criteriaOf(P::all(), "  "), KelvoIcon::smartShelf},
      {criteriaOf(studio), KelvoIcon::project},
      {criteriaOf(studio.and_(P::type(CardType::image))), KelvoIcon::imageCard},
      {criteriaOf(P::neverUsed().negated()), KelvoIcon::smartShelf},
      {criteriaOf(P::locked().or_(P::all())), KelvoIcon::smartShelf},
      {criteriaOf(P::locked().and_(P::stale(30))), KelvoIcon::stale},
      {criteriaOf(P::stale(90).or_(P::hasUnfilledFields().and_(P::neverUsed()))),
       KelvoIcon::warning},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(row.criteria.icon(), row.icon) << row.criteria.encoded().value_or("");
  }
}

TEST(SmartShelfCriteriaTest, ScopeSplitsAndJoinsTheProject) {
  using Scope = SmartShelfScope;
  const auto studio = P::project("Studio");
  const auto pair = P::locked().and_(P::neverUsed());
  const auto single = P(P::And{{P::neverUsed()}});
  struct Row {
    Scope scope;
    P composed;
    Scope decomposed;
  };
  const std::vector<Row> rows = {
      {{"Studio", P::all()}, studio, {"Studio", P::all()}},
      {{"Studio", pair}, P(P::And{{studio, P::locked(), P::neverUsed()}}), {"Studio", pair}},
      {{"Studio", single}, studio.and_(P::neverUsed()), {"Studio", P::neverUsed()}},
      {{"", pair}, pair, {std::nullopt, pair}},
      {{" ", P::all()}, P::project(" "), {" ", P::all()}},
      {{std::nullopt, P::locked().and_(studio)},
       P::locked().and_(studio),
       {std::nullopt, P::locked().and_(studio)}},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(row.scope.composed(), row.composed) << row.composed.name();
    EXPECT_EQ(Scope::decompose(row.composed), row.decomposed) << row.composed.name();
  }
}

TEST(SmartShelfCriteriaTest, ShelvesInAStoreKeepTheirText) {
  testing::TemporaryDirectory folder;
  const auto url = folder.path() / "Kelvo.sqlite";
  const auto stored = criteriaOf(P::usedWithin(7), "tax");
  const UUID id = UUID::random();
  const std::string newer =
      R"({"predicate":{"all":{}},"sort":"title","version":2,"later":{"x":[1]}})";
  {
    const auto container = testing::openStores({data::StoreDescription(url)});
    auto& context = container->viewContext();
    auto readable = makeSmartShelf(id, "Taxes", 3, Date(10), stored);
    context.insert(readable);
    auto unreadable = SmartShelf::make(UUID::random(), "Later", 4, Date(11), newer);
    context.insert(unreadable);
    EXPECT_TRUE(isUnreadable(*unreadable));
    EXPECT_EQ(definition(*unreadable), std::nullopt);
    context.save();
  }
  const auto container = testing::openStores({data::StoreDescription(url)});
  for (const auto& shelf : container->viewContext().fetch(SmartShelf::fetchRequest())) {
    if (shelf->name() == "Later") {
      EXPECT_EQ(shelf->criteriaJSON(), newer);
      EXPECT_TRUE(isUnreadable(*shelf));
      continue;
    }
    EXPECT_EQ(criteria(*shelf), stored);
    EXPECT_EQ(definition(*shelf), SavedSearch(id, "Taxes", "tax", P::usedWithin(7), CardSort::title,
                                              KelvoIcon::recentlyUsed));
  }

  testing::Library library;
  const auto bare = library.insert<SmartShelf>("SmartShelf");
  EXPECT_TRUE(isUnreadable(*bare));
  bare->setValue("id", std::nullopt);
  EXPECT_NE(bare->id(), bare->id());
}

using testing::makeCard;

const Date now(800'000'000);

SavedSearch search(std::optional<std::string> query, P predicate, CardSort sort) {
  return SavedSearch(UUID::random(), "S", std::move(query), std::move(predicate), sort,
                     KelvoIcon::search);
}

TEST(SmartShelfEvaluationTest, TheRankingRunsOnlyForARealQuery) {
  using Cards = std::vector<SearchableCard>;
  const Cards library = {makeCard({.title = "b tax"}),
                         makeCard({.title = "a", .type = CardType::fact}),
                         makeCard({.title = "c tax"})};
  const auto outsider = makeCard({.title = "tax elsewhere"});
  int calls = 0;
  std::string asked;
  const SmartShelfEvaluation::Ranking rank = [&](std::string_view query) {
    ++calls;
    asked = query;
    if (query.find("tax") == std::string_view::npos) return Cards{};
    return Cards{library[2], outsider, library[0]};
  };
  const auto evaluate = [&](std::optional<std::string> query, CardSort sort,
                            P predicate = P::all()) {
    return SmartShelfEvaluation::evaluate(search(query, predicate, sort), library, rank, now);
  };
  const auto count = [&](std::optional<std::string> query, P predicate) {
    return SmartShelfEvaluation::matchCount(search(query, predicate, CardSort::title), library,
                                            rank, now);
  };
  for (const std::string query : {"  ", "!!"}) {
    EXPECT_EQ(evaluate(query, CardSort::relevance), library);
  }
  EXPECT_EQ(calls, 0);
  EXPECT_EQ(evaluate(" tax ", CardSort::relevance), (Cards{library[2], outsider, library[0]}));
  EXPECT_EQ(calls, 1);
  EXPECT_EQ(asked, " tax ");
  EXPECT_EQ(evaluate("tax", CardSort::title), (Cards{library[0], library[2], outsider}));
  EXPECT_TRUE(evaluate("rent", CardSort::title).empty());
  EXPECT_EQ(count("tax", P::type(CardType::fact)), 0);
  EXPECT_EQ(count(std::nullopt, P::type(CardType::fact)), 1);
  EXPECT_EQ(calls, 4);

  // The literal ranking shows at most two hundred cards.
  Cards many;
  for (int i = 0; i < 250; ++i) many.push_back(makeCard({.title = "invoice " + std::to_string(i)}));
  const SearchIndex index(many);
  const auto literal = SmartShelfEvaluation::literalRanking(index);
  const auto evaluateMany = [&](std::optional<std::string> query) {
    return SmartShelfEvaluation::evaluate(search(query, P::all(), CardSort::title), many, literal,
                                          now);
  };
  EXPECT_EQ(evaluateMany("invoice").size(), 200u);
  EXPECT_EQ(evaluateMany(std::nullopt).size(), 250u);
}

TEST(SmartShelfEvaluationTest, InspectorSectionsAndSummaries) {
  using S = SmartShelfInspectorSection;
  namespace I = SmartShelfInspector;
  EXPECT_EQ(I::initiallyOpen(true), (I::Sections{S::startFrom, S::matches}));
  EXPECT_TRUE(I::toggling(S::matches, {S::matches}).empty());

  EXPECT_EQ(I::matchesSummary(std::nullopt, "Stale", std::nullopt, true),
            "Any project \u00B7 Stale");
  EXPECT_EQ(I::matchesSummary(" Acme\n", "", "  ", true), "Acme \u00B7 ");
  const std::string exact(32, 'q');
  EXPECT_EQ(I::matchesSummary(std::nullopt, "Images", " " + exact + " ", false),
            "Images \u00B7 \u201C" + exact + "\u201D");
  EXPECT_EQ(I::matchesSummary(std::nullopt, "Images", exact + "e\u0301xyz", false),
            "Images \u00B7 \u201C" + exact + "\u2026\u201D");
  EXPECT_EQ(I::startFromSummary(-2), "-2 presets");
}

namespace Presets = SmartShelfPresets;

std::vector<std::string> names(const std::vector<SavedSearch>& searches) {
  std::vector<std::string> out;
  for (const auto& search : searches) out.push_back(search.name());
  return out;
}

TEST(SmartShelfPresetsTest, SuggestionsAndFilters) {
  std::vector<std::string> offered;
  for (const auto& suggestion : Presets::offered()) offered.push_back(suggestion.name);
  EXPECT_EQ(offered.size(), 8u);
  EXPECT_EQ(offered.front(), "PDFs used this month");
  EXPECT_EQ(offered.back(), "Facts");
  const auto studio = Presets::inProject("Studio");
  EXPECT_EQ(studio.name, "In Studio");
  EXPECT_EQ(SmartShelfScope::decompose(studio.criteria.predicate),
            (SmartShelfScope{"Studio", P::all()}));

  // Two calls differ only in their identifiers.
  const auto first = Presets::typeFilters();
  const auto second = Presets::typeFilters();
  ASSERT_EQ(first.size(), 5u);
  for (std::size_t i = 0; i < first.size(); ++i) {
    EXPECT_NE(first[i].id(), second[i].id());
    EXPECT_EQ(first[i].predicate(), second[i].predicate());
  }
  const auto a = CardFilterPresets::staleCards();
  const auto b = CardFilterPresets::staleCards();
  EXPECT_NE(a, b);
  EXPECT_EQ(SavedSearch::decoded(b.encoded().replace(7, 36, a.id().uuidString())), a);

  std::unordered_set<P> predicates;
  for (const auto& filter : Presets::editorFilters()) {
    EXPECT_TRUE(predicates.insert(filter.predicate()).second) << filter.name();
  }
  const auto editor = names(Presets::editorFilters());
  EXPECT_EQ(editor.size(), 13u);
  EXPECT_EQ(editor[10], "Files (not images or docs)");
}

TEST(SmartShelfPresetsTest, NeedsAttentionAndOneShelfFilterPerDistinctName) {
  const auto attention = CardFilterPresets::needsAttention(0).predicate();
  EXPECT_TRUE(attention.matches(makeCard({.useCount = 1, .lastUsedAt = now - 1}), now));
  EXPECT_FALSE(attention.matches(makeCard({.useCount = 1, .lastUsedAt = now}), now));
  EXPECT_TRUE(attention.matches(makeCard({.content = "Hi {name}"}), now));
  EXPECT_FALSE(attention.matches(makeCard({.content = "Hi {name}", .useCount = 1}), now));
  EXPECT_FALSE(attention.matches(makeCard({.type = CardType::image}), now));
  EXPECT_FALSE(CardFilterPresets::staleCards().predicate().matches(makeCard({}), now));

  EXPECT_TRUE(CardFilterPresets::shelves({}).empty());
  const auto shelves = CardFilterPresets::shelves(
      {"  Inbox", "INBOX", "", "\t", "Archive", "inbox\u00A0", "Caf\u00E9", "CAFE\u0301"});
  EXPECT_EQ(names(shelves), (std::vector<std::string>{"Inbox", "Archive", "Caf\u00E9"}));
  EXPECT_EQ(shelves[0].predicate(), P::shelf("Inbox"));
}

}  // namespace
}  // namespace kelvo
