#include "core/model/KelvoModel.hpp"

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "core/model/Card.hpp"
#include "core/model/ManagedObjectValues.hpp"
#include "core/model/Shelf.hpp"
#include "platform/foundation/Clock.hpp"
#include "tests/model/Library.hpp"
#include "tests/support/TestSupport.hpp"

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
      {"extractedText", "\U0001F600"},
      {"autoTags", data::Value::StringList{"food", "", "\u00fc"}},
      {"createdAt", Date(12.25)},
      {"lastUsedAt", Date(-1e9)},
      {"useCount", INT64_MAX},
      {"isPinned", true},
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

}  // namespace
}  // namespace kelvo
