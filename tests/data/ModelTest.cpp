#include "platform/data/Model.hpp"

#include <gtest/gtest.h>

#include <set>

#include "tests/data/TestModel.hpp"

namespace kelvo::data {
namespace {

using testing::Folder;
using testing::Note;

TEST(ModelTest, AttributeTypesKeepTheirCodes) {
  EXPECT_EQ(attributeTypes.size(), 7u);
  std::set<int> codes;
  for (const auto& info : attributeTypes) {
    EXPECT_TRUE(codes.insert(info.rawValue).second);
    EXPECT_EQ(attributeTypeFromRawValue(info.rawValue), info.type);
    EXPECT_EQ(rawValue(info.type), info.rawValue);
  }
  EXPECT_EQ(rawValue(AttributeType::uuid), 1100);
  EXPECT_EQ(rawValue(AttributeType::string), 700);
  EXPECT_EQ(rawValue(AttributeType::integer64), 300);
  EXPECT_EQ(rawValue(AttributeType::boolean), 800);
  EXPECT_EQ(rawValue(AttributeType::date), 900);
  EXPECT_EQ(rawValue(AttributeType::binaryData), 1000);
  EXPECT_EQ(rawValue(AttributeType::transformable), 1800);
  EXPECT_EQ(name(AttributeType::integer64), "Integer 64");
  EXPECT_EQ(attributeTypeFromRawValue(100), std::nullopt);
  EXPECT_EQ(rawValue(DeleteRule::nullify), 1);
}

TEST(ModelTest, EntitiesKeepTheirOrderAndLinkTheirRelationships) {
  const auto model = testing::testModel();
  ASSERT_EQ(model->entities().size(), 2u);
  EXPECT_EQ(model->entities()[0]->name(), "Note");
  EXPECT_EQ(model->entity("note"), nullptr);
  const EntityDescription& folder = *model->entity("Folder");
  EXPECT_EQ(folder.index(), 1u);
  EXPECT_EQ(folder.propertyNames(),
            (std::vector<std::string>{"id", "name", "rank", "notes", "parent", "children"}));
  EXPECT_EQ(folder.attributes().size(), 3u);
  EXPECT_EQ(folder.attribute("notes"), nullptr);
  EXPECT_EQ(folder.relationship("name"), nullptr);
  EXPECT_FALSE(folder.propertyIndex("Name"));
  const auto notes = folder.propertyIndex("notes");
  ASSERT_TRUE(notes && notes->isRelationship);
  EXPECT_TRUE(folder.relationship("notes")->isToMany());
  EXPECT_EQ(&folder.destination(notes->index), model->entity("Note"));
  EXPECT_EQ(folder.toOneRelationships(), std::vector<std::uint32_t>{1});
  const EntityDescription& note = *model->entity("Note");
  EXPECT_EQ(note.relationships()[folder.inverseIndex(notes->index)].name, "folder");
  EXPECT_TRUE(note.attribute("data")->allowsExternalBinaryDataStorage);
  EXPECT_EQ(note.objectClassName(), "Note");
  // Objects are made as the entity's class.
  EXPECT_NE(std::dynamic_pointer_cast<Note>(note.instantiate()), nullptr);
  EXPECT_NE(std::dynamic_pointer_cast<Folder>(ManagedObject::make(folder)), nullptr);
}

TEST(ModelTest, VersionHashFollowsTheStoredShape) {
  const Model same({testing::noteEntity(), testing::folderEntity()});
  const Model smaller({testing::noteEntity(), testing::folderEntity(false)});
  EXPECT_EQ(same.versionHash(), testing::testModel()->versionHash());
  EXPECT_NE(smaller.versionHash(), same.versionHash());
  EXPECT_EQ(same.versionHash().size(), 16u);
}

TEST(ModelDeathTest, FaultyModelsStopTheProcess) {
  EXPECT_DEATH(EntityDescription("sqlite_master"), "Entity name");
  EXPECT_DEATH(EntityDescription("Two words"), "Entity name");
  EXPECT_DEATH(
      {
        EntityDescription entity("Thing");
        entity.addAttribute({"id", AttributeType::uuid});
        entity.addAttribute({"id", AttributeType::string});
      },
      "cannot take an attribute named \"id\"");
  EXPECT_DEATH(Model({testing::noteEntity(), testing::noteEntity()}), "two entities named Note");
  EXPECT_DEATH(Model({testing::noteEntity()}), "Note.folder leads to no entity named Folder");
  EXPECT_DEATH(
      {
        EntityDescription thing("Thing");
        thing.addAttribute({"count", AttributeType::integer64, true, Value("zero")});
        Model model({thing});
      },
      "Thing.count has a default value that is not a Integer 64");
  EXPECT_DEATH(
      {
        EntityDescription thing("Thing");
        thing.addAttribute({"tags", AttributeType::transformable});
        Model model({thing});
      },
      "names no known value transformer");
  EXPECT_DEATH(
      {
        EntityDescription a("A");
        a.addRelationship({"bs", "A", 0, 0, "as"});
        a.addRelationship({"as", "A", 0, 0, "bs"});
        Model model({a});
      },
      "one to-one and one to-many");
  EXPECT_DEATH(
      {
        EntityDescription a("A");
        a.addRelationship({"up", "A", 0, 1, "down"});
        a.addRelationship({"down", "A", 0, 0, "other"});
        a.addRelationship({"other", "A", 0, 1, "down"});
        Model model({a});
      },
      "do not name each other");
}

}  // namespace
}  // namespace kelvo::data
