#include "core/model/Shelf.hpp"

#include <gtest/gtest.h>

#include "core/model/Card.hpp"
#include "tests/model/Library.hpp"

namespace kelvo {
namespace {

using testing::day;
using testing::Library;
using testing::uuid;

TEST(ShelfTest, Making) {
  // Without a parent a shelf is in no context; with one it joins the parent's.
  Library library;
  auto loose = Shelf::make(uuid(1), "Loose", 3, day(1), true, nullptr);
  EXPECT_EQ(loose->context(), nullptr);
  EXPECT_TRUE(loose->isDefaultShelf());
  auto parent = library.shelf("Parent");
  auto child = Shelf::make(uuid(2), "Child", 0, day(1), false, parent);
  EXPECT_EQ(child->context(), &library.context());
  EXPECT_EQ(child->parent(), parent);
  library.context().save();
  EXPECT_EQ(parent->children(), (std::vector<std::shared_ptr<Shelf>>{child}));
  EXPECT_EQ(library.context().fetch(Shelf::fetchRequest()).size(), 2u);
}

TEST(ShelfTest, MovingAShelfUpdatesBothParents) {
  Library library;
  auto a = library.shelf("A");
  auto b = library.shelf("B");
  auto child = library.shelf("C", 0, day(0), a);
  auto top = library.shelf("Top");
  library.context().save();

  child->setParent(a);
  top->setParent(nullptr);
  EXPECT_FALSE(library.context().hasChanges());

  child->setParent(b);
  EXPECT_TRUE(a->children().empty());
  EXPECT_EQ(b->children(), (std::vector<std::shared_ptr<Shelf>>{child}));
  EXPECT_EQ(b->childrenStorage()->size(), 1u);
  library.context().save();

  child->setParent(nullptr);
  EXPECT_TRUE(b->children().empty());
  EXPECT_EQ(child->parent(), nullptr);
  library.context().save();
}

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
  library.context().save();
  EXPECT_EQ(a->cards().size(), 2u);

  b->setCardsStorage(std::vector<std::shared_ptr<Card>>{one});
  EXPECT_EQ(one->shelf(), b);
  EXPECT_EQ(a->cards(), (std::vector<std::shared_ptr<Card>>{two}));
  a->setCardsStorage(std::nullopt);
  EXPECT_EQ(two->shelf(), nullptr);
  EXPECT_TRUE(a->cards().empty());
  library.context().save();
}

TEST(ShelfTest, MergeSignature) {
  Library library;
  auto shelf = library.shelf("Work", -3);
  EXPECT_EQ(shelf->mergeSignature(),
            "Work\x1f-3\x1f"
            "0");
  shelf->setIsDefaultShelf(true);
  shelf->setValue("name", std::nullopt);
  shelf->setValue("sortIndex", std::nullopt);
  EXPECT_EQ(shelf->mergeSignature(),
            "\x1f"
            "0\x1f"
            "1");
}

}  // namespace
}  // namespace kelvo
