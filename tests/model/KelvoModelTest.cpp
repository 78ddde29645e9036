#include "core/model/KelvoModel.hpp"

#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "core/model/Card.hpp"
#include "core/model/CardSyncState.hpp"
#include "core/model/CardTileLayout.hpp"
#include "core/model/CardType.hpp"
#include "core/model/FactKind.hpp"
#include "core/model/KelvoPersistence.hpp"
#include "core/model/LinkPreviewPolicy.hpp"
#include "core/model/ManagedObjectValues.hpp"
#include "core/model/SmartShelf.hpp"
#include "platform/data/StoreCoordinator.hpp"
#include "tests/data/EveryAttributeChange.hpp"
#include "tests/model/Library.hpp"
#include "tests/support/RawValuesTests.hpp"
#include "tests/support/TestSupport.hpp"

namespace kelvo::testing {
using ModelEnumerations =
    ::testing::Types<CardSyncState, CardTileLayout, CardType, FactKind, LinkPreviewPolicy::Outcome>;
INSTANTIATE_TYPED_TEST_SUITE_P(Model, RawValuesTest, ModelEnumerations);
}  // namespace kelvo::testing

namespace kelvo {
namespace {

using testing::Library;

TEST(KelvoModelTest, ExactlyTheOptionalAttributesGoWithoutADefault) {
  for (const auto& entity : KelvoModel::shared()->entities()) {
    for (const auto& attribute : entity->attributes()) {
      EXPECT_EQ(attribute.isOptional, !attribute.defaultValue)
          << entity->name() << "." << attribute.name;
    }
  }
}

TEST(KelvoModelDeathTest, UnknownEntityStopsTheProcess) {
  EXPECT_DEATH(KelvoModel::entity("card"), "KelvoModel has no entity named card");
  EXPECT_DEATH(KelvoModel::entity(""), "KelvoModel has no entity named ");
}

TEST(KelvoModelTest, DeletingAShelfNullifiesItsCardsAndChildren) {
  Library library;
  const auto make = [&](std::string_view entity) {
    auto object = library.insert(entity);
    object->setValue("id", UUID::random());
    return object;
  };
  auto parent = make("Shelf");
  auto shelf = make("Shelf");
  auto child = make("Shelf");
  auto card = make("Card");
  shelf->setValue("parent", data::Value(parent));
  child->setValue("parent", data::Value(shelf));
  card->setValue("shelf", data::Value(shelf));
  auto& context = library.context();
  context.save();

  context.deleteObject(*shelf);
  EXPECT_FALSE(card->value("shelf"));
  EXPECT_FALSE(child->value("parent"));
  EXPECT_TRUE(parent->value("childrenStorage")->objectSet()->empty());
  context.save();
  // Nothing cascades: the card, the child and the parent are all still there.
  data::Context fresh(context.coordinator());
  EXPECT_EQ(fresh.count("Card"), 1u);
  EXPECT_EQ(fresh.count("Shelf"), 2u);
  for (const auto& object : fresh.fetch("Shelf")) EXPECT_FALSE(object->value("parent"));
  EXPECT_FALSE(fresh.fetch("Card").front()->value("shelf"));
}

TEST(KelvoModelTest, AStoreFileKeepsValuesOfEveryKind) {
  kelvo::testing::TemporaryDirectory folder;
  const auto description = KelvoPersistence::description(folder.path() / "Kelvo.store");
  const UUID shelfID = UUID::random();
  const std::vector<std::pair<const char*, data::Value>> cardValues{
      {"id", UUID::random()},
      {"title", "Caf\u00e9 \"menu\""},
      {"payload", std::string("line\nwith\0nul", 14)},
      {"autoTags", data::Value::StringList{"food", "", "\u00fc"}},
      {"createdAt", Date(12.25)},
      {"lastUsedAt", Date(-1e9)},
      {"useCount", INT64_MAX},
      {"isPayloadAvailable", false},
      {"pageCount", INT64_MIN},
      {"payloadData", data::Bytes{0, 255, 0, 1}},
      {"thumbnailData", data::Bytes{}}};
  {
    auto container = testing::openStores({description});
    auto& context = container->viewContext();
    auto shelf = data::ManagedObject::make(KelvoModel::entity("Shelf"), &context);
    shelf->setValue("id", shelfID);
    shelf->setValue("isDefaultShelf", true);
    auto card = data::ManagedObject::make(KelvoModel::entity("Card"), &context);
    for (const auto& [key, value] : cardValues) card->setValue(key, value);
    card->setValue("shelf", data::Value(shelf));
    context.save();
  }
  auto container = testing::openStores({description});
  auto& context = container->viewContext();
  const auto cards = context.fetch(data::FetchRequest<Card>("Card"));
  ASSERT_EQ(cards.size(), 1u);
  for (const auto& [key, value] : cardValues) EXPECT_EQ(cards[0]->value(key), value) << key;
  const auto shelf = cards[0]->value("shelf")->object();
  ASSERT_NE(shelf, nullptr);
  EXPECT_EQ(uuidValue(*shelf, "id"), shelfID);
  EXPECT_TRUE(boolValue(*shelf, "isDefaultShelf", false));
}

// A move reads neither end's members: what another writer puts on a shelf after the move shows
// when that shelf's cards are first read, and the move itself is kept.
TEST(KelvoModelTest, MovingACardOrAShelfReadsNeitherEndsMembers) {
  Library library;
  const auto inbox = library.shelf("Inbox");
  const auto work = library.shelf("Work");
  const auto project = library.shelf("Project");
  const auto other = library.shelf("Other");
  library.shelf("Child", 0, testing::day(0), project);
  library.card("first", testing::day(0), inbox);
  library.card("second", testing::day(0), work);
  library.context().save();

  const auto named = [](data::Context& context, const std::string& name) {
    for (const auto& shelf : context.fetch(Shelf::fetchRequest())) {
      if (shelf->name() == name) return shelf;
    }
    return std::shared_ptr<Shelf>();
  };
  const auto titles = [](const std::vector<std::shared_ptr<Card>>& cards) {
    std::set<std::string> result;
    for (const auto& card : cards) result.insert(card->title());
    return result;
  };
  const auto names = [](const std::vector<std::shared_ptr<Shelf>>& shelves) {
    std::set<std::string> result;
    for (const auto& shelf : shelves) result.insert(shelf->name());
    return result;
  };
  data::Context mover(library.context().coordinator());
  for (const auto& card : mover.fetch(Card::fetchRequest())) {
    if (card->title() == "first") card->setShelf(named(mover, "Work"));
  }
  named(mover, "Child")->setParent(named(mover, "Other"));

  data::Context writer(library.context().coordinator());
  Card::make({.id = UUID::random(), .title = "third", .shelf = named(writer, "Inbox")});
  Card::make({.id = UUID::random(), .title = "fourth", .shelf = named(writer, "Work")});
  Shelf::make(UUID::random(), "Late", 1, testing::day(1), false, named(writer, "Project"));
  writer.save();

  EXPECT_EQ(titles(named(mover, "Inbox")->cards()), (std::set<std::string>{"third"}));
  EXPECT_EQ(titles(named(mover, "Work")->cards()),
            (std::set<std::string>{"first", "second", "fourth"}));
  EXPECT_EQ(names(named(mover, "Project")->children()), (std::set<std::string>{"Late"}));
  EXPECT_EQ(names(named(mover, "Other")->children()), (std::set<std::string>{"Child"}));
  mover.save();
  data::Context reader(library.context().coordinator());
  EXPECT_EQ(titles(named(reader, "Work")->cards()),
            (std::set<std::string>{"first", "second", "fourth"}));
  EXPECT_EQ(named(reader, "Child")->parent(), named(reader, "Other"));
}

// Every column of every entity of the library, the update path included.
TEST(KelvoModelTest, EveryAttributeChangedAloneReachesTheStoreFile) {
  kelvo::testing::TemporaryDirectory folder;
  data::testing::expectEveryAttributeChangeSaved(KelvoModel::shared(),
                                                 folder.path() / "Kelvo.store");
}

using kelvo::testing::TemporaryDirectory;
using testing::openStores;

TEST(KelvoPersistenceTest, StoreURLIsInTheApplicationSupportFolder) {
  TemporaryDirectory home;
  const FileManager files(home.path() / "data", home.path() / "config");
  const auto url = KelvoPersistence::storeURL(KelvoPersistence::storeName, files);
  EXPECT_EQ(url, home.path() / "data" / "Kelvo.store");
  EXPECT_TRUE(std::filesystem::is_directory(home.path() / "data"));
  // A folder that cannot be made is reported, not papered over.
  const FileManager blocked(home.path() / "data" / "Kelvo.store" / "x", home.path());
  std::ofstream(home.path() / "data" / "Kelvo.store") << "a file";
  EXPECT_THROW(KelvoPersistence::storeURL("Kelvo", blocked), FileError);
}

TEST(KelvoPersistenceTest, IsInMemoryOnlyWhenEveryStoreIs) {
  auto container = KelvoPersistence::inMemoryContainer("Kelvo");
  auto& context = container->viewContext();
  EXPECT_TRUE(KelvoPersistence::isInMemory(context));
  EXPECT_EQ(context.mergePolicy(), data::MergePolicy::mergeByPropertyObjectTrump);
  // Each container is its own private database.
  data::ManagedObject::make(KelvoModel::entity("Card"), &context)->setValue("id", UUID::random());
  context.save();
  EXPECT_EQ(KelvoPersistence::inMemoryContainer("Kelvo")->viewContext().count("Card"), 0u);

  data::StoreDescription memoryType(std::filesystem::path("/var/anything.store"));
  memoryType.type = data::StoreType::inMemory;
  EXPECT_TRUE(KelvoPersistence::isInMemory(openStores({memoryType})->viewContext()));

  TemporaryDirectory folder;
  const auto disk = KelvoPersistence::description(folder.path() / "Kelvo.store");
  EXPECT_FALSE(KelvoPersistence::isInMemory(openStores({disk})->viewContext()));
  EXPECT_FALSE(KelvoPersistence::isInMemory(
      openStores({KelvoPersistence::inMemoryDescription(), disk})->viewContext()));

  EXPECT_FALSE(KelvoPersistence::isInMemory(data::Context()));
  EXPECT_FALSE(KelvoPersistence::isInMemory(
      data::Context(std::make_shared<data::StoreCoordinator>(KelvoModel::shared()))));

  // Configuring a context leaves its stores alone.
  data::Context bare;
  KelvoPersistence::configure(bare);
  EXPECT_EQ(bare.mergePolicy(), data::MergePolicy::mergeByPropertyObjectTrump);
  EXPECT_FALSE(KelvoPersistence::isInMemory(bare));
}

using testing::Library;

TEST(ManagedObjectValuesTest, MissingAndMistypedValuesReadAsTheDefault) {
  Library library;
  const auto card = library.insert("Card");
  card->setValue("useCount", std::nullopt);
  card->setValue("isPayloadAvailable", std::nullopt);
  EXPECT_EQ(intValue(*card, "useCount", 7), 7);
  EXPECT_TRUE(boolValue(*card, "isPayloadAvailable", true));
  EXPECT_FALSE(boolValue(*card, "isPayloadAvailable", false));

  // Values of another kind under a key (refused only when the context saves).
  card->setValue("useCount", "3");
  card->setValue("title", 5);
  card->setValue("isPinned", 2);
  card->setValue("createdAt", "yesterday");
  card->setValue("id", "E621E1F8-C36C-495A-93FC-0C247A3E6E5F");
  EXPECT_EQ(intValue(*card, "useCount", 0), 0);
  EXPECT_EQ(stringValue(*card, "title", ""), "");
  EXPECT_TRUE(boolValue(*card, "isPinned", true));
  EXPECT_EQ(dateValue(*card, "createdAt", Date::distantPast()), Date::distantPast());
  EXPECT_FALSE(uuidValue(*card, "id"));
  EXPECT_FALSE(optionalStringValue(*card, "title"));
  EXPECT_FALSE(optionalDataValue(*card, "title"));
  // A number of 0 or 1 reads as a Boolean; a Boolean reads as a number.
  card->setValue("isPinned", 1);
  card->setValue("useCount", true);
  EXPECT_TRUE(boolValue(*card, "isPinned", false));
  EXPECT_EQ(intValue(*card, "useCount", 0), 1);
  EXPECT_EQ(card->value("title"), data::Value(5));  // nothing read was written back
}

TEST(ManagedObjectValuesTest, ReadersNeverWriteBack) {
  Library library;
  library.insert<Card>("Card")->setID(UUID::random());
  library.context().save();
  data::Context other(library.context().coordinator());
  const auto stored = other.fetch(data::FetchRequest<Card>("Card")).front();
  EXPECT_EQ(dateValue(*stored, "lastUsedAt", Date(5)), Date(5));
  EXPECT_EQ(stringValue(*stored, "sourceApp", "Mail"), "Mail");
  EXPECT_EQ(intValue(*stored, "pageCount", 3), 3);
  EXPECT_FALSE(optionalDataValue(*stored, "payloadData"));
  EXPECT_FALSE(other.hasChanges());
  EXPECT_FALSE(stored->value("lastUsedAt"));
  EXPECT_FALSE(stored->value("sourceApp"));
  EXPECT_FALSE(stored->value("pageCount"));
}

TEST(ManagedObjectValuesTest, AMissingIdentifierIsFreshAtEveryRead) {
  Library library;
  const auto card = library.insert<Card>("Card");
  const auto smartShelf = library.insert<SmartShelf>("SmartShelf");
  card->setValue("id", std::nullopt);
  smartShelf->setValue("id", std::nullopt);
  EXPECT_NE(card->id(), card->id());
  EXPECT_NE(smartShelf->id(), smartShelf->id());
  // A stored identifier is read, not drawn.
  const UUID id = UUID::random();
  smartShelf->setID(id);
  EXPECT_EQ(smartShelf->id(), id);
}

}  // namespace
}  // namespace kelvo
