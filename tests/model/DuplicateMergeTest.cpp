#include "core/model/DuplicateMerge.hpp"

#include <gtest/gtest.h>

#include <limits>
#include <unordered_set>

#include "core/model/Card.hpp"
#include "core/model/DuplicateMergeReport.hpp"
#include "core/model/Shelf.hpp"
#include "core/model/SmartShelf.hpp"
#include "tests/model/Library.hpp"

namespace kelvo {
namespace {

using testing::day;
using testing::Library;
using testing::uuid;
using Counts = DuplicateMergeReport::Counts;

// Whether walking up from every shelf ends: the tree holds no loop.
bool treeEnds(data::Context& context) {
  const auto shelves = context.fetch(Shelf::fetchRequest());
  for (const auto& shelf : shelves) {
    std::size_t steps = 0;
    for (auto current = shelf->parent(); current != nullptr; current = current->parent()) {
      if (++steps > shelves.size()) return false;
    }
  }
  return true;
}

std::shared_ptr<SmartShelf> smartShelf(Library& library, UUID id, std::string name,
                                       Date createdAt) {
  auto shelf = library.insert<SmartShelf>("SmartShelf");
  shelf->setID(id);
  shelf->setValue("name", data::Value(std::move(name)));
  shelf->setValue("createdAt", data::Value(createdAt));
  shelf->setValue("criteria", data::Value("{}"));
  return shelf;
}

TEST(DuplicateMergeTest, WithoutDuplicatesNothingIsSaved) {
  Library library;
  auto shelf = library.shelf("Work");
  library.card("one", day(0), shelf);
  library.card("two", day(0), shelf);
  smartShelf(library, uuid(1), "Recent", day(0));
  library.context().save();
  auto pending = library.card("pending");

  const auto report = DuplicateMerge::run(library.context());
  EXPECT_EQ(report, DuplicateMergeReport());
  EXPECT_TRUE(library.context().hasChanges());
  EXPECT_EQ(library.context().insertedObjects().size(), 1u);
}

TEST(DuplicateMergeTest, TheOlderShelfTakesOverCardsAndChildren) {
  Library library;
  auto survivor = library.shelf("Work", 1, day(1), nullptr, uuid(1));
  auto duplicate = library.shelf("Work copy", 2, day(2), nullptr, uuid(1));
  auto child = library.shelf("Child", 0, day(0), duplicate);
  auto card = library.card("on the copy", day(0), duplicate);
  // The card's own copy has no shelf; shelves merge first, so the survivor keeps one.
  library.card("on the copy", day(5), nullptr, card->id());
  // Smart shelves are only deleted.
  auto smart = smartShelf(library, uuid(2), "Recent", day(1));
  smartShelf(library, uuid(2), "Recent copy", day(2));
  library.context().save();

  const auto report = DuplicateMerge::run(library.context());
  EXPECT_EQ(report.removed, (Counts{{"Card", 1}, {"Shelf", 1}, {"SmartShelf", 1}}));
  EXPECT_EQ(library.context().fetch(data::FetchRequest<SmartShelf>("SmartShelf")),
            (std::vector<std::shared_ptr<SmartShelf>>{smart}));
  EXPECT_FALSE(library.context().hasChanges());

  EXPECT_EQ(library.context().fetch(Shelf::fetchRequest()).size(), 2u);
  EXPECT_EQ(child->parent(), survivor);
  EXPECT_EQ(survivor->children(), (std::vector<std::shared_ptr<Shelf>>{child}));
  EXPECT_EQ(card->shelf(), survivor);
  EXPECT_EQ(library.context().fetch(Card::fetchRequest()),
            (std::vector<std::shared_ptr<Card>>{card}));
  EXPECT_EQ(survivor->name(), "Work");
}

TEST(DuplicateMergeTest, ParentsAndTheDefaultFlag) {
  Library library;
  // The survivor sat in its own duplicate: it moves up to the duplicate's parent.
  auto grandparent = library.shelf("Grandparent");
  auto upper = library.shelf("Upper", 0, day(2), grandparent, uuid(1));
  auto lower = library.shelf("Lower", 0, day(1), upper, uuid(1));
  // Survivor and duplicate are each other's parents: the survivor becomes a project.
  auto first = library.shelf("First", 0, day(1), nullptr, uuid(2));
  auto second = library.shelf("Second", 0, day(2), first, uuid(2));
  first->setParent(second);
  // A duplicate of the default shelf makes the survivor the default shelf.
  auto plain = library.shelf("Plain", 0, day(1), nullptr, uuid(3));
  auto flagged = library.shelf("Unsorted", 0, day(2), nullptr, uuid(3));
  flagged->setIsDefaultShelf(true);
  library.context().save();

  const auto report = DuplicateMerge::run(library.context());
  EXPECT_EQ(report.removed, (Counts{{"Shelf", 3}}));
  EXPECT_EQ(lower->parent(), grandparent);
  EXPECT_EQ(grandparent->children(), (std::vector<std::shared_ptr<Shelf>>{lower}));
  EXPECT_EQ(first->parent(), nullptr);
  EXPECT_TRUE(first->children().empty());
  EXPECT_TRUE(plain->isDefaultShelf());
  EXPECT_TRUE(treeEnds(library.context()));
}

TEST(DuplicateMergeTest, AbsorbingNeverMakesALoop) {
  Library library;
  // The duplicate holds the survivor two levels down: duplicate > middle > survivor. Making
  // the middle shelf a child of the survivor would close a loop; it becomes a project.
  auto duplicate = library.shelf("Copy", 0, day(2), nullptr, uuid(1));
  auto middle = library.shelf("Middle", 0, day(0), duplicate);
  auto survivor = library.shelf("Original", 0, day(1), middle, uuid(1));
  auto sibling = library.shelf("Sibling", 0, day(0), duplicate);
  // A stored loop through a duplicate: a > b(copy of a) > c > a.
  auto a = library.shelf("A", 0, day(1), nullptr, uuid(2));
  auto b = library.shelf("B", 0, day(2), nullptr, uuid(2));
  auto c = library.shelf("C", 0, day(0), b);
  a->setParent(b);
  b->setParent(c);
  c->setParent(a);
  library.context().save();

  const auto report = DuplicateMerge::run(library.context());
  EXPECT_EQ(report.removed, (Counts{{"Shelf", 2}}));
  EXPECT_FALSE(report.saveFailed);
  EXPECT_EQ(middle->parent(), nullptr);
  EXPECT_EQ(survivor->parent(), middle);
  EXPECT_EQ(sibling->parent(), survivor);
  EXPECT_EQ(a->parent(), nullptr);
  EXPECT_EQ(c->parent(), a);
  EXPECT_TRUE(treeEnds(library.context()));
}

TEST(DuplicateMergeTest, EqualMomentsFallToTheSignature) {
  Library library;
  library.shelf("Beta", 0, day(1), nullptr, uuid(1));
  auto alpha = library.shelf("Alpha", 0, day(1), nullptr, uuid(1));
  // Upper case before lower case, by scalar value.
  library.shelf("notes", 0, day(1), nullptr, uuid(2));
  auto upper = library.shelf("Notes", 0, day(1), nullptr, uuid(2));
  // Canonically equal names cannot be told apart.
  auto composed = library.shelf("Caf\u00e9", 0, day(1), nullptr, uuid(3));
  auto decomposed = library.shelf("Cafe\u0301", 0, day(1), nullptr, uuid(3));
  for (int i = 0; i < 3; ++i) library.card("Same", day(1), nullptr, uuid(4));
  library.context().save();
  auto pending = library.card("pending");

  const auto report = DuplicateMerge::run(library.context());
  EXPECT_EQ(report.removed, (Counts{{"Shelf", 2}}));
  EXPECT_EQ(report.indistinguishable, (Counts{{"Card", 2}, {"Shelf", 1}}));
  // Indistinguishable records stay, and the caller's pending change is saved.
  EXPECT_FALSE(library.context().hasChanges());
  EXPECT_EQ(library.context().fetch(Card::fetchRequest()).size(), 4u);
  const auto shelves = library.context().fetch(Shelf::fetchRequest());
  const std::unordered_set<std::shared_ptr<Shelf>> left(shelves.begin(), shelves.end());
  EXPECT_EQ(left, (std::unordered_set<std::shared_ptr<Shelf>>{alpha, upper, composed, decomposed}));
}

TEST(DuplicateMergeTest, CardAbsorptionRules) {
  Library library;
  auto shelf = library.shelf("Shelf");
  auto other = library.shelf("Other");
  // Counts 3 and 5, last uses a day apart, one pinned; the survivor has no shelf.
  auto survivor = library.card("Kept", day(1), nullptr, uuid(1));
  survivor->setUseCount(3);
  survivor->setLastUsedAt(day(11));
  survivor->setIsLocked(true);
  auto copy = library.card("Copy", day(2), shelf, uuid(1));
  copy->setUseCount(5);
  copy->setLastUsedAt(day(10));
  copy->setIsPinned(true);
  auto newer = library.card("Newer", day(3), other, uuid(1));
  newer->setLastUsedAt(day(12));
  // Trashed survivor, one absorbed copy outside the trash: it comes out.
  auto trashed = library.card("Trashed", day(1), nullptr, uuid(2));
  trashed->setDeletedAt(day(20));
  library.card("Trashed copy", day(2), nullptr, uuid(2))->setDeletedAt(day(21));
  library.card("Live copy", day(3), nullptr, uuid(2));
  // Every absorbed copy in the trash: the survivor stays there.
  auto staying = library.card("Staying", day(1), nullptr, uuid(3));
  staying->setDeletedAt(day(20));
  library.card("Staying copy", day(2), nullptr, uuid(3))->setDeletedAt(day(25));
  library.context().save();

  const auto report = DuplicateMerge::run(library.context());
  EXPECT_EQ(report.removed, (Counts{{"Card", 5}}));
  EXPECT_EQ(survivor->useCount(), 5);
  EXPECT_EQ(survivor->lastUsedAt(), day(12));
  EXPECT_TRUE(survivor->isPinned());
  EXPECT_TRUE(survivor->isLocked());
  EXPECT_EQ(survivor->shelf(), shelf);  // the first absorbed copy's shelf
  EXPECT_EQ(survivor->title(), "Kept");
  EXPECT_TRUE(other->cards().empty());
  EXPECT_FALSE(trashed->isTrashed());
  EXPECT_EQ(staying->deletedAt(), day(20));
  EXPECT_EQ(library.context().fetch(Card::fetchRequest()).size(), 3u);
}

TEST(DuplicateMergeTest, AFailedSaveRollsEverythingBack) {
  Library library;
  auto survivor = library.card("Kept", day(1), nullptr, uuid(1));
  library.card("Copy", day(2), nullptr, uuid(1));
  library.context().save();
  // The caller's own unsaved changes, one of which the store will refuse.
  survivor->setTitle("Renamed");
  auto broken = library.card("Broken");
  broken->setValue("payload", std::nullopt);

  const auto report = DuplicateMerge::run(library.context());
  EXPECT_TRUE(report.saveFailed);
  EXPECT_TRUE(report.removed.empty());
  EXPECT_TRUE(report.indistinguishable.empty());
  EXPECT_FALSE(library.context().hasChanges());
  EXPECT_EQ(survivor->title(), "Kept");
  EXPECT_EQ(broken->context(), nullptr);
  EXPECT_EQ(library.context().fetch(Card::fetchRequest()).size(), 2u);
}

TEST(DuplicateMergeTest, IdentifiersAsTheModelGivesThem) {
  Library library;
  // Objects inserted without an identifier share the model's default one, and merge.
  auto b = library.insert<Card>("Card");
  b->setTitle("b");
  auto a = library.insert<Card>("Card");
  a->setTitle("a");
  EXPECT_EQ(a->id(), b->id());
  const auto report = DuplicateMerge::run(library.context());
  EXPECT_EQ(report.removedCount(Card::mergeEntityName), 1);
  EXPECT_EQ(library.context().fetch(Card::fetchRequest()), (std::vector<std::shared_ptr<Card>>{a}));
}

TEST(DuplicateMergeTest, PreferredPicksSurvivorsWithoutChangingAnything) {
  Library library;
  EXPECT_TRUE(DuplicateMerge::preferred(std::vector<std::shared_ptr<Card>>()).empty());

  auto one = library.card("one", day(1), nullptr, uuid(1));
  auto two = library.card("two", day(1), nullptr, uuid(2));
  auto twin = library.card("one", day(1), nullptr, uuid(1));
  // The oldest wins wherever it stands; a record without a creation moment is oldest of all.
  auto newest = library.card("one", day(9), nullptr, uuid(1));
  library.context().save();
  EXPECT_EQ(DuplicateMerge::preferred(std::vector{newest, one, twin}), (std::vector{one}));
  EXPECT_FALSE(library.context().hasChanges());
  twin->setValue("createdAt", std::nullopt);
  EXPECT_EQ(DuplicateMerge::preferred(std::vector{newest, one, twin}), (std::vector{twin}));
  // A record listed twice is returned once.
  EXPECT_EQ(DuplicateMerge::preferred(std::vector{two, two}), (std::vector{two}));
}

// What the guide tells hosts to keep clear of: a link to a shelf the merge folded away, or to one
// deleted from the context.
TEST(DuplicateMergeDeathTest, LinkingToAFoldedOrDeletedShelfStopsTheProcess) {
  EXPECT_DEATH(
      {
        Library library;
        library.shelf("Work", 0, day(1), nullptr, uuid(1));
        const auto folded = library.shelf("Work", 0, day(2), nullptr, uuid(1));
        const auto card = library.card("kept", day(0), nullptr);
        library.context().save();
        DuplicateMerge::run(library.context());
        card->setShelf(folded);
      },
      "Card.shelf cannot relate objects of two different contexts");
  EXPECT_DEATH(
      {
        Library library;
        const auto gone = library.shelf("Gone");
        library.context().save();
        library.context().deleteObject(*gone);
        Card::make({.id = uuid(2), .shelf = gone});
      },
      "Card.shelf cannot relate a deleted object");
  EXPECT_DEATH(
      {
        Library library;
        const auto gone = library.shelf("Gone");
        library.context().save();
        library.context().deleteObject(*gone);
        Shelf::make(uuid(3), "Inside", 0, day(0), false, gone);
      },
      "Shelf.parent cannot relate a deleted object");
}

TEST(DuplicateMergeReportTest, SumsLookUpsAndEmptiness) {
  DuplicateMergeReport report;
  report.removed = {{"Shelf", 1}, {"Card", 4}};
  report.indistinguishable = {{"Card", 2}};
  EXPECT_EQ(report.removedCount(), 5);
  EXPECT_EQ(report.indistinguishableCount(), 2);
  EXPECT_EQ(report.removedCount("Card"), 4);
  EXPECT_EQ(report.removedCount("card"), 0);

  // A failed save plays no part in emptiness, but does in equality.
  DuplicateMergeReport failed;
  failed.saveFailed = true;
  EXPECT_TRUE(failed.isEmpty());
  EXPECT_NE(failed, DuplicateMergeReport());
  failed.indistinguishable = {{"Card", 1}};
  EXPECT_FALSE(failed.isEmpty());

  // Sums never overflow.
  report.removed = {{"Card", std::numeric_limits<std::int64_t>::max()}, {"Shelf", 1}};
  EXPECT_EQ(report.removedCount(), std::numeric_limits<std::int64_t>::max());
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
