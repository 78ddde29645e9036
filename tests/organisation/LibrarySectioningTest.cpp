#include "core/organisation/LibrarySectioning.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

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

}  // namespace
}  // namespace kelvo
