#include "core/search/SmartShelfCriteria.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/design/KelvoIcon.hpp"
#include "core/model/SmartShelf.hpp"
#include "core/search/SmartShelfScope.hpp"
#include "tests/model/Library.hpp"
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
  const std::string text =
      R"({"predicate":{"neverUsed":{}},"sort":"title",)"
      R"("systemImage":"line.3.horizontal.decrease.circle","version":1})";
  EXPECT_EQ(never.encoded(), text);
  EXPECT_EQ(SmartShelfCriteria::decode(text), never);
  auto queried = criteriaOf(P::shelf("A/B"), "  paid \xFF");
  queried.legacySymbolName = "star";
  EXPECT_EQ(queried.encoded(),
            R"({"predicate":{"shelf":{"_0":"A\/B"}},"query":"  paid )"
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
      {criteriaOf(studio, "!!"), KelvoIcon::project},
      {criteriaOf(studio.and_(P::type(CardType::image))), KelvoIcon::imageCard},
      {criteriaOf(P::type(CardType::fact)), KelvoIcon::factCard},
      {criteriaOf(P::usedWithin(3)), KelvoIcon::recentlyUsed},
      {criteriaOf(P::shelf("Inbox")), KelvoIcon::project},
      {criteriaOf(P::neverUsed().negated()), KelvoIcon::smartShelf},
      {criteriaOf(P::locked().or_(P::all())), KelvoIcon::smartShelf},
      {criteriaOf(P::locked().and_(P::stale(30))), KelvoIcon::stale},
      {criteriaOf(P(P::Or{{P::all().negated()}})), KelvoIcon::smartShelf},
      {criteriaOf(P::stale(90).or_(P::hasUnfilledFields().and_(P::neverUsed()))),
       KelvoIcon::warning},
      {criteriaOf(P::hasAttachment()), KelvoIcon::fileCard},
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
      {{"Studio", P::stale(9)}, studio.and_(P::stale(9)), {"Studio", P::stale(9)}},
      {{"", pair}, pair, {std::nullopt, pair}},
      {{" ", P::all()}, P::project(" "), {" ", P::all()}},
      {{std::nullopt, P::locked().and_(studio)}, P::locked().and_(studio),
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
    EXPECT_EQ(readable->context(), nullptr);
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
    EXPECT_EQ(definition(*shelf),
              SavedSearch(id, "Taxes", "tax", P::usedWithin(7), CardSort::title,
                          KelvoIcon::recentlyUsed));
    EXPECT_EQ(shelf->sortIndex(), 3);
  }

  testing::Library library;
  const auto bare = library.insert<SmartShelf>("SmartShelf");
  EXPECT_TRUE(isUnreadable(*bare));
  bare->setValue("id", std::nullopt);
  EXPECT_NE(bare->id(), bare->id());
}

}  // namespace
}  // namespace kelvo
