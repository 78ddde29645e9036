#include "platform/data/Container.hpp"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "platform/data/internal/Database.hpp"
#include "tests/data/TestModel.hpp"

namespace kelvo::data {

using data_internal::Database;

namespace {

using kelvo::testing::TemporaryDirectory;

std::string fileBytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

// The error loading a container over `url` reports; none when it loads.
std::optional<StoreError> loadError(const std::filesystem::path& url,
                                    std::shared_ptr<const Model> model = testing::testModel(),
                                    bool mayMigrate = true) {
  Container container("Test", std::move(model));
  StoreDescription description(url);
  description.shouldMigrateStoreAutomatically = mayMigrate;
  container.setStoreDescriptions({description});
  std::optional<StoreError> result;
  container.loadStores([&](const StoreDescription&, const StoreError* error) {
    if (error != nullptr) result = *error;
  });
  return result;
}

TEST(ContainerTest, LoadsEveryDescriptionAndListsItsStores) {
  TemporaryDirectory directory;
  Container container("Kelvo", testing::testModel());
  StoreDescription memory;
  memory.type = StoreType::inMemory;
  const auto disk = directory.path() / "Kelvo.store";
  container.setStoreDescriptions({StoreDescription("/dev/null"), memory,
                                  StoreDescription(directory.path() / "no/such/dir/x"),
                                  StoreDescription(disk)});
  std::vector<bool> loaded;
  container.loadStores([&](const StoreDescription&, const StoreError* error) {
    loaded.push_back(error == nullptr);
  });
  EXPECT_EQ(loaded, (std::vector<bool>{true, true, false, true}));
  const auto& stores = container.coordinator().stores();
  ASSERT_EQ(stores.size(), 3u);
  EXPECT_EQ(stores[0]->type(), StoreType::sqlite);
  EXPECT_EQ(stores[0]->url(), "/dev/null");
  EXPECT_EQ(stores[1]->type(), StoreType::inMemory);
  EXPECT_EQ(stores[2]->url(), disk);
  EXPECT_TRUE(std::filesystem::exists(disk));

  // A store at "/dev/null" is a private database in memory.
  testing::makeNote(container.viewContext(), "only here");
  container.viewContext().save();
  EXPECT_EQ(container.viewContext().count("Note"), 1u);
  EXPECT_EQ(testing::openContainer("/dev/null")->viewContext().count("Note"), 0u);
  EXPECT_FALSE(std::filesystem::exists("/dev/null-wal"));
}

TEST(ContainerTest, RefusesFilesThatAreNotOurStoresAndLeavesThemAlone) {
  TemporaryDirectory directory;
  const auto text = directory.path() / "notes.txt";
  std::ofstream(text) << "just some text, long enough to look like a header of something";
  const auto foreign = directory.path() / "foreign.sqlite";
  Database(foreign.string()).execute("CREATE TABLE t (x); INSERT INTO t VALUES (1)");
  const auto newer = directory.path() / "newer.store";
  testing::openContainer(newer);
  Database(newer.string()).execute("UPDATE _metadata SET value = '2' WHERE key = 'formatVersion'");
  const auto damaged = directory.path() / "damaged.store";
  {
    auto container = testing::openContainer(damaged);
    testing::makeNote(container->viewContext(), "x");
    container->viewContext().save();
  }
  std::string bytes = fileBytes(damaged);
  ASSERT_GT(bytes.size(), 200u);
  for (size_t i = 100; i < 200; ++i) bytes[i] = '\x5A';  // the first page's schema
  std::ofstream(damaged, std::ios::binary | std::ios::trunc) << bytes;

  for (const auto& path : {text, foreign, newer, damaged}) {
    const std::string before = fileBytes(path);
    const auto error = loadError(path);
    ASSERT_TRUE(error) << path;
    EXPECT_EQ(fileBytes(path), before) << path;
  }
  EXPECT_EQ(loadError(text)->extendedCode(), 26);  // SQLITE_NOTADB
  EXPECT_EQ(loadError(foreign)->kind(), StoreError::Kind::incompatibleStore);
  EXPECT_NE(std::string(loadError(newer)->what()).find("newer version"), std::string::npos);
}

TEST(ContainerTest, MigratesAStoreOfAnOlderModelAndKeepsEveryRow) {
  TemporaryDirectory directory;
  const auto url = directory.path() / "Old.store";
  // The older model had no Folder rank, and no Note entity at all.
  EntityDescription oldFolder("Folder");
  oldFolder.addAttribute({"id", AttributeType::uuid});
  oldFolder.addAttribute({"name", AttributeType::string});
  const auto oldModel = std::make_shared<const Model>(std::vector<EntityDescription>{oldFolder});
  {
    auto container = testing::openContainer(url, oldModel);
    for (const char* name : {"One", "Two"}) {
      const auto folder =
          ManagedObject::make(*oldModel->entity("Folder"), &container->viewContext());
      folder->setValue("id", UUID::random());
      folder->setValue("name", name);
    }
    container->viewContext().save();
  }
  const auto refused = loadError(url, testing::testModel(), false);
  ASSERT_TRUE(refused);
  EXPECT_EQ(refused->kind(), StoreError::Kind::incompatibleStore);

  auto container = testing::openContainer(url);
  Context& context = container->viewContext();
  const auto folders = context.fetch("Folder");
  ASSERT_EQ(folders.size(), 2u);
  for (const auto& folder : folders) {
    EXPECT_EQ(folder->value("rank"), Value(7));  // the new attribute's default
    EXPECT_EQ(folder->value("notes"), Value(Value::ObjectSet{}));
  }
  testing::makeNote(context, "new")->setValue("folder", folders[0]);
  context.save();
  Context reader(context.coordinator());
  EXPECT_EQ(reader.count("Note"), 1u);
  // Opening it again with the same model changes nothing.
  EXPECT_FALSE(loadError(url, testing::testModel(), false));
}

}  // namespace
}  // namespace kelvo::data
