#include "platform/data/Context.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <random>

#include "tests/data/EveryAttributeChange.hpp"
#include "tests/data/StoreFileCheck.hpp"
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
  context.insert(unattached);
  EXPECT_EQ(unattached->context(), &context);
  EXPECT_TRUE(unattached->isInserted());
  const auto first = makeNote(context, "first");
  EXPECT_EQ(context.count(FetchRequest<Note>("Note")), 2u);
  EXPECT_EQ(titles(context.fetch("Note")), (std::vector<std::string>{"first", "later"}));
  context.save();
  EXPECT_FALSE(first->isInserted());

  // The same row is the same object in one context, another object in another.
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
  const std::pair<const char*, Value> written[] = {
      {"id", Value(UUID::random())},
      {"title", Value("Ünïcode ✓ 'quoted'")},
      {"body", Value(std::string("nul\0inside", 10))},
      {"tags", Value(Value::StringList{"a", "b/c"})},
      {"useCount", Value(std::int64_t{INT64_MIN})},
      {"isAvailable", Value(false)},
      {"createdAt", Value(Date(-63'114'076'800.0))},
      {"lastUsedAt", Value(Date(123.456789012345))},
      {"data", Value(Bytes{0, 1, 2, 255})},
  };
  {
    auto container = testing::openContainer(url);
    Context& context = container->viewContext();
    const auto parent = makeFolder(context, "Parent");
    const auto child = makeFolder(context, "Child");
    child->setValue("parent", parent);
    const auto note = makeNote(context, "");
    for (const auto& [key, value] : written) note->setValue(key, value);
    note->setValue("folder", child);
    makeNote(context, "empty")->setValue("data", Bytes{});
    context.save();
  }
  auto container = testing::openContainer(url);
  Context& context = container->viewContext();
  auto notes = context.fetch(FetchRequest<Note>("Note"));
  ASSERT_EQ(notes.size(), 2u);
  if (title(*notes[0]) == "empty") std::swap(notes[0], notes[1]);
  const auto& note = notes[0];
  for (const auto& [key, value] : written) EXPECT_EQ(note->value(key), value) << key;
  const auto child = objectCast<Folder>(note->value("folder")->object());
  ASSERT_NE(child, nullptr);
  EXPECT_EQ(*child->value("name")->string(), "Child");
  EXPECT_EQ(child->value("notes"), Value(Value::ObjectSet{note}));
  const auto parent = child->value("parent")->object();
  EXPECT_EQ(parent->value("children"), Value(Value::ObjectSet{child}));
  EXPECT_TRUE(contains(context.fetch("Folder"), parent));
  EXPECT_EQ(notes[1]->value("data"), Value(Bytes{}));
  EXPECT_EQ(notes[1]->value("body"), std::nullopt);
  EXPECT_EQ(notes[1]->value("folder"), std::nullopt);
}

TEST(ContextTest, EveryAttributeTypeChangedAloneReachesTheDiskAndRollsBack) {
  kelvo::testing::TemporaryDirectory directory;
  testing::expectEveryAttributeChangeSaved(testing::testModel(), directory.path() / "Test.store");
}

TEST(ContextTest, DeleteNullifiesTheOtherEndsAtOnceAndCascadesNothing) {
  auto container = testing::openContainer("/dev/null");
  Context& context = container->viewContext();
  const auto gone = makeFolder(context, "Gone");
  makeFolder(context, "Child")->setValue("parent", gone);
  makeNote(context, "kept")->setValue("folder", gone);
  context.save();

  // Deleted where neither of its sets was read: the store names the members.
  Context other(context.coordinator());
  const auto notes = other.fetch("Note");
  const auto folders = other.fetch("Folder");
  const auto stored = *std::find_if(folders.begin(), folders.end(), [](const auto& folder) {
    return *folder->value("name")->string() == "Gone";
  });
  other.deleteObject(*stored);
  EXPECT_EQ(notes[0]->value("folder"), std::nullopt);
  for (const auto& folder : folders) EXPECT_EQ(folder->value("parent"), std::nullopt);
  EXPECT_EQ(other.count("Note"), 1u);
  EXPECT_EQ(other.count("Folder"), 1u);
  other.save();
  EXPECT_EQ(stored->context(), nullptr);
  Context reader(context.coordinator());
  EXPECT_EQ(reader.fetch("Note")[0]->value("folder"), std::nullopt);

  // A deleted insert simply leaves the context.
  const auto survivor = other.fetch("Folder")[0];
  const auto fresh = makeNote(other, "fresh");
  fresh->setValue("folder", survivor);
  other.deleteObject(*fresh);
  EXPECT_EQ(fresh->context(), nullptr);
  EXPECT_FALSE(fresh->isInserted() || fresh->isDeleted());
  EXPECT_EQ(survivor->value("notes"), Value(Value::ObjectSet{}));
  EXPECT_EQ(other.count("Note"), 1u);
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
  const struct {
    std::shared_ptr<Note> object;
    const char* key;
    std::optional<Value> bad;
    const char* message;
  } refusals[] = {
      {inserted, "useCount", Value("many"),
       "Note.useCount holds a string where Integer 64 is expected."},
      {inserted, "isAvailable", Value(2),
       "Note.isAvailable holds a number where Boolean is expected."},
      {updated, "title", std::nullopt, "Note.title is required."},
      {inserted, "tags", Value(Value::StringList{"\xff"}),
       "Note.tags holds a list of strings where Transformable is expected."},
  };
  for (const auto& refusal : refusals) {
    const auto good = refusal.object->value(refusal.key);
    refusal.object->setValue(refusal.key, refusal.bad);
    const auto error = testing::saveError(context);
    ASSERT_TRUE(error) << "saved despite " << refusal.message;
    EXPECT_EQ(error->kind(), StoreError::Kind::validation);
    EXPECT_EQ(error->what(), std::string("Could not save: ") + refusal.message);
    EXPECT_EQ(refusal.object->value(refusal.key), refusal.bad);
    EXPECT_EQ(context.insertedObjects(), std::vector<std::shared_ptr<ManagedObject>>{inserted});
    EXPECT_EQ(context.updatedObjects(), std::vector<std::shared_ptr<ManagedObject>>{updated});
    EXPECT_EQ(context.deletedObjects(), std::vector<std::shared_ptr<ManagedObject>>{deleted});
    EXPECT_TRUE(inserted->isInserted() && updated->isUpdated() && deleted->isDeleted());
    Context reader(context.coordinator());
    EXPECT_EQ(titles(reader.fetch("Note")), (std::vector<std::string>{"deleted", "old title"}));
    refusal.object->setValue(refusal.key, good);
  }

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
  const auto error = testing::saveError(first);
  ASSERT_TRUE(error) << "saved over a deleted row";
  EXPECT_EQ(error->kind(), StoreError::Kind::conflict);
  EXPECT_TRUE(mine->isUpdated());
  EXPECT_EQ(title(*mine), "edited");
  first.rollback();
  EXPECT_EQ(title(*mine), "shared");
}

std::shared_ptr<ManagedObject> target(const ManagedObject& object, std::string_view key) {
  const auto value = object.value(key);
  return value ? value->object() : nullptr;
}

// Every live object with its relationships, by name; fails when two ends disagree.
std::vector<std::string> describe(Context& context) {
  std::vector<std::string> lines;
  const auto nameOf = [](const std::shared_ptr<ManagedObject>& object) {
    if (object == nullptr) return std::string("-");
    return *object->value(object->entity().name() == "Note" ? "title" : "name")->string();
  };
  for (const auto& note : context.fetch("Note")) {
    const auto folder = target(*note, "folder");
    if (folder != nullptr) {
      EXPECT_TRUE(folder->mutableSetValue("notes").contains(*note));
    }
    lines.push_back(nameOf(note) + " in " + nameOf(folder));
  }
  for (const auto& folder : context.fetch("Folder")) {
    const auto parent = target(*folder, "parent");
    if (parent != nullptr) {
      EXPECT_TRUE(parent->mutableSetValue("children").contains(*folder));
    }
    const Value children = *folder->value("children");
    for (const auto& child : *children.objectSet()) EXPECT_EQ(target(*child, "parent"), folder);
    std::vector<std::string> members;
    const Value notes = *folder->value("notes");
    for (const auto& note : *notes.objectSet()) {
      EXPECT_EQ(target(*note, "folder"), folder);
      members.push_back(nameOf(note));
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
      case 6:
        if (note && folder) {
          auto set = folder->mutableSetValue("notes");
          random() % 2 == 0 ? set.add(*note) : set.remove(*note);
        }
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

// Every note's stored columns as one line each, by title.
std::vector<std::string> noteRows(Context& context) {
  std::vector<std::string> rows;
  for (const auto& note : context.fetch("Note")) {
    const auto folder = target(*note, "folder");
    std::string tags;
    const Value list = *note->value("tags");
    for (const auto& tag : *list.stringList()) tags += tag + ";";
    const auto body = note->value("body");
    rows.push_back(
        title(*note) + "|" + (body ? *body->string() : "-") + "|" +
        std::to_string(*note->value("useCount")->integer()) + "|" + tags + "|" +
        std::to_string(note->value("createdAt")->date()->timeIntervalSinceReferenceDate()) + "|" +
        (folder ? *folder->value("name")->string() : "-"));
  }
  std::sort(rows.begin(), rows.end());
  return rows;
}

TEST(ContextTest, ManyChangesRollBackWholeAndSaveOnlyWhatChanged) {
  auto container = testing::openContainer("/dev/null");
  {
    Context& setup = container->viewContext();
    const auto home = makeFolder(setup, "Home");
    const auto work = makeFolder(setup, "Work");
    for (int i = 0; i < 600; ++i) {
      auto note = makeNote(setup, "n" + std::to_string(i));
      note->setValue("body", "body " + std::to_string(i));
      note->setValue("tags", Value::StringList{"t" + std::to_string(i % 7)});
      note->setValue("folder", i % 2 ? home : work);
    }
    setup.save();
  }
  const auto stored = noteRows(container->viewContext());
  Context context(container->viewContext().coordinator());
  const auto edit = [&] {
    const auto folders = context.fetch("Folder");
    for (const auto& note : context.fetch("Note")) {
      const std::int64_t i = std::stoll(title(*note).substr(1));
      note->setValue("useCount", i);
      if (i % 3 == 0) note->setValue("tags", Value::StringList{"x", "y \"z\""});
      if (i % 4 == 0) note->setValue("body", std::nullopt);
      if (i % 5 == 0) note->setValue("folder", folders[i % 10 == 0 ? 0 : 1]);
      // Changed and changed back: the row stays as stored.
      if (i % 6 == 0) note->setValue("title", "changed");
      if (i % 6 == 0) note->setValue("title", "n" + std::to_string(i));
    }
  };
  edit();
  // Each changed object is listed once, however many of its values changed.
  auto updated = context.updatedObjects();
  EXPECT_EQ(std::count_if(updated.begin(), updated.end(),
                          [](const auto& object) { return object->entity().name() == "Note"; }),
            600);
  std::sort(updated.begin(), updated.end());
  EXPECT_EQ(std::adjacent_find(updated.begin(), updated.end()), updated.end());
  context.rollback();
  EXPECT_FALSE(context.hasChanges());
  EXPECT_EQ(noteRows(context), stored);

  edit();
  const auto edited = noteRows(context);
  EXPECT_NE(edited, stored);
  context.save();
  Context reader(context.coordinator());
  EXPECT_EQ(noteRows(reader), edited);
  EXPECT_EQ(describe(reader), describe(context));
}

TEST(ContextTest, MovesBetweenUnreadSetsShowOnTheRightShelfBeforeAndAfterSaving) {
  auto container = testing::openContainer("/dev/null");
  {
    Context& setup = container->viewContext();
    const auto home = makeFolder(setup, "Home");
    const auto work = makeFolder(setup, "Work");
    for (int i = 0; i < 40; ++i) {
      makeNote(setup, "n" + std::to_string(i))->setValue("folder", i < 20 ? home : work);
    }
    setup.save();
  }
  const auto membersOf = [](const std::shared_ptr<ManagedObject>& folder) {
    const Value notes = *folder->value("notes");
    return titles(*notes.objectSet());
  };
  const auto titled = [](Context& context, const std::string& name) {
    for (const auto& note : context.fetch("Note")) {
      if (title(*note) == name) return note;
    }
    return std::shared_ptr<ManagedObject>();
  };
  for (const bool readFirst : {false, true}) {
    Context context(container->viewContext().coordinator());
    const auto folders = context.fetch("Folder");
    const auto& home = folders[0];
    const auto& work = folders[1];
    if (readFirst) {
      EXPECT_EQ(membersOf(home).size(), 20u);
    }
    // Into an unread set, out of one, in and out again, and one deleted after arriving.
    titled(context, "n3")->setValue("folder", work);
    titled(context, "n25")->setValue("folder", home);
    titled(context, "n4")->setValue("folder", work);
    titled(context, "n4")->setValue("folder", home);
    const auto leaving = titled(context, "n30");
    leaving->setValue("folder", home);
    context.deleteObject(*leaving);
    titled(context, "n31")->setValue("folder", std::nullopt);
    const auto homeNow = membersOf(home), workNow = membersOf(work);
    EXPECT_EQ(homeNow.size(), 20u);
    EXPECT_EQ(workNow.size(), 18u);
    EXPECT_TRUE(std::count(homeNow.begin(), homeNow.end(), "n25"));
    EXPECT_FALSE(std::count(homeNow.begin(), homeNow.end(), "n3"));
    EXPECT_TRUE(std::count(workNow.begin(), workNow.end(), "n3"));
    context.rollback();
    EXPECT_EQ(membersOf(home).size(), 20u);
    EXPECT_EQ(membersOf(work).size(), 20u);

    titled(context, "n3")->setValue("folder", work);
    titled(context, "n25")->setValue("folder", home);
    context.save();
    Context reader(context.coordinator());
    EXPECT_EQ(describe(reader), describe(context));
    // Back as they were, for the next round.
    titled(context, "n3")->setValue("folder", home);
    titled(context, "n25")->setValue("folder", work);
    context.save();
  }
}

// Rows another writer keyed far apart, at zero or below: one object each, linked up, and new
// rows after the largest key.
TEST(ContextTest, RowsKeyedFarApartAreOneObjectEachAndLinkUp) {
  kelvo::testing::TemporaryDirectory directory;
  const auto url = directory.path() / "Test.store";
  testing::openContainer(url);
  {
    data_internal::Database database(url.string());
    const std::string note =
        "INSERT INTO Note (_pk, id, title, tags, useCount, isAvailable, createdAt, folder) "
        "VALUES ";
    database.execute(
        "INSERT INTO Folder (_pk, id, name, rank) VALUES (4611686018427387904, "
        "zeroblob(16), 'far', 1), (1, zeroblob(16), 'near', 1);" +
        note + "(-3, zeroblob(16), 'negative', '[]', 0, 1, 0, 4611686018427387904);" + note +
        "(0, zeroblob(16), 'zero', '[]', 0, 1, 0, NULL);" + note +
        "(1099511627776, zeroblob(16), 'far note', '[]', 0, 1, 0, 1);" + note +
        "(2, zeroblob(16), 'two', '[]', 0, 1, 0, 4611686018427387904);");
  }
  auto container = testing::openContainer(url);
  Context& context = container->viewContext();
  const auto notes = context.fetch("Note");
  EXPECT_EQ(titles(notes), (std::vector<std::string>{"far note", "negative", "two", "zero"}));
  EXPECT_EQ(context.fetch("Note"), notes);
  const auto named = [&](const std::string& name) {
    for (const auto& note : context.fetch("Note")) {
      if (title(*note) == name) return note;
    }
    return std::shared_ptr<ManagedObject>();
  };
  const auto far = named("negative")->value("folder")->object();
  ASSERT_NE(far, nullptr);
  EXPECT_EQ(*far->value("name")->string(), "far");
  EXPECT_EQ(titles(*far->value("notes")->objectSet()),
            (std::vector<std::string>{"negative", "two"}));
  const auto near = named("far note")->value("folder")->object();
  EXPECT_EQ(titles(*near->value("notes")->objectSet()), (std::vector<std::string>{"far note"}));

  context.deleteObject(*named("zero"));
  makeNote(context, "new")->setValue("folder", far);
  context.save();
  testing::expectIntact(url);
  data_internal::Database database(url.string());
  auto newest = database.prepare("SELECT _pk, folder FROM Note WHERE title = 'new'");
  ASSERT_TRUE(newest.step());
  EXPECT_EQ(newest.columnInt64(0), 1099511627777);
  EXPECT_EQ(newest.columnInt64(1), 4611686018427387904);
  Context reader(context.coordinator());
  EXPECT_EQ(titles(reader.fetch("Note")),
            (std::vector<std::string>{"far note", "negative", "new", "two"}));
}

// A row read alone, far past the rows read so far, then its neighbours: the one object stays the
// row's, however the context came to hold it.
TEST(ContextTest, ARowReadBeforeItsNeighboursStaysOneObject) {
  kelvo::testing::TemporaryDirectory directory;
  const auto url = directory.path() / "Test.store";
  testing::openContainer(url);
  {
    data_internal::Database database(url.string());
    database.execute(
        "WITH RECURSIVE k(n) AS (SELECT 1 UNION ALL SELECT n + 1 FROM k WHERE n < 3000) "
        "INSERT INTO Folder (_pk, id, name, rank) SELECT n, zeroblob(16), 'f' || n, 1 FROM k;"
        "INSERT INTO Note (_pk, id, title, tags, useCount, isAvailable, createdAt, folder) "
        "VALUES (1, zeroblob(16), 'note', '[]', 0, 1, 0, 2000);");
  }
  auto container = testing::openContainer(url);
  Context& context = container->viewContext();
  const auto note = context.fetch("Note").at(0);
  const auto folder = note->value("folder")->object();
  ASSERT_NE(folder, nullptr);
  const auto folders = context.fetch("Folder");
  ASSERT_EQ(folders.size(), 3000u);
  EXPECT_TRUE(contains(folders, folder));
  EXPECT_TRUE(context.fetch("Folder") == folders) << "a row read again became another object";
  EXPECT_EQ(titles(*folder->value("notes")->objectSet()), (std::vector<std::string>{"note"}));

  // Deleting it deletes that row, and the row is gone for a fresh context.
  context.deleteObject(*folder);
  context.save();
  EXPECT_EQ(context.fetch("Folder").size(), 2999u);
  Context reader(context.coordinator());
  EXPECT_EQ(reader.fetch("Folder").size(), 2999u);
  EXPECT_EQ(reader.fetch("Note").at(0)->value("folder"), std::nullopt);
}

// Objects related before either was inserted: a save refuses whichever end is in the context
// while the other is not.
TEST(ContextTest, ASaveRefusesLinksToObjectsOutsideTheContext) {
  auto container = testing::openContainer("/dev/null");
  Context& context = container->viewContext();
  const auto pair = [] {
    auto note = ManagedObject::make<Note>(noteEntity());
    auto folder = ManagedObject::make<Folder>(*testing::testModel()->entity("Folder"));
    note->setValue("id", UUID::random());
    folder->setValue("id", UUID::random());
    note->setValue("folder", folder);
    return std::pair{note, folder};
  };
  const auto refusal = [&] {
    const auto error = testing::saveError(context);
    return error ? std::string(error->what()) : "saved";
  };
  const auto [note, folder] = pair();
  context.insert(folder);
  EXPECT_EQ(refusal(), "Could not save: Folder.notes holds an object that is not in the context.");
  context.insert(note);
  EXPECT_EQ(refusal(), "saved");
  const auto [lone, elsewhere] = pair();
  context.insert(lone);
  EXPECT_EQ(refusal(),
            "Could not save: Note.folder refers to an object that is not in the context.");
}

// An unbounded set is edited unread; a bounded one is read when a member arrives or leaves, so
// that a save counts its stored members too.
TEST(ContextTest, MovesCountAgainstTheStoredMembersOfABoundedSet) {
  EntityDescription box("Box");
  box.addAttribute({"name", AttributeType::string, false, Value("")});
  box.addRelationship({"items", "Item", 1, 2, "box"});
  EntityDescription item("Item");
  item.addAttribute({"name", AttributeType::string, false, Value("")});
  item.addRelationship({"box", "Box", 0, 1, "items"});
  const auto model = std::make_shared<const Model>(std::vector<EntityDescription>{box, item});
  auto container = testing::openContainer("/dev/null", model);
  {
    Context& setup = container->viewContext();
    std::shared_ptr<ManagedObject> boxes[2];
    for (const int b : {0, 1}) {
      boxes[b] = ManagedObject::make(*model->entity("Box"), &setup);
      boxes[b]->setValue("name", "b" + std::to_string(b));
    }
    // Two items in the first box, one in the second, one in none.
    for (const int i : {0, 1, 2, 3}) {
      auto object = ManagedObject::make(*model->entity("Item"), &setup);
      object->setValue("name", "i" + std::to_string(i));
      if (i < 3) object->setValue("box", boxes[i / 2]);
    }
    setup.save();
  }
  Context context(container->viewContext().coordinator());
  const auto named = [&](const std::string& entity, const std::string& name) {
    for (const auto& object : context.fetch(entity)) {
      if (*object->value("name")->string() == name) return object;
    }
    return std::shared_ptr<ManagedObject>();
  };
  const auto refusal = [&] {
    const auto error = testing::saveError(context);
    return error ? std::string(error->what()) : "saved";
  };
  named("Item", "i3")->setValue("box", named("Box", "b0"));
  EXPECT_EQ(refusal(), "Could not save: Box.items holds too many objects.");
  named("Item", "i3")->setValue("box", std::nullopt);
  named("Item", "i2")->setValue("box", std::nullopt);
  EXPECT_EQ(refusal(), "Could not save: Box.items holds too few objects.");
  named("Item", "i2")->setValue("box", named("Box", "b0"));
  named("Item", "i0")->setValue("box", named("Box", "b1"));
  EXPECT_EQ(refusal(), "saved");
}

// Deleting a box whose items must each have one reads them, unread as they were, so that the
// save refuses rather than the foreign key emptying their link.
TEST(ContextTest, ADeleteThatWouldLeaveARequiredLinkEmptyIsRefused) {
  EntityDescription box("Box");
  box.addAttribute({"name", AttributeType::string, false, Value("")});
  box.addRelationship({"items", "Item", 0, 0, "box"});
  EntityDescription item("Item");
  RelationshipDescription required("box", "Box", 1, 1, "items");
  required.isOptional = false;
  item.addRelationship(required);
  const auto model = std::make_shared<const Model>(std::vector<EntityDescription>{box, item});
  kelvo::testing::TemporaryDirectory directory;
  const auto url = directory.path() / "Boxes.store";
  {
    auto container = testing::openContainer(url, model);
    const auto full = ManagedObject::make(*model->entity("Box"), &container->viewContext());
    ManagedObject::make(*model->entity("Item"), &container->viewContext())->setValue("box", full);
    container->viewContext().save();
  }
  auto container = testing::openContainer(url, model);
  Context& context = container->viewContext();
  context.deleteObject(*context.fetch("Box")[0]);
  const auto error = testing::saveError(context);
  ASSERT_TRUE(error);
  EXPECT_STREQ(error->what(), "Could not save: Item.box is required.");
  context.rollback();
  EXPECT_EQ(context.fetch("Item")[0]->value("box"), Value(context.fetch("Box")[0]));
}

// The items' rows are still in the file when the box's delete is written: they go in the same
// save, so nothing is left without its box.
TEST(ContextTest, ABoxDeletedTogetherWithItsItemsSaves) {
  const auto model = testing::boxesModel();
  kelvo::testing::TemporaryDirectory directory;
  const auto url = directory.path() / "Boxes.store";
  {
    auto container = testing::openContainer(url, model);
    const auto box = ManagedObject::make(*model->entity("Box"), &container->viewContext());
    for (int i = 0; i < 2; ++i) {
      ManagedObject::make(*model->entity("Item"), &container->viewContext())->setValue("box", box);
    }
    container->viewContext().save();
  }
  auto container = testing::openContainer(url, model);
  Context& context = container->viewContext();
  const auto items = context.fetch("Item");
  context.deleteObject(*context.fetch("Box")[0]);
  for (const auto& item : items) context.deleteObject(*item);
  const auto error = testing::saveError(context);
  EXPECT_FALSE(error) << error->what();
  EXPECT_EQ(testing::openContainer(url, model)->viewContext().count("Item"), 0u);
  EXPECT_EQ(testing::openContainer(url, model)->viewContext().count("Box"), 0u);
}

// A delete reads a bounded set before changing anything: when that read meets damage, the
// delete throws and leaves no change pending.
TEST(ContextTest, ADeleteWhoseBoundedSetReadMeetsDamageChangesNothing) {
  const auto model = testing::boxesModel();  // a crate holds one to three parts
  kelvo::testing::TemporaryDirectory directory;
  const auto url = directory.path() / "Crates.store";
  {
    auto container = testing::openContainer(url, model);
    const auto full = ManagedObject::make(*model->entity("Crate"), &container->viewContext());
    for (int i = 0; i < 2; ++i) {
      ManagedObject::make(*model->entity("Part"), &container->viewContext())
          ->setValue("crate", full);
    }
    container->viewContext().save();
  }
  // Only the index a set is read through is overwritten: the crate itself still reads.
  {
    data_internal::Database database(url.string());
    auto page = database.prepare("SELECT rootpage FROM sqlite_schema WHERE name = 'Part_crate'");
    ASSERT_TRUE(page.step());
    const std::int64_t root = page.columnInt64(0);
    auto size = database.prepare("PRAGMA page_size");
    ASSERT_TRUE(size.step());
    const std::int64_t pageSize = size.columnInt64(0);
    page.reset();
    size.reset();
    std::fstream file(url, std::ios::in | std::ios::out | std::ios::binary);
    file.seekp((root - 1) * pageSize);
    const std::string noise(static_cast<std::size_t>(pageSize), '\x5A');
    file.write(noise.data(), static_cast<std::streamsize>(noise.size()));
  }
  auto container = testing::openContainer(url, model);
  Context& context = container->viewContext();
  const auto stored = context.fetch("Crate");
  ASSERT_EQ(stored.size(), 1u);
  try {
    context.deleteObject(*stored[0]);
    ADD_FAILURE() << "read a damaged set";
  } catch (const StoreError& error) {
    EXPECT_EQ(error.kind(), StoreError::Kind::incompatibleStore);
  }
  EXPECT_FALSE(context.hasChanges());
  EXPECT_FALSE(stored[0]->isDeleted());
  EXPECT_TRUE(context.deletedObjects().empty());
}

// Contexts over one coordinator share its connection, so the save of one is another writer's
// to the others: a bounded set one changed is counted in the file, not taken from what the
// other read. In a file and in memory alike.
TEST(ContextTest, ASiblingContextsSaveCountsAsAnotherWritersForABoundedSet) {
  const auto model = testing::boxesModel();  // a crate holds one to three parts
  kelvo::testing::TemporaryDirectory directory;
  for (const auto& url : {directory.path() / "Crates.store", std::filesystem::path("/dev/null")}) {
    SCOPED_TRACE(url.string());
    auto container = testing::openContainer(url, model);
    Context& context = container->viewContext();
    const auto crate = ManagedObject::make(*model->entity("Crate"), &context);
    std::shared_ptr<ManagedObject> parts[2];
    for (auto& part : parts) {
      part = ManagedObject::make(*model->entity("Part"), &context);
      part->setValue("crate", crate);
    }
    context.save();
    Context sibling(context.coordinator());
    ASSERT_EQ(sibling.fetch("Part").size(), 2u);
    sibling.deleteObject(*sibling.fetch("Part")[1]);
    sibling.save();
    // Here the crate still holds both; deleting one leaves it the other.
    ASSERT_EQ(crate->value("parts")->objectSet()->size(), 2u);
    context.deleteObject(*parts[0]);
    const auto error = testing::saveError(context);
    ASSERT_TRUE(error) << "the crate was left empty";
    EXPECT_EQ(error->kind(), StoreError::Kind::conflict);
    EXPECT_STREQ(error->what(),
                 "Could not save: with another writer's changes, Crate.parts would hold too few "
                 "objects.");
    context.rollback();
    Context fresh(context.coordinator());
    fresh.deleteObject(*fresh.fetch("Part")[0]);
    const auto afresh = testing::saveError(fresh);
    ASSERT_TRUE(afresh);
    EXPECT_STREQ(afresh->what(), "Could not save: Crate.parts holds too few objects.");
  }
}

TEST(ContextTest, ObjectsOutliveTheirContextWithoutDanglingLinks) {
  auto container = testing::openContainer("/dev/null");
  makeNote(container->viewContext(), "kept")
      ->setValue("folder", makeFolder(container->viewContext(), "Home"));
  container->viewContext().save();
  auto context = std::make_unique<Context>(container->viewContext().coordinator());
  auto note = context->fetch("Note")[0];
  auto folder = context->fetch("Folder")[0];
  context.reset();  // before the folder's set of notes was ever read
  EXPECT_EQ(note->context(), nullptr);
  EXPECT_EQ(title(*note), "kept");
  // The link read with the note is known at both ends, and stays whole.
  EXPECT_EQ(note->value("folder"), Value(folder));
  EXPECT_EQ(folder->value("notes"), Value(Value::ObjectSet{note}));
  // The folder going unlinks the note it leaves behind.
  folder.reset();
  EXPECT_EQ(note->value("folder"), std::nullopt);
  note.reset();
}

TEST(ContextTest, WorksWithoutAStoreButCannotSave) {
  Context context;
  const auto note = ManagedObject::make<Note>(noteEntity(), &context);
  EXPECT_EQ(context.fetch("Note"), std::vector<std::shared_ptr<ManagedObject>>{note});
  EXPECT_EQ(context.count("Folder"), 0u);
  const auto error = testing::saveError(context);
  ASSERT_TRUE(error) << "saved without a store";
  EXPECT_EQ(error->kind(), StoreError::Kind::noStore);
  EXPECT_TRUE(note->isInserted());
  context.rollback();
  EXPECT_EQ(note->context(), nullptr);
  EXPECT_EQ(context.count("Note"), 0u);
}

TEST(ContextDeathTest, MisusedObjectsStopTheProcess) {
  EXPECT_DEATH(testing::openContainer("/dev/null")->viewContext().fetch("Nothing"),
               "The model has no entity named Nothing");
  Context first;
  EXPECT_DEATH(Context().insert(ManagedObject::make(noteEntity(), &first)),
               "of another context was inserted");
  EXPECT_DEATH(Context().deleteObject(*ManagedObject::make(noteEntity())),
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
