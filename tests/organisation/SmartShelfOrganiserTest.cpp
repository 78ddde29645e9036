#include "core/organisation/SmartShelfOrganiser.hpp"

#include <gtest/gtest.h>

#include <limits>
#include <memory>

#include "core/model/SmartShelf.hpp"
#include "tests/model/Library.hpp"

namespace kelvo {
namespace {

using P = CardPredicate;

const SmartShelfCriteria criteria(SmartShelfCriteria::currentVersion, "tax", P::neverUsed(),
                                  CardSort::title);

TEST(SmartShelfOrganiserTest, CreatesUpToTheCap) {
  testing::Library library;
  auto& context = library.context();
  for (int i = 0; i < 10; ++i) {
    context.insert(SmartShelf::make(UUID::random(), "S", i == 4 ? 40 : i, Date(0), ""));
  }
  context.save();
  auto pending = SmartShelf::make(UUID::random(), "Pending", 7, Date(0), "");
  context.insert(pending);  // eleven, one of them unsaved

  const auto made = SmartShelfOrganiser::create("Untouched", criteria, context, Date(99));
  const auto* shelf = std::get_if<std::shared_ptr<SmartShelf>>(&made);
  ASSERT_NE(shelf, nullptr);
  EXPECT_EQ((*shelf)->sortIndex(), 41);
  EXPECT_EQ(SmartShelfCriteria::decode((*shelf)->criteriaJSON()), criteria);
  EXPECT_EQ((*shelf)->context(), &context);
  EXPECT_TRUE(context.hasChanges());

  const auto refused = SmartShelfOrganiser::create("Thirteenth", criteria, context, Date(99));
  ASSERT_TRUE(std::holds_alternative<ShelfRefusal>(refused));
  EXPECT_EQ(std::get<ShelfRefusal>(refused), ShelfRefusal::smartShelfCapReached(12));
  EXPECT_EQ(std::get<ShelfRefusal>(refused).message(),
            "Kelvo tops out at 12 smart shelves. Delete one you no longer use to make room.");
  EXPECT_EQ(context.count(SmartShelf::fetchRequest()), 12u);

  context.deleteObject(*pending);
  EXPECT_TRUE(std::holds_alternative<std::shared_ptr<SmartShelf>>(
      SmartShelfOrganiser::create("Again", criteria, context, Date(99))));
}

TEST(SmartShelfOrganiserTest, SortIndexSaturatesAndOpenReportsUnreadable) {
  testing::Library library;
  auto& context = library.context();
  const auto first = SmartShelfOrganiser::create("First", criteria, context, Date(1));
  EXPECT_EQ(std::get<std::shared_ptr<SmartShelf>>(first)->sortIndex(), 0);
  context.insert(SmartShelf::make(UUID::random(), "Last", std::numeric_limits<std::int64_t>::max(),
                                  Date(0), "{}"));
  const auto next = SmartShelfOrganiser::create("Next", criteria, context, Date(1));
  EXPECT_EQ(std::get<std::shared_ptr<SmartShelf>>(next)->sortIndex(),
            std::numeric_limits<std::int64_t>::max());

  const auto unreadable = SmartShelf::make(UUID::random(), "Later", 0, Date(0), "{}");
  const auto opened = SmartShelfOrganiser::open(*unreadable);
  ASSERT_TRUE(std::holds_alternative<ShelfRefusal>(opened));
  EXPECT_EQ(std::get<ShelfRefusal>(opened).message(),
            "This smart shelf was made by a newer version of Kelvo. Update Kelvo to open it "
            "\u2014 nothing has been lost.");
  const auto readable = std::get<std::shared_ptr<SmartShelf>>(first);
  const auto search = SmartShelfOrganiser::open(*readable);
  ASSERT_TRUE(std::holds_alternative<SavedSearch>(search));
  EXPECT_EQ(std::get<SavedSearch>(search).name(), "First");
  EXPECT_EQ(std::get<SavedSearch>(search).id(), readable->id());
}

}  // namespace
}  // namespace kelvo
