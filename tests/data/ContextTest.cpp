#include "platform/data/Context.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "tests/data/TestModel.hpp"

namespace kelvo::data {
namespace {

using testing::Folder;
using testing::makeFolder;
using testing::makeNote;
using testing::Note;

const EntityDescription& noteEntity() { return *testing::testModel()->entity("Note"); }

std::string title(const ManagedObject& note) { return *note.value("title")->string(); }

std::vector<std::string> titles(std::vector<std::shared_ptr<ManagedObject>> notes) {
  std::vector<std::string> result;
  for (const auto& note : notes) result.push_back(title(*note));
  std::sort(result.begin(), result.end());
  return result;
}

bool contains(const std::vector<std::shared_ptr<ManagedObject>>& objects,
              const std::shared_ptr<ManagedObject>& object) {
  return std::find(objects.begin(), objects.end(), object) != objects.end();
}

TEST(ContextTest, FetchSeesPendingChangesAndKeepsOneObjectPerRow) {
  auto container = testing::openContainer("/dev/null");
  Context& context = container->viewContext();
  auto unattached = ManagedObject::make<Note>(noteEntity());
  unattached->setValue("title", "later");
  EXPECT_EQ(context.count("Note"), 0u);
  context.insert(unattached);
  EXPECT_EQ(unattached->context(), &context);
  EXPECT_TRUE(unattached->isInserted());
  const auto first = makeNote(context, "first");
  EXPECT_EQ(context.count(FetchRequest<Note>("Note")), 2u);
  EXPECT_EQ(titles(context.fetch("Note")), (std::vector<std::string>{"first", "later"}));
  context.save();
  EXPECT_FALSE(first->isInserted());

  // The same row is the same object, in this context and through relationships.
  const auto fetched = context.fetch(FetchRequest<Note>("Note"));
  EXPECT_TRUE(contains(context.fetch("Note"), first));
  Context other(context.coordinator());
  const auto again = other.fetch("Note");
  ASSERT_EQ(again.size(), 2u);
  EXPECT_FALSE(contains(again, first));
  EXPECT_EQ(other.fetch("Note"), again);

  // Pending deletes drop out, pending inserts come in; counts agree with fetches.
  other.deleteObject(*again[0]);
  makeNote(other, "third");
  EXPECT_EQ(other.count("Note"), 2u);
  EXPECT_EQ(other.fetch("Note").size(), 2u);
  EXPECT_FALSE(contains(other.fetch("Note"), again[0]));
  EXPECT_TRUE(again[0]->isDeleted());
  other.save();
  EXPECT_EQ(again[0]->context(), nullptr);
  EXPECT_FALSE(again[0]->isDeleted());
  EXPECT_EQ(context.count("Note"), 2u);
}

TEST(ContextTest, SavedValuesReadBackEqualFromTheFile) {
  kelvo::testing::TemporaryDirectory directory;
  const auto url = directory.path() / "Test.store";
  const UUID id = UUID::random();
  {
    auto container = testing::openContainer(url);
    Context& context = container->viewContext();
    const auto parent = makeFolder(context, "Parent");
    const auto child = makeFolder(context, "Child");
    child->setValue("parent", parent);
    const auto note = makeNote(context, "Ünïcode ✓ 'quoted'");
    note->setValue("id", id);
    note->setValue("body", std::string("nul\0inside", 10));
    note->setValue("tags", Value(Value::StringList{"a", "b/c"}));
    note->setValue("useCount", std::int64_t{INT64_MIN});
    note->setValue("isAvailable", false);
    note->setValue("createdAt", Date(-63'114'076'800.0));
    note->setValue("lastUsedAt", Date(123.456789012345));
    note->setValue("data", Bytes{0, 1, 2, 255});
    note->setValue("folder", child);
    makeNote(context, "empty");
    context.save();
  }
  auto container = testing::openContainer(url);
  Context& context = container->viewContext();
  const auto notes = context.fetch(FetchRequest<Note>("Note"));
  ASSERT_EQ(notes.size(), 2u);
  const auto& note = title(*notes[0]) == "empty" ? notes[1] : notes[0];
  EXPECT_EQ(note->value("id"), Value(id));
  EXPECT_EQ(title(*note), "Ünïcode ✓ 'quoted'");
  EXPECT_EQ(note->value("body"), Value(std::string("nul\0inside", 10)));
  EXPECT_EQ(note->value("tags"), Value(Value::StringList{"a", "b/c"}));
  EXPECT_EQ(note->value("useCount")->integer(), INT64_MIN);
  EXPECT_EQ(note->value("isAvailable")->boolean(), false);
  EXPECT_EQ(note->value("createdAt"), Value(Date(-63'114'076'800.0)));
  EXPECT_EQ(note->value("lastUsedAt"), Value(Date(123.456789012345)));
  EXPECT_EQ(note->value("data"), Value(Bytes{0, 1, 2, 255}));
  const auto child = objectCast<Folder>(note->value("folder")->object());
  ASSERT_NE(child, nullptr);
  EXPECT_EQ(*child->value("name")->string(), "Child");
  EXPECT_EQ(child->value("notes"), Value(Value::ObjectSet{note}));
  const auto parent = child->value("parent")->object();
  EXPECT_EQ(parent->value("children"), Value(Value::ObjectSet{child}));
  EXPECT_TRUE(contains(context.fetch("Folder"), parent));
  const auto& other = title(*notes[0]) == "empty" ? notes[0] : notes[1];
  EXPECT_EQ(other->value("body"), std::nullopt);
  EXPECT_EQ(other->value("folder"), std::nullopt);
}

TEST(ContextTest, DeleteNullifiesTheOtherEndsAtOnceAndCascadesNothing) {
  auto container = testing::openContainer("/dev/null");
  Context& context = container->viewContext();
  const auto folder = makeFolder(context, "Gone");
  const auto child = makeFolder(context, "Child");
  const auto note = makeNote(context, "kept");
  child->setValue("parent", folder);
  note->setValue("folder", folder);
  context.save();

  Context other(context.coordinator());
  const auto notes = other.fetch("Note");
  const auto folders = other.fetch("Folder");
  const auto gone = *std::find_if(folders.begin(), folders.end(), [](const auto& f) {
    return *f->value("name")->string() == "Gone";
  });
  other.deleteObject(*gone);
  EXPECT_EQ(notes[0]->value("folder"), std::nullopt);
  for (const auto& f : folders) EXPECT_EQ(f->value("parent"), std::nullopt);
  EXPECT_EQ(other.count("Note"), 1u);
  EXPECT_EQ(other.count("Folder"), 1u);
  other.save();
  EXPECT_EQ(gone->context(), nullptr);

  Context third(context.coordinator());
  EXPECT_EQ(third.fetch("Note")[0]->value("folder"), std::nullopt);
  EXPECT_EQ(titles(third.fetch("Note")), std::vector<std::string>{"kept"});
  ASSERT_EQ(third.fetch("Folder").size(), 1u);
  EXPECT_EQ(third.fetch("Folder")[0]->value("parent"), std::nullopt);

  // A deleted insert simply leaves the context.
  const auto fresh = makeNote(third, "fresh");
  fresh->setValue("folder", third.fetch("Folder")[0]);
  third.deleteObject(*fresh);
  EXPECT_EQ(fresh->context(), nullptr);
  EXPECT_FALSE(fresh->isInserted() || fresh->isDeleted());
  EXPECT_EQ(third.fetch("Folder")[0]->value("notes"), Value(Value::ObjectSet{}));
  EXPECT_EQ(third.count("Note"), 1u);
}

TEST(ContextTest, AFailedSaveLeavesEveryPendingChangeAsItWas) {
  auto container = testing::openContainer("/dev/null");
  Context& context = container->viewContext();
  const auto updated = makeNote(context, "old title");
  const auto deleted = makeNote(context, "deleted");
  context.save();

  const auto inserted = makeNote(context, "inserted");
  updated->setValue("title", "new title");
  context.deleteObject(*deleted);
  const auto expectRefusal = [&](const std::string& message) {
    try {
      context.save();
      ADD_FAILURE() << "saved despite " << message;
    } catch (const StoreError& error) {
      EXPECT_EQ(error.kind(), StoreError::Kind::validation);
      EXPECT_EQ(error.what(), "Could not save: " + message);
    }
    EXPECT_TRUE(context.hasChanges());
    EXPECT_EQ(context.insertedObjects(), std::vector<std::shared_ptr<ManagedObject>>{inserted});
    EXPECT_EQ(context.updatedObjects(), std::vector<std::shared_ptr<ManagedObject>>{updated});
    EXPECT_EQ(context.deletedObjects(), std::vector<std::shared_ptr<ManagedObject>>{deleted});
    EXPECT_TRUE(inserted->isInserted() && updated->isUpdated() && deleted->isDeleted());
    Context reader(context.coordinator());
    EXPECT_EQ(titles(reader.fetch("Note")), (std::vector<std::string>{"deleted", "old title"}));
  };
  inserted->setValue("useCount", "many");
  expectRefusal("Note.useCount holds a string where Integer 64 is expected.");
  inserted->setValue("useCount", 3);
  inserted->setValue("isAvailable", 2);
  expectRefusal("Note.isAvailable holds a number where Boolean is expected.");
  inserted->setValue("isAvailable", true);
  updated->setValue("title", std::nullopt);
  expectRefusal("Note.title is required.");
  EXPECT_EQ(updated->value("title"), std::nullopt);
  updated->setValue("title", "new title");
  inserted->setValue("tags", Value(Value::StringList{"\xff"}));
  expectRefusal("Note.tags holds a list of strings where Transformable is expected.");
  inserted->setValue("tags", Value(Value::StringList{"ok"}));

  // A target that never joined the context is refused too.
  const auto outside = ManagedObject::make<Note>(noteEntity());
  const auto folder = ManagedObject::make<Folder>(*testing::testModel()->entity("Folder"));
  outside->setValue("folder", folder);
  context.insert(outside);
  EXPECT_THROW(context.save(), StoreError);
  context.insert(folder);
  context.save();
  EXPECT_FALSE(context.hasChanges());
  Context reader(context.coordinator());
  EXPECT_EQ(titles(reader.fetch("Note")), (std::vector<std::string>{"", "inserted", "new title"}));
}

TEST(ContextTest, RollbackRestoresAttributesAndBothEndsOfRelationships) {
  auto container = testing::openContainer("/dev/null");
  Context& context = container->viewContext();
  const auto home = makeFolder(context, "Home");
  const auto away = makeFolder(context, "Away");
  const auto moved = makeNote(context, "moved");
  const auto deleted = makeNote(context, "deleted");
  moved->setValue("folder", home);
  deleted->setValue("folder", home);
  context.save();
  EXPECT_FALSE(context.hasChanges());

  moved->setValue("title", "renamed");
  moved->setValue("folder", away);
  home->setValue("parent", away);
  context.deleteObject(*deleted);
  const auto inserted = makeNote(context, "inserted");
  inserted->setValue("folder", home);
  EXPECT_TRUE(home->isUpdated());
  EXPECT_TRUE(context.hasChanges());

  context.rollback();
  EXPECT_FALSE(context.hasChanges());
  EXPECT_EQ(title(*moved), "moved");
  EXPECT_EQ(moved->value("folder")->object(), home);
  EXPECT_EQ(home->value("notes"), Value(Value::ObjectSet{moved, deleted}));
  EXPECT_EQ(away->value("notes"), Value(Value::ObjectSet{}));
  EXPECT_EQ(home->value("parent"), std::nullopt);
  EXPECT_EQ(away->value("children"), Value(Value::ObjectSet{}));
  EXPECT_FALSE(deleted->isDeleted());
  EXPECT_EQ(deleted->value("folder")->object(), home);
  EXPECT_EQ(inserted->context(), nullptr);
  EXPECT_FALSE(inserted->isInserted());
  EXPECT_EQ(inserted->value("folder"), std::nullopt);
  EXPECT_EQ(context.count("Note"), 2u);
  EXPECT_FALSE(home->isUpdated());
}

TEST(ContextTest, AnUpdateOfARowDeletedElsewhereFailsAndStaysPending) {
  auto container = testing::openContainer("/dev/null");
  Context& context = container->viewContext();
  makeNote(context, "shared");
  context.save();
  Context first(context.coordinator());
  Context second(context.coordinator());
  const auto mine = first.fetch("Note")[0];
  second.deleteObject(*second.fetch("Note")[0]);
  second.save();
  mine->setValue("title", "edited");
  try {
    first.save();
    ADD_FAILURE() << "saved over a deleted row";
  } catch (const StoreError& error) {
    EXPECT_EQ(error.kind(), StoreError::Kind::conflict);
  }
  EXPECT_TRUE(mine->isUpdated());
  EXPECT_EQ(title(*mine), "edited");
  first.rollback();
  EXPECT_EQ(title(*mine), "shared");
}

// Every live object with its relationships, by name; fails when two ends disagree.
std::vector<std::string> describe(Context& context) {
  std::vector<std::string> lines;
  const auto nameOf = [](const std::shared_ptr<ManagedObject>& object) {
    if (object == nullptr) return std::string("-");
    return *object->value(object->entity().name() == "Note" ? "title" : "name")->string();
  };
  for (const auto& note : context.fetch("Note")) {
    const auto folder = note->value("folder") ? note->value("folder")->object() : nullptr;
    if (folder != nullptr) {
      EXPECT_TRUE(folder->mutableSetValue("notes").contains(*note));
    }
    lines.push_back(nameOf(note) + " in " + nameOf(folder));
  }
  for (const auto& folder : context.fetch("Folder")) {
    const auto parent = folder->value("parent") ? folder->value("parent")->object() : nullptr;
    if (parent != nullptr) {
      EXPECT_TRUE(parent->mutableSetValue("children").contains(*folder));
    }
    std::vector<std::string> members;
    const Value notes = *folder->value("notes");
    for (const auto& note : *notes.objectSet()) {
      EXPECT_EQ(note->value("folder")->object(), folder);
      members.push_back(nameOf(note));
    }
    const Value children = *folder->value("children");
    for (const auto& child : *children.objectSet()) {
      EXPECT_EQ(child->value("parent")->object(), folder);
    }
    std::sort(members.begin(), members.end());
    std::string line = nameOf(folder) + " under " + nameOf(parent) + " holds";
    for (const auto& member : members) line += " " + member;
    lines.push_back(line);
  }
  std::sort(lines.begin(), lines.end());
  return lines;
}

TEST(ContextTest, RandomEditsKeepBothEndsAndTheStoreInStep) {
  auto container = testing::openContainer("/dev/null");
  auto context = std::make_unique<Context>(container->viewContext().coordinator());
  std::mt19937 random(20240601);
  const auto pick = [&](const std::vector<std::shared_ptr<ManagedObject>>& objects) {
    return objects.empty() ? nullptr : objects[random() % objects.size()];
  };
  int names = 0;
  for (int step = 0; step < 3000; ++step) {
    const auto notes = context->fetch("Note");
    const auto folders = context->fetch("Folder");
    const auto note = pick(notes);
    const auto folder = pick(folders);
    switch (random() % 13) {
      case 0:
        makeNote(*context, "n" + std::to_string(++names))->setValue("folder", folder);
        break;
      case 1:
        makeFolder(*context, "f" + std::to_string(++names))->setValue("parent", folder);
        break;
      case 2:
        if (note) context->deleteObject(*note);
        break;
      case 3:
        if (folder && random() % 3 == 0) context->deleteObject(*folder);
        break;
      case 4:
        if (note) note->setValue("folder", folder);
        break;
      case 5:
        if (note && folder) folder->mutableSetValue("notes").add(*note);
        break;
      case 6:
        if (note && folder) folder->mutableSetValue("notes").remove(*note);
        break;
      case 7:
        if (folder) folder->setValue("parent", pick(folders));
        break;
      case 8:
        if (note) note->setValue("title", "n" + std::to_string(++names));
        break;
      case 9: {
        context->save();
        Context reader(context->coordinator());
        ASSERT_EQ(describe(reader), describe(*context)) << "after the save at step " << step;
        break;
      }
      case 10: {
        context->rollback();
        Context reader(context->coordinator());
        ASSERT_EQ(describe(*context), describe(reader)) << "after the rollback at step " << step;
        break;
      }
      case 12:
        if (folder) {
          Value::ObjectSet some;
          for (const auto& candidate : notes) {
            if (random() % 3 == 0) some.push_back(candidate);
          }
          folder->setValue("notes", Value(some));
        }
        break;
      case 11:
        // A new context starts from the store, with every set unread.
        if (random() % 4 == 0) {
          context->save();
          context = std::make_unique<Context>(container->viewContext().coordinator());
        }
        break;
    }
  }
  context->save();
  Context reader(context->coordinator());
  EXPECT_EQ(describe(reader), describe(*context));
}

TEST(ContextTest, ObjectsOutliveTheirContextWithoutDanglingLinks) {
  auto container = testing::openContainer("/dev/null");
  makeNote(container->viewContext(), "kept")
      ->setValue("folder", makeFolder(container->viewContext(), "Home"));
  container->viewContext().save();
  std::shared_ptr<ManagedObject> note;
  std::shared_ptr<ManagedObject> folder;
  {
    Context context(container->viewContext().coordinator());
    note = context.fetch("Note")[0];
    folder = context.fetch("Folder")[0];
    // The folder's set of notes is never read before the context goes.
  }
  EXPECT_EQ(note->context(), nullptr);
  EXPECT_EQ(title(*note), "kept");
  EXPECT_EQ(note->value("folder"), std::nullopt);
  EXPECT_EQ(folder->value("notes"), Value(Value::ObjectSet{}));
  folder.reset();
  note.reset();
}

TEST(ContextTest, WorksWithoutAStoreButCannotSave) {
  Context context;
  EXPECT_EQ(context.coordinator(), nullptr);
  const auto note = ManagedObject::make<Note>(noteEntity(), &context);
  EXPECT_EQ(context.fetch("Note"), std::vector<std::shared_ptr<ManagedObject>>{note});
  EXPECT_EQ(context.count("Note"), 1u);
  EXPECT_EQ(context.count("Folder"), 0u);
  try {
    context.save();
    ADD_FAILURE() << "saved without a store";
  } catch (const StoreError& error) {
    EXPECT_EQ(error.kind(), StoreError::Kind::noStore);
  }
  EXPECT_TRUE(note->isInserted());
  context.rollback();
  EXPECT_EQ(note->context(), nullptr);
  EXPECT_EQ(context.count("Note"), 0u);
}

TEST(ContextTest, KeepsItsMergeSettings) {
  Context context;
  EXPECT_EQ(context.mergePolicy(), MergePolicy::error);
  EXPECT_FALSE(context.automaticallyMergesChangesFromParent());
  context.setMergePolicy(MergePolicy::mergeByPropertyObjectTrump);
  context.setAutomaticallyMergesChangesFromParent(true);
  EXPECT_EQ(context.mergePolicy(), MergePolicy::mergeByPropertyObjectTrump);
  EXPECT_TRUE(context.automaticallyMergesChangesFromParent());
}

TEST(ContextDeathTest, MisusedObjectsStopTheProcess) {
  EXPECT_DEATH(
      {
        Context context;
        context.fetch("Nothing");
        auto container = testing::openContainer("/dev/null");
        container->viewContext().fetch("Nothing");
      },
      "The model has no entity named Nothing");
  EXPECT_DEATH(
      {
        Context first;
        Context second;
        second.insert(ManagedObject::make(noteEntity(), &first));
      },
      "of another context was inserted");
  EXPECT_DEATH(
      {
        Context context;
        context.deleteObject(*ManagedObject::make(noteEntity()));
      },
      "deleted from a context it is not in");
  EXPECT_DEATH(
      {
        Context context;
        const auto note = ManagedObject::make(noteEntity(), &context);
        const auto folder = ManagedObject::make(*testing::testModel()->entity("Folder"), &context);
        context.deleteObject(*folder);
        note->setValue("folder", folder);
      },
      "cannot relate");
}

}  // namespace
}  // namespace kelvo::data
