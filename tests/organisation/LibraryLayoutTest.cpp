// The library screen: its sections and their order, and the masonry columns.
#include "core/organisation/LibrarySectioning.hpp"
#include "core/organisation/MasonryLayout.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "tests/model/Library.hpp"

namespace kelvo {
namespace {

using testing::day;
using testing::uuid;

struct Item {
  UUID itemID;
  std::optional<UUID> project;
  bool pinned = false;
  std::optional<Date> used;
  Date created = day(0);

  UUID id() const { return itemID; }
  std::optional<UUID> projectID() const { return project; }
  bool isPinned() const { return pinned; }
  std::optional<Date> lastUsedAt() const { return used; }
  Date createdAt() const { return created; }
  friend bool operator==(const Item&, const Item&) = default;
};
static_assert(LibraryItem<Item>);

Item item(int n, std::optional<UUID> project = std::nullopt, bool pinned = false,
          std::optional<Date> used = std::nullopt, Date created = day(0)) {
  return {uuid(n), project, pinned, used, created};
}

std::vector<int> numbers(const std::vector<Item>& items) {
  std::vector<int> result;
  for (const Item& item : items) result.push_back(std::stoi(item.itemID.uuidString().substr(24)));
  return result;
}

std::vector<std::string> titles(const std::vector<LibrarySection<Item>>& sections) {
  std::vector<std::string> result;
  for (const auto& section : sections) result.push_back(section.title);
  return result;
}

TEST(LibrarySectioningTest, SectionsAndTheirOrder) {
  using LibrarySectioning::sections;
  const CardOrder none;
  const std::vector<Item> noItems;
  EXPECT_TRUE(sections(noItems, {}, "Unsorted", none, {}, false, false).empty());
  const auto lone = sections(noItems, {}, "Loose", none, {}, true, false);
  ASSERT_EQ(lone.size(), 1u);
  EXPECT_EQ(lone[0].id, LibrarySectionID::unsorted());
  EXPECT_EQ(lone[0].title, "Loose");
  EXPECT_TRUE(lone[0].items.empty());
  EXPECT_TRUE(sections(noItems, {}, "Loose", none, {}, true, true).empty());

  // Equal sort indexes order by code points ("Beta" before "beta", a composed "É" after "Z"),
  // then by identifier.
  const std::vector<LibraryProject> projects{
      {uuid(5), "beta", 1}, {uuid(4), "E\u0301cole", 1}, {uuid(3), "Zeta", 1}, {uuid(2), "Beta", 1},
      {uuid(1), "Beta", 1}, {uuid(6), "Last", 2},        {uuid(7), "First", 0}};
  const std::vector<Item> items{item(10, uuid(3)), item(11, uuid(99)), item(12, uuid(6)), item(13)};
  const std::unordered_set<LibrarySectionID> collapsed{LibrarySectionID::project(uuid(3))};
  const auto all = sections(items, projects, "Unsorted", none, collapsed, false, false);
  EXPECT_EQ(titles(all), (std::vector<std::string>{"First", "Beta", "Beta", "Zeta", "beta",
                                                   "E\u0301cole", "Last", "Unsorted"}));
  EXPECT_EQ(all[1].id, LibrarySectionID::project(uuid(1)));
  EXPECT_TRUE(all[0].items.empty());
  EXPECT_TRUE(all[3].isCollapsed);
  EXPECT_EQ(numbers(all[3].items), (std::vector<int>{10}));
  EXPECT_EQ(numbers(all.back().items), (std::vector<int>{11, 13}));
  EXPECT_EQ(titles(sections(items, projects, "Unsorted", none, {}, false, true)),
            (std::vector<std::string>{"Zeta", "Last", "Unsorted"}));
}

TEST(LibrarySectioningTest, DisplayOrderWithinASection) {
  const auto section = LibrarySectionID::project(uuid(100));
  CardOrder order;
  order.move(uuid(3), section, std::nullopt);
  order.move(uuid(1), section, std::nullopt);
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const std::vector<Item> items{
      item(1),
      item(2, {}, false, day(5), day(1)),
      item(3),
      item(4, {}, false, day(5), day(2)),
      item(5, {}, false, day(9)),
      item(6, {}, true),
      item(7, {}, false, std::nullopt, day(2)),
      item(8, {}, false, Date(nan), Date(nan)),
      item(9, {}, false, std::nullopt, day(2)),
  };
  // Pinned without rank, then the manual order, then newest use, newest creation, identifier;
  // damaged dates count as the distant past.
  EXPECT_EQ(numbers(LibrarySectioning::ordered(items, section, order)),
            (std::vector<int>{6, 3, 1, 5, 4, 2, 7, 9, 8}));
  EXPECT_EQ(numbers(LibrarySectioning::ordered(items, LibrarySectionID::unsorted(), order)),
            (std::vector<int>{6, 5, 4, 2, 7, 9, 1, 3, 8}));
}

TEST(LibrarySectioningTest, RootProjectID) {
  using LibrarySectioning::rootProjectID;
  const UUID x = uuid(1), y = uuid(2), z = uuid(3);
  EXPECT_EQ(rootProjectID(x, {}), x);
  EXPECT_EQ(rootProjectID(x, {{x, y}, {y, z}}), z);
  EXPECT_EQ(rootProjectID(x, {{x, y}, {y, x}}), y);
  EXPECT_EQ(rootProjectID(x, {{x, x}}), x);
}

using Columns = std::vector<std::vector<std::size_t>>;

TEST(MasonryLayoutTest, ColumnCount) {
  using MasonryLayout::columnCount;
  constexpr double infinity = std::numeric_limits<double>::infinity();
  constexpr double nan = std::numeric_limits<double>::quiet_NaN();
  struct Case {
    double width, minimumWidth, spacing;
    int lower, upper, expected;
  };
  const Case cases[] = {
      {700, 200, 20, 1, 5, 3},  // 720 / 220 = 3.27
      {1000, 240, 16, 1, 6, 3},          {1040, 240, 16, 1, 6, 4},  {1e300, 200, 20, 1, 5, 5},
      {1e300, 1e-300, 0, 2, 4096, 4096}, {0, 200, 20, 2, 5, 2},     {-1, 200, 20, 2, 5, 2},
      {infinity, 200, 20, 2, 5, 2},      {nan, 200, 20, 2, 5, 2},   {700, 0, 20, 2, 5, 2},
      {700, nan, 20, 2, 5, 2},           {700, 200, -200, 2, 5, 2},  // no meaningful quotient
      {700, 200, nan, 2, 5, 2},          {700, 200, 20, 0, 0, 1},   {700, 200, 20, 3, 2, 3},
      {100, 200, 20, -5, 5, 1},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(columnCount(c.width, c.minimumWidth, c.spacing, c.lower, c.upper), c.expected)
        << c.width << " " << c.minimumWidth << " " << c.spacing;
  }
}

TEST(MasonryLayoutTest, Distribute) {
  using MasonryLayout::distribute;
  const std::vector<double> uneven{100, 50, 50, 50};
  EXPECT_EQ(distribute(uneven, 2, 10), (Columns{{0, 3}, {1, 2}}));
  const std::vector<double> equal(7, 40);
  EXPECT_EQ(distribute(equal, 3, 8), (Columns{{0, 3, 6}, {1, 4}, {2, 5}}));
  EXPECT_EQ(distribute({}, 4, 8), (Columns(4)));
  EXPECT_EQ(distribute(uneven, 0, 10), (Columns{{0, 1, 2, 3}}));
  EXPECT_EQ(distribute(uneven, -2, 10), (Columns{{0, 1, 2, 3}}));
  // Damaged heights count as 0; the spacing between items still decides.
  const std::vector<double> damaged{std::numeric_limits<double>::quiet_NaN(), -5,
                                    std::numeric_limits<double>::infinity(), 30};
  EXPECT_EQ(distribute(damaged, 2, 10), (Columns{{0, 1}, {2, 3}}));
  EXPECT_EQ(distribute(damaged, 2, -10), (Columns{{0, 1, 2, 3}, {}}));
  // Many columns: the same dealing.
  const auto wide = distribute(std::vector<double>(100, 40), 40, 8);
  for (std::size_t index = 0; index < 100; ++index) {
    EXPECT_EQ(wide[index % 40][index / 40], index);
  }
  const std::vector<double> wideUneven{100, 50, 50, 50, 10};
  EXPECT_EQ(distribute(wideUneven, 40, 10)[4], (std::vector<std::size_t>{4}));
  EXPECT_EQ(distribute(uneven, std::numeric_limits<int>::max(), 0).size(),
            static_cast<std::size_t>(MasonryLayout::maximumColumns));
}

}  // namespace
}  // namespace kelvo
