#include "core/organisation/ShelfHierarchy.hpp"

#include <gtest/gtest.h>

#include "core/model/Shelf.hpp"
#include "platform/foundation/Locale.hpp"
#include "tests/model/Library.hpp"

namespace kelvo {
namespace {

using testing::day;
using testing::Library;
using testing::uuid;

std::vector<std::string> childNames(const Shelf& parent) {
  std::vector<std::string> names;
  for (const auto& child : parent.children()) names.push_back(child->name());
  return names;
}

TEST(ShelfHierarchyTest, SiblingOrderInAStore) {
  Library library;
  auto byIndex = library.shelf("By index");
  library.shelf("Second", 2, day(0), byIndex);
  library.shelf("First", 1, day(0), byIndex);

  auto withDefault = library.shelf("With default");
  auto unsorted = library.shelf("Unsorted", 0, day(0), withDefault);
  unsorted->setIsDefaultShelf(true);
  library.shelf("Two", 2, day(0), withDefault);
  library.shelf("One", 1, day(0), withDefault);

  auto byName = library.shelf("By name");
  library.shelf("beta", 0, day(0), byName);
  library.shelf("Alpha", 0, day(0), byName);

  // Names that differ only in case fall to the identifiers' texts.
  auto byID = library.shelf("By identifier");
  auto upper = library.shelf("Notes", 0, day(0), byID, uuid(2));
  auto lower = library.shelf("notes", 0, day(0), byID, uuid(1));
  library.context().save();

  EXPECT_EQ(childNames(*byIndex), (std::vector<std::string>{"First", "Second"}));
  EXPECT_EQ(childNames(*withDefault), (std::vector<std::string>{"One", "Two", "Unsorted"}));
  EXPECT_EQ(childNames(*byName), (std::vector<std::string>{"Alpha", "beta"}));
  EXPECT_EQ(childNames(*byID), (std::vector<std::string>{"notes", "Notes"}));
  EXPECT_TRUE(ShelfHierarchy::areInIncreasingOrder(*lower, *upper));
  EXPECT_FALSE(ShelfHierarchy::areInIncreasingOrder(*upper, *lower));
  EXPECT_FALSE(ShelfHierarchy::areInIncreasingOrder(*upper, *upper));
  // A default shelf follows siblings whatever their sort indexes.
  unsorted->setSortIndex(-100);
  EXPECT_EQ(childNames(*withDefault), (std::vector<std::string>{"One", "Two", "Unsorted"}));
}

TEST(ShelfHierarchyTest, MissingValuesSortAsTheirDefaults) {
  Library library;
  auto parent = library.shelf("Parent");
  library.shelf("Minus", -1, day(0), parent);
  auto noIndex = library.shelf("No index", 5, day(0), parent);
  noIndex->setValue("sortIndex", std::nullopt);
  auto noName = library.shelf("", 0, day(0), parent);
  noName->setValue("name", std::nullopt);
  auto noFlag = library.shelf("Plain", 1, day(0), parent);
  noFlag->setValue("isDefaultShelf", std::nullopt);
  EXPECT_EQ(childNames(*parent), (std::vector<std::string>{"Minus", "", "No index", "Plain"}));
}

TEST(ShelfHierarchyTest, NamesCompareInTheCurrentLocale) {
  Library library;
  auto parent = library.shelf("Parent");
  library.shelf("\u00c9t\u00e9", 0, day(0), parent, uuid(1));
  library.shelf("ete", 0, day(0), parent, uuid(2));
  library.shelf("Zebra", 0, day(0), parent, uuid(3));
  library.shelf("\u00e4rger", 0, day(0), parent, uuid(4));
  // Accents still tell names apart; case does not.
  EXPECT_EQ(childNames(*parent),
            (std::vector<std::string>{"\u00e4rger", "ete", "\u00c9t\u00e9", "Zebra"}));
  // Swedish sorts "ä" after "z".
  Locale::setCurrent(Locale("sv_SE"));
  EXPECT_EQ(childNames(*parent),
            (std::vector<std::string>{"ete", "\u00c9t\u00e9", "Zebra", "\u00e4rger"}));
}

}  // namespace
}  // namespace kelvo
