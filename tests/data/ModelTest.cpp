#include "platform/data/Model.hpp"

#include <gtest/gtest.h>

#include "tests/data/TestModel.hpp"

namespace kelvo::data {
namespace {

using testing::Folder;
using testing::Note;

TEST(ModelTest, AttributeTypesKeepTheirCodes) {
  for (const auto& info : attributeTypes) {
    EXPECT_EQ(attributeTypeFromRawValue(info.rawValue), info.type);
  }
  EXPECT_EQ(attributeTypeFromRawValue(100), std::nullopt);
}

TEST(ModelTest, EntitiesKeepTheirOrderAndLinkTheirRelationships) {
  const auto model = testing::testModel();
  EXPECT_EQ(model->entities()[0]->name(), "Note");
  EXPECT_EQ(model->entity("note"), nullptr);
  const EntityDescription& folder = *model->entity("Folder");
  EXPECT_EQ(folder.propertyNames(),
            (std::vector<std::string>{"id", "name", "rank", "notes", "parent", "children"}));
  const auto notes = folder.propertyIndex("notes");
  ASSERT_TRUE(notes && notes->isRelationship);
  EXPECT_EQ(&folder.destination(notes->index), model->entity("Note"));
  EXPECT_EQ(folder.toOneRelationships(), std::vector<std::uint32_t>{1});  // parent
  const EntityDescription& note = *model->entity("Note");
  EXPECT_EQ(note.relationships()[folder.inverseIndex(notes->index)].name, "folder");
  // Objects are made as the entity's class.
  EXPECT_NE(std::dynamic_pointer_cast<Note>(note.instantiate()), nullptr);
  EXPECT_NE(std::dynamic_pointer_cast<Folder>(ManagedObject::make(folder)), nullptr);

  // Every name is found however many there are (and a copy finds them too); no other name is.
  EntityDescription wide("Wide");
  for (int i = 0; i < 200; ++i) wide.addAttribute({"a" + std::to_string(i), AttributeType::string});
  const EntityDescription copy = wide;
  for (std::uint32_t i = 0; i < 200; ++i) {
    const auto index = copy.propertyIndex("a" + std::to_string(i));
    ASSERT_TRUE(index && !index->isRelationship) << i;
    EXPECT_EQ(index->index, i);
  }
  for (const char* name : {"", "a", "a200", "A1", "a1 ", "notes"}) {
    EXPECT_FALSE(copy.propertyIndex(name)) << name;
  }
  // Names alike in length, start and end differ only in the middle, at every length from a few
  // bytes to past 16; each is told apart, and a name one byte off is not found.
  for (const std::string edge : {"", "ab", "abcd", "abcdef", "abcdefgh", "payloadSize"}) {
    EntityDescription alike("Alike");
    const auto nameOf = [&](int i) { return edge + std::to_string(100 + i) + edge; };
    for (int i = 0; i < 100; ++i) alike.addAttribute({"x" + nameOf(i), AttributeType::string});
    for (std::uint32_t i = 0; i < 100; ++i) {
      const auto index = alike.propertyIndex("x" + nameOf(static_cast<int>(i)));
      ASSERT_TRUE(index) << edge << i;
      EXPECT_EQ(index->index, i);
    }
    EXPECT_FALSE(alike.propertyIndex("x" + nameOf(100))) << edge;
    EXPECT_FALSE(alike.propertyIndex("y" + nameOf(0))) << edge;
  }
  EXPECT_FALSE(EntityDescription("Empty").propertyIndex("id"));
}

TEST(ModelTest, VersionHashFollowsTheStoredShape) {
  const Model same({testing::noteEntity(), testing::folderEntity()});
  const Model smaller({testing::noteEntity(), testing::folderEntity(false)});
  EXPECT_EQ(same.versionHash(), testing::testModel()->versionHash());
  EXPECT_NE(smaller.versionHash(), same.versionHash());
  EXPECT_EQ(same.versionHash().size(), 16u);
}

// A model of one entity, "Thing", with the given properties.
void buildThing(const std::vector<AttributeDescription>& attributes,
                const std::vector<RelationshipDescription>& relationships = {}) {
  EntityDescription thing("Thing");
  for (const auto& attribute : attributes) thing.addAttribute(attribute);
  for (const auto& relationship : relationships) thing.addRelationship(relationship);
  Model model({thing});
}

TEST(ModelDeathTest, FaultyModelsStopTheProcess) {
  EXPECT_DEATH(EntityDescription("sqlite_master"), "Entity name");
  EXPECT_DEATH(EntityDescription("Two words"), "Entity name");
  EXPECT_DEATH(buildThing({{"id", AttributeType::uuid}, {"id", AttributeType::string}}),
               "cannot take an attribute named \"id\"");
  EXPECT_DEATH(Model({testing::noteEntity(), testing::noteEntity()}), "two entities named Note");
  EXPECT_DEATH(Model({testing::noteEntity()}), "Note.folder leads to no entity named Folder");
  EXPECT_DEATH(buildThing({{"count", AttributeType::integer64, true, Value("zero")}}),
               "Thing.count has a default value that is not a Integer 64");
  EXPECT_DEATH(buildThing({{"tags", AttributeType::transformable}}),
               "names no known value transformer");
  EXPECT_DEATH(buildThing({}, {{"bs", "Thing", 0, 0, "as"}, {"as", "Thing", 0, 0, "bs"}}),
               "one to-one and one to-many");
  EXPECT_DEATH(buildThing({}, {{"up", "Thing", 0, 1, "down"},
                               {"down", "Thing", 0, 0, "other"},
                               {"other", "Thing", 0, 1, "down"}}),
               "do not name each other");
}

}  // namespace
}  // namespace kelvo::data
