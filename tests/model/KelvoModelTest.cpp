#include "core/model/KelvoModel.hpp"

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "core/model/Automation.hpp"
#include "core/model/Card.hpp"
#include "core/model/CardReminder.hpp"
#include "core/model/KelvoPersistence.hpp"
#include "core/model/ManagedObjectValues.hpp"
#include "core/model/Shelf.hpp"
#include "core/model/SmartShelf.hpp"
#include "platform/data/ValueTransformer.hpp"
#include "platform/foundation/Clock.hpp"
#include "tests/support/TestSupport.hpp"

namespace kelvo {
namespace {

using data::AttributeType;

std::vector<std::string> namesWhere(const data::EntityDescription& entity,
                                    bool (*test)(const data::AttributeDescription&)) {
  std::vector<std::string> names;
  for (const auto& attribute : entity.attributes()) {
    if (test(attribute)) names.push_back(attribute.name);
  }
  return names;
}

TEST(KelvoModelTest, EntitiesAttributesAndRelationshipsInOrder) {
  const auto& model = KelvoModel::shared();
  EXPECT_EQ(&model, &KelvoModel::shared());
  std::vector<std::string> names;
  for (const auto& entity : model->entities()) names.push_back(entity->name());
  EXPECT_EQ(names, (std::vector<std::string>{"Card", "Shelf", "CardReminder", "SmartShelf",
                                             "Automation"}));

  const auto& card = KelvoModel::entity(KelvoModel::Entities::card);
  EXPECT_EQ(card.objectClassName(), "kelvo::Card");
  ASSERT_EQ(card.attributes().size(), 25u);
  EXPECT_EQ(card.propertyNames().size(), 26u);
  EXPECT_EQ(card.propertyNames().front(), "id");
  EXPECT_EQ(card.propertyNames()[24], "byteCount");
  EXPECT_EQ(card.propertyNames().back(), "shelf");
  // Exactly the optional attributes go without a default.
  const auto optional = namesWhere(card, [](const auto& a) { return a.isOptional; });
  EXPECT_EQ(optional, (std::vector<std::string>{"lastUsedAt", "sourceApp", "factKindRaw",
                                                "factLabel", "deletedAt", "pageCount",
                                                "payloadData", "thumbnailData", "filename"}));
  EXPECT_EQ(optional, namesWhere(card, [](const auto& a) { return !a.defaultValue; }));
  EXPECT_EQ(namesWhere(card,
                       [](const auto& a) {
                         return a.defaultValue && a.defaultValue->boolean() == true &&
                                a.type == AttributeType::boolean;
                       }),
            std::vector<std::string>{"isPayloadAvailable"});
  EXPECT_EQ(namesWhere(card, [](const auto& a) { return a.allowsExternalBinaryDataStorage; }),
            std::vector<std::string>{"payloadData"});
  EXPECT_EQ(namesWhere(card, [](const auto& a) { return a.type == AttributeType::transformable; }),
            std::vector<std::string>{"autoTags"});
  EXPECT_EQ(card.attribute("autoTags")->valueTransformerName,
            data::ValueTransformer::secureUnarchiveFromDataName);
  EXPECT_EQ(card.attribute("typeRaw")->type, AttributeType::string);
  EXPECT_EQ(card.attribute("pageCount")->type, AttributeType::integer64);
  EXPECT_EQ(data::rawValue(card.attribute("thumbnailData")->type), 1000);

  const auto& shelf = KelvoModel::entity("Shelf");
  EXPECT_EQ(shelf.propertyNames(),
            (std::vector<std::string>{"id", "name", "sortIndex", "createdAt", "isDefaultShelf",
                                      "cardsStorage", "parent", "childrenStorage"}));
  for (const auto* relationship :
       {card.relationship("shelf"), shelf.relationship("cardsStorage"),
        shelf.relationship("parent"), shelf.relationship("childrenStorage")}) {
    ASSERT_NE(relationship, nullptr);
    EXPECT_TRUE(relationship->isOptional);
    EXPECT_EQ(relationship->minCount, 0u);
    EXPECT_EQ(data::rawValue(relationship->deleteRule), 1);
  }
  EXPECT_EQ(card.relationship("shelf")->maxCount, 1u);
  EXPECT_EQ(shelf.relationship("cardsStorage")->maxCount, 0u);
  EXPECT_EQ(shelf.relationship("parent")->inverseName, "childrenStorage");

  const auto& reminder = KelvoModel::entity("CardReminder");
  EXPECT_EQ(reminder.attributes().size(), 8u);
  EXPECT_TRUE(reminder.relationships().empty());
  EXPECT_EQ(namesWhere(reminder, [](const auto& a) { return a.isOptional; }),
            (std::vector<std::string>{"cardID", "completedAt"}));
  EXPECT_EQ(reminder.attribute("cardID")->type, AttributeType::uuid);
  for (const char* name : {"SmartShelf", "Automation"}) {
    const auto& entity = KelvoModel::entity(name);
    EXPECT_EQ(entity.propertyNames().size(), 5u);
    EXPECT_EQ(entity.propertyNames()[2], "sortIndex");
    EXPECT_TRUE(namesWhere(entity, [](const auto& a) { return a.isOptional; }).empty());
  }
  EXPECT_EQ(KelvoModel::entity("SmartShelf").propertyNames().back(), "criteria");
  EXPECT_EQ(KelvoModel::entity("Automation").propertyNames().back(), "definition");
}

TEST(KelvoModelDeathTest, UnknownEntityStopsTheProcess) {
  EXPECT_DEATH(KelvoModel::entity("card"), "KelvoModel has no entity named card");
  EXPECT_DEATH(KelvoModel::entity(""), "KelvoModel has no entity named ");
}

TEST(KelvoModelTest, ObjectsAreInstancesOfTheirClasses) {
  auto container = KelvoPersistence::inMemoryContainer("Kelvo");
  auto& context = container->viewContext();
  using data::ManagedObject;
  EXPECT_NE(ManagedObject::make<Card>(KelvoModel::entity("Card"), &context), nullptr);
  EXPECT_NE(ManagedObject::make<Shelf>(KelvoModel::entity("Shelf"), &context), nullptr);
  EXPECT_NE(ManagedObject::make<CardReminder>(KelvoModel::entity("CardReminder"), &context),
            nullptr);
  EXPECT_NE(ManagedObject::make<SmartShelf>(KelvoModel::entity("SmartShelf"), &context), nullptr);
  EXPECT_NE(ManagedObject::make<Automation>(KelvoModel::entity("Automation"), &context), nullptr);
  context.save();
  data::Context other(context.coordinator());
  EXPECT_EQ(other.fetch(data::FetchRequest<Card>("Card")).size(), 1u);
  EXPECT_EQ(other.fetch(data::FetchRequest<Automation>("Automation")).size(), 1u);
}

TEST(KelvoModelTest, InsertedObjectsShareTheModelsDefaults) {
  auto container = KelvoPersistence::inMemoryContainer("Kelvo");
  auto& context = container->viewContext();
  const Date after = Clock::system().now();
  auto first = data::ManagedObject::make<Card>(KelvoModel::entity("Card"), &context);
  auto second = data::ManagedObject::make<Card>(KelvoModel::entity("Card"), &context);
  // One identifier and one moment, made when the model was built, serve every such object.
  EXPECT_EQ(first->id(), second->id());
  const Date created = dateValue(*first, "createdAt", Date::distantPast());
  EXPECT_EQ(created, dateValue(*second, "createdAt", Date()));
  EXPECT_LE(created, after);
  auto reminder =
      data::ManagedObject::make<CardReminder>(KelvoModel::entity("CardReminder"), &context);
  EXPECT_EQ(dateValue(*reminder, "fireAt", Date()), created);
  EXPECT_NE(reminder->id(), first->id());
  context.save();
}

TEST(KelvoModelTest, DeletingAShelfNullifiesItsCardsAndChildren) {
  auto container = KelvoPersistence::inMemoryContainer("Kelvo");
  auto& context = container->viewContext();
  const auto make = [&](std::string_view entity) {
    auto object = data::ManagedObject::make(KelvoModel::entity(entity), &context);
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

TEST(KelvoModelTest, AStoreFileKeepsEveryAttribute) {
  testing::TemporaryDirectory folder;
  const auto url = folder.path() / "Kelvo.store";
  const auto open = [&] {
    auto container = std::make_unique<data::Container>("Kelvo", KelvoModel::shared());
    container->setStoreDescriptions({KelvoPersistence::description(url)});
    container->loadStores([](const data::StoreDescription&, const data::StoreError* error) {
      if (error != nullptr) throw *error;
    });
    return container;
  };
  const UUID cardID = UUID::random(), shelfID = UUID::random(), reminderID = UUID::random();
  const std::vector<std::pair<const char*, data::Value>> cardValues{
      {"id", cardID},
      {"typeRaw", "text"},
      {"title", "Caf\u00e9 \"menu\""},
      {"generatedTitle", "Menu"},
      {"payload", std::string("line\nwith\0nul", 14)},
      {"previewText", "line with"},
      {"extractedText", "\U0001F600"},
      {"autoTags", data::Value::StringList{"food", "", "\u00fc"}},
      {"createdAt", Date(12.25)},
      {"lastUsedAt", Date(-1e9)},
      {"useCount", INT64_MAX},
      {"isPinned", true},
      {"isLocked", true},
      {"sourceApp", "com.example.mail"},
      {"factKindRaw", "iban"},
      {"factLabel", "Bank"},
      {"syncStateRaw", "pendingPush"},
      {"contentHash", std::string(64, 'a')},
      {"isPayloadAvailable", false},
      {"deletedAt", Date(1e9)},
      {"pageCount", INT64_MIN},
      {"payloadData", data::Bytes{0, 255, 0, 1}},
      {"thumbnailData", data::Bytes{}},
      {"filename", "a/b.txt"},
      {"byteCount", 4}};
  {
    auto container = open();
    auto& context = container->viewContext();
    auto shelf = data::ManagedObject::make(KelvoModel::entity("Shelf"), &context);
    shelf->setValue("id", shelfID);
    shelf->setValue("isDefaultShelf", true);
    auto card = data::ManagedObject::make(KelvoModel::entity("Card"), &context);
    for (const auto& [key, value] : cardValues) card->setValue(key, value);
    card->setValue("shelf", data::Value(shelf));
    auto reminder = data::ManagedObject::make(KelvoModel::entity("CardReminder"), &context);
    reminder->setValue("id", reminderID);
    reminder->setValue("cardID", cardID);
    reminder->setValue("completedAt", Date(3));
    reminder->setValue("repeatRuleRaw", "weekly");
    context.save();
  }
  auto container = open();
  auto& context = container->viewContext();
  const auto cards = context.fetch(data::FetchRequest<Card>("Card"));
  ASSERT_EQ(cards.size(), 1u);
  for (const auto& [key, value] : cardValues) EXPECT_EQ(cards[0]->value(key), value) << key;
  const auto shelf = cards[0]->value("shelf")->object();
  ASSERT_NE(shelf, nullptr);
  EXPECT_EQ(uuidValue(*shelf, "id"), shelfID);
  EXPECT_TRUE(boolValue(*shelf, "isDefaultShelf", false));
  const auto reminders = context.fetch("CardReminder");
  ASSERT_EQ(reminders.size(), 1u);
  EXPECT_EQ(uuidValue(*reminders[0], "cardID"), cardID);
  EXPECT_EQ(dateValue(*reminders[0], "completedAt"), Date(3));
  EXPECT_EQ(stringValue(*reminders[0], "repeatRuleRaw", ""), "weekly");
  EXPECT_EQ(stringValue(*reminders[0], "note", "?"), "");
}

}  // namespace
}  // namespace kelvo
