#include "platform/data/ManagedObject.hpp"

#include <gtest/gtest.h>

#include "platform/data/Context.hpp"
#include "tests/data/TestModel.hpp"

namespace kelvo::data {
namespace {

using testing::Folder;
using testing::Note;

const EntityDescription& noteEntity() { return *testing::testModel()->entity("Note"); }
const EntityDescription& folderEntity() { return *testing::testModel()->entity("Folder"); }

std::size_t memberCount(const ManagedObject& object, std::string_view key) {
  return object.value(key)->objectSet()->size();
}

TEST(ManagedObjectTest, StartsWithTheModelsOneDefaultsAndTakesAnyAttributeValue) {
  const auto a = ManagedObject::make<Note>(noteEntity());
  const auto b = ManagedObject::make<Note>(noteEntity());
  // Defaults are computed once, so objects made without an id share one.
  EXPECT_EQ(a->value("id"), Value(testing::defaultID));
  EXPECT_EQ(a->value("id"), b->value("id"));
  EXPECT_EQ(a->value("createdAt"), Value(testing::defaultDate));
  EXPECT_EQ(a->value("tags"), Value(Value::StringList{}));
  EXPECT_EQ(a->value("body"), std::nullopt);
  EXPECT_EQ(a->context(), nullptr);
  EXPECT_FALSE(a->isInserted() || a->isUpdated() || a->isDeleted());
  // The type is checked only when a context saves.
  a->setValue("useCount", "twelve");
  ASSERT_NE(a->attributeValue("useCount"), nullptr);
  EXPECT_EQ(*a->attributeValue("useCount"), Value("twelve"));
  a->setValue("createdAt", std::nullopt);
  EXPECT_EQ(a->value("createdAt"), std::nullopt);
}

TEST(ManagedObjectTest, BothEndsOfARelationshipFollowEachOther) {
  const auto first = ManagedObject::make<Folder>(folderEntity());
  const auto second = ManagedObject::make<Folder>(folderEntity());
  const auto note = ManagedObject::make<Note>(noteEntity());
  const auto other = ManagedObject::make<Note>(noteEntity());

  note->setValue("folder", first);
  EXPECT_TRUE(first->mutableSetValue("notes").contains(*note));
  note->setValue("folder", second);
  EXPECT_EQ(memberCount(*first, "notes"), 0u);
  EXPECT_EQ(second->value("notes"), Value(Value::ObjectSet{note}));

  // Adding to a set moves the object out of its old set; removing clears its to-one end.
  auto notes = first->mutableSetValue("notes");
  notes.add(*note);
  notes.add(*note);
  notes.add(*other);
  EXPECT_EQ(notes.size(), 2u);
  EXPECT_EQ(memberCount(*second, "notes"), 0u);
  notes.remove(*note);
  notes.remove(*note);
  EXPECT_EQ(note->value("folder"), std::nullopt);
  EXPECT_EQ(other->value("folder")->object(), first);

  // Replacing a whole set releases the members left out.
  second->setValue("notes", Value(Value::ObjectSet{note, other}));
  EXPECT_EQ(memberCount(*first, "notes"), 0u);
  second->setValue("notes", Value(Value::ObjectSet{other}));
  EXPECT_EQ(note->value("folder"), std::nullopt);
  second->setValue("notes", std::nullopt);
  EXPECT_EQ(other->value("folder"), std::nullopt);
}

TEST(ManagedObjectTest, AnObjectThatGoesLeavesNoEndPointingAtIt) {
  const auto folder = ManagedObject::make<Folder>(folderEntity());
  auto note = ManagedObject::make<Note>(noteEntity());
  auto child = ManagedObject::make<Folder>(folderEntity());
  note->setValue("folder", folder);
  child->setValue("parent", folder);
  note.reset();
  child.reset();
  EXPECT_EQ(memberCount(*folder, "notes"), 0u);
  EXPECT_EQ(memberCount(*folder, "children"), 0u);
}

TEST(ManagedObjectDeathTest, ProgrammingErrorsStopTheProcess) {
  const auto note = ManagedObject::make<Note>(noteEntity());
  const auto folder = ManagedObject::make<Folder>(folderEntity());
  EXPECT_DEATH(note->value("colour"), "Note has no property named \"colour\"");
  EXPECT_DEATH(note->setValue("colour", 1), "Note has no property named \"colour\"");
  EXPECT_DEATH(note->attributeValue("folder"), "Note has no attribute named \"folder\"");
  EXPECT_DEATH(note->setValue("folder", note), "Note.folder takes only objects of Folder");
  EXPECT_DEATH(note->setValue("folder", "Inbox"), "Note.folder takes an object");
  EXPECT_DEATH(folder->setValue("notes", Value(folder)), "Folder.notes takes a set of objects");
  EXPECT_DEATH(note->mutableSetValue("folder"), "no to-many relationship named \"folder\"");
  EXPECT_DEATH(folder->mutableSetValue("notes").add(*folder), "takes only objects of Note");
  EXPECT_DEATH(objectCast<Folder>(std::shared_ptr<ManagedObject>(note)), "is not a");
  EXPECT_DEATH(ManagedObject::make<Folder>(noteEntity()), "is not a");
  Context context;
  EXPECT_DEATH(ManagedObject::make(noteEntity(), &context)->setValue("folder", folder),
               "Note.folder cannot relate objects of two different contexts");
}

}  // namespace
}  // namespace kelvo::data
