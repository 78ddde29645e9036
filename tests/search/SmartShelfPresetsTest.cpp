#include "core/search/SmartShelfPresets.hpp"

#include <gtest/gtest.h>

#include <string>
#include <unordered_set>
#include <vector>

#include "core/design/KelvoIcon.hpp"
#include "core/search/SmartShelfScope.hpp"

namespace kelvo {
namespace {

using P = CardPredicate;
namespace Presets = SmartShelfPresets;

TEST(SmartShelfPresetsTest, SuggestionsAndFilters) {
  std::vector<std::string> names;
  std::vector<KelvoIcon> icons;
  for (const auto& suggestion : Presets::offered()) {
    names.push_back(suggestion.name);
    icons.push_back(suggestion.icon);
    EXPECT_EQ(suggestion.criteria.version, 1);
  }
  EXPECT_EQ(names, (std::vector<std::string>{"PDFs used this month", "Tagged contract",
                                             "Needs attention", "Text", "Images", "Files", "Docs",
                                             "Facts"}));
  EXPECT_EQ(icons, (std::vector<KelvoIcon>{KelvoIcon::documentCard, KelvoIcon::tag,
                                           KelvoIcon::warning, KelvoIcon::textCard,
                                           KelvoIcon::imageCard, KelvoIcon::fileCard,
                                           KelvoIcon::documentCard, KelvoIcon::factCard}));
  const auto tagged = Presets::tagged("contract");
  EXPECT_EQ(tagged.criteria.query, "contract");
  EXPECT_EQ(tagged.criteria.icon(), KelvoIcon::search);
  const auto studio = Presets::inProject("Studio");
  EXPECT_EQ(studio.name, "In Studio");
  EXPECT_EQ(studio.icon, KelvoIcon::project);
  EXPECT_EQ(SmartShelfScope::decompose(studio.criteria.predicate),
            (SmartShelfScope{"Studio", P::all()}));
  EXPECT_EQ(Presets::documentsUsedThisMonth(), Presets::documentsUsedThisMonth());
  EXPECT_EQ(std::hash<Presets::Suggestion>{}(Presets::ofType(CardType::fact)),
            std::hash<Presets::Suggestion>{}(Presets::ofType(CardType::fact)));

  const auto first = Presets::typeFilters();
  const auto second = Presets::typeFilters();
  ASSERT_EQ(first.size(), 5u);
  EXPECT_EQ(first[2].name(), "Files (not images or docs)");
  for (std::size_t i = 0; i < first.size(); ++i) {
    EXPECT_NE(first[i].id(), second[i].id());
    EXPECT_EQ(first[i].name(), second[i].name());
    EXPECT_EQ(first[i].predicate(), second[i].predicate());
    EXPECT_EQ(first[i].icon(), second[i].icon());
  }

  const auto filters = Presets::editorFilters();
  std::vector<std::string> filterNames;
  std::unordered_set<P> predicates;
  for (const auto& filter : filters) {
    filterNames.push_back(filter.name());
    EXPECT_TRUE(predicates.insert(filter.predicate()).second) << filter.name();
  }
  EXPECT_EQ(filterNames,
            (std::vector<std::string>{"Everything", "Needs attention", "Used this week",
                                      "Never used", "Stale", "Templates", "Documents", "Files",
                                      "Text", "Images", "Files (not images or docs)", "Facts",
                                      "PDFs used this month"}));
}

}  // namespace
}  // namespace kelvo
