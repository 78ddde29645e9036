#include "core/organisation/CardTypeFilter.hpp"

#include <gtest/gtest.h>

#include <limits>
#include <string>
#include <unordered_set>
#include <vector>

#include "core/design/KelvoIcon.hpp"

namespace kelvo {
namespace {

using Selection = CardTypeFilter::Selection;

struct Item {
  CardType type;
  bool link = false;
  friend bool operator==(const Item&, const Item&) = default;
};

// Counts its calls, so that a test can tell which functions ran.
struct Calls {
  int types = 0;
  int links = 0;
  auto typeOf() {
    return [this](const Item& item) {
      ++types;
      return item.type;
    };
  }
  auto isLink() {
    return [this](const Item& item) {
      ++links;
      return item.link;
    };
  }
};

const std::vector<Item> items = {{CardType::text, true},
                                 {CardType::text},
                                 {CardType::image},
                                 {CardType::fact},
                                 {CardType::text, true}};

TEST(CardTypeFilterTest, SelectionsPresentThemselves) {
  const Selection links = Selection::links();
  EXPECT_EQ(links.identifier(), "links");
  EXPECT_EQ(links.icon(), KelvoIcon::factURL);
  EXPECT_EQ(links.cardType(), CardType::text);
  EXPECT_EQ(Selection::all().cardType(), std::nullopt);
  std::unordered_set<Selection> distinct{Selection::all(), links};
  for (const CardType type : allCases<CardType>()) distinct.insert(Selection::type(type));
  EXPECT_EQ(distinct.size(), allCases<CardType>().size() + 2);

  EXPECT_EQ(CardTypeFilter::accessibilityLabel(), "Filter by card type");
  EXPECT_EQ(CardTypeFilter::clearActionTitle(), "Show all types");
  const CardTypeFilter all(Selection::all());
  EXPECT_FALSE(all.isNarrowing());
  EXPECT_EQ(all.accessibilityValue(), "All types");
  EXPECT_EQ(all.emptyTitle(), std::nullopt);
  EXPECT_EQ(all.emptyDetail(), std::nullopt);
  const CardTypeFilter docs(Selection::type(CardType::document));
  EXPECT_EQ(docs.emptyTitle(), "No docs here");
  EXPECT_EQ(docs.emptyDetail(),
            "This project has nothing of type docs. Other kinds of card may still be here.");
  EXPECT_EQ(CardTypeFilter(links).emptyDetail(),
            "Nothing here is a web address on its own. Keep or share a link and it appears.");
}

TEST(CardTypeFilterTest, ApplyCallsOnlyWhatItNeeds) {
  Calls calls;
  const CardTypeFilter all(Selection::all());
  EXPECT_EQ(all.apply(items, calls.typeOf(), calls.isLink()), items);
  EXPECT_EQ(all.apply(items, calls.typeOf()), items);
  EXPECT_EQ(calls.types + calls.links, 0);

  const CardTypeFilter links(Selection::links());
  EXPECT_EQ(links.apply(items, calls.typeOf(), calls.isLink()),
            (std::vector<Item>{items[0], items[4]}));
  EXPECT_EQ(calls.types, 5);
  EXPECT_EQ(calls.links, 3);  // text items only
  const CardTypeFilter text(Selection::type(CardType::text));
  EXPECT_EQ(text.apply(items, calls.typeOf(), calls.isLink()), (std::vector<Item>{items[1]}));
  // Without a link test, text and links both keep every text item.
  const std::vector<Item> allText = {items[0], items[1], items[4]};
  EXPECT_EQ(text.apply(items, calls.typeOf()), allText);
  EXPECT_EQ(links.apply(items, calls.typeOf()), allText);
  EXPECT_EQ(CardTypeFilter(Selection::type(CardType::fact)).apply(items, calls.typeOf()),
            (std::vector<Item>{items[3]}));
  EXPECT_TRUE(Selection::type(CardType::image).matches(CardType::image, true));
}

TEST(CardTypeFilterTest, CountsAndOptions) {
  Calls calls;
  const auto plain = CardTypeFilter::counts(items, calls.typeOf());
  EXPECT_EQ(plain, (std::map<CardType, std::int64_t>{{CardType::text, 3},
                                                     {CardType::image, 1},
                                                     {CardType::file, 0},
                                                     {CardType::document, 0},
                                                     {CardType::fact, 1}}));
  const auto counts = CardTypeFilter::counts(items, calls.typeOf(), calls.isLink());
  EXPECT_EQ(calls.links, 3);
  EXPECT_EQ(counts.links, 2);
  EXPECT_EQ(counts.types.at(CardType::text), 1);
  EXPECT_EQ(counts.total(), 5);

  const auto none = CardTypeFilter::counts(std::vector<Item>{}, calls.typeOf(), calls.isLink());
  EXPECT_EQ(none.types.size(), 5u);
  EXPECT_EQ(none.total(), 0);
  const auto options = CardTypeFilter::options(none);
  std::vector<std::string> labels;
  for (const auto& option : options) {
    labels.push_back(option.label);
    EXPECT_EQ(option.count, 0);
    EXPECT_EQ(option.isEnabled, option.selection == Selection::all());
    EXPECT_EQ(option.id(), option.selection);
  }
  EXPECT_EQ(labels,
            (std::vector<std::string>{"All", "Text", "Links", "Images", "Files", "Docs", "Facts"}));

  // A missing type still shows, at 0 and disabled; without links there are six rows.
  const auto six = CardTypeFilter::options({{CardType::image, 2}, {CardType::fact, 1}});
  ASSERT_EQ(six.size(), 6u);
  EXPECT_EQ(six[0], (CardTypeFilter::Option{Selection::all(), "All", 3, true}));
  EXPECT_EQ(six[1], (CardTypeFilter::Option{Selection::type(CardType::text), "Text", 0, false}));
  EXPECT_EQ(six[2], (CardTypeFilter::Option{Selection::type(CardType::image), "Images", 2, true}));

  constexpr auto most = std::numeric_limits<std::int64_t>::max();
  constexpr auto least = std::numeric_limits<std::int64_t>::min();
  EXPECT_EQ((CardTypeFilter::Counts{{{CardType::text, most}, {CardType::fact, 5}}, 7}.total()),
            most);
  EXPECT_EQ((CardTypeFilter::Counts{{{CardType::text, least}, {CardType::fact, -5}}, 0}.total()),
            least);
}

}  // namespace
}  // namespace kelvo
