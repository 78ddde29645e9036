#include "core/model/Shelf.hpp"

#include <gtest/gtest.h>

#include "core/model/Card.hpp"
#include "tests/model/Library.hpp"

namespace kelvo {
namespace {

using testing::day;
using testing::Library;
using testing::uuid;

TEST(ShelfTest, ChildrenAreListedOncePerIdentifier) {
  Library library;
  auto parent = library.shelf("Parent");
  library.shelf("Twin", 0, day(2), parent, uuid(5));
  auto earlier = library.shelf("Twin", 0, day(1), parent, uuid(5));
  auto other = library.shelf("Other", 1, day(0), parent, uuid(6));
  library.context().save();
  EXPECT_EQ(parent->childrenStorage()->size(), 3u);
  EXPECT_EQ(parent->children(), (std::vector<std::shared_ptr<Shelf>>{earlier, other}));

  // A child without a stored identifier is held but never listed.
  auto anonymous = library.shelf("Anonymous", 0, day(0), parent);
  anonymous->setValue("id", std::nullopt);
  EXPECT_EQ(parent->childrenStorage()->size(), 4u);
  EXPECT_EQ(parent->children(), (std::vector<std::shared_ptr<Shelf>>{earlier, other}));
}

TEST(ShelfTest, CardsAreTheCardsStorage) {
  Library library;
  auto a = library.shelf("A");
  auto b = library.shelf("B");
  auto one = library.card("one", day(0), a);
  auto two = library.card("two", day(0), a);
  auto top = library.shelf("Top", 0, day(0), a);
  library.context().save();
  EXPECT_EQ(a->cards().size(), 2u);
  // Setting what is already set changes nothing.
  one->setShelf(a);
  top->setParent(a);
  EXPECT_FALSE(library.context().hasChanges());

  b->setCardsStorage(std::vector<std::shared_ptr<Card>>{one});
  EXPECT_EQ(one->shelf(), b);
  EXPECT_EQ(a->cards(), (std::vector<std::shared_ptr<Card>>{two}));
  a->setCardsStorage(std::nullopt);
  EXPECT_EQ(two->shelf(), nullptr);
  EXPECT_TRUE(a->cards().empty());
  library.context().save();
}

}  // namespace
}  // namespace kelvo
