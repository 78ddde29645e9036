#include "platform/data/Container.hpp"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "platform/data/Database.hpp"
#include "tests/data/TestModel.hpp"

namespace kelvo::data {
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
  EXPECT_EQ(container.name(), "Kelvo");
  EXPECT_TRUE(container.storeDescriptions().empty());
  StoreDescription memory;
  memory.type = StoreType::inMemory;
  StoreDescription disk(directory.path() / "Kelvo.store");
  disk.setOption("historyTracking", true);
  disk.shouldAddStoreAsynchronously = true;
  container.setStoreDescriptions({StoreDescription("/dev/null"), memory,
                                  StoreDescription(directory.path() / "no/such/dir/x"), disk});
  EXPECT_EQ(container.storeDescriptions()[3].options.at("historyTracking"), Value(true));
  std::vector<std::pair<std::filesystem::path, bool>> completions;
  container.loadStores([&](const StoreDescription& description, const StoreError* error) {
    completions.emplace_back(description.url, error == nullptr);
  });
  ASSERT_EQ(completions.size(), 4u);
  EXPECT_TRUE(completions[0].second && completions[1].second && completions[3].second);
  EXPECT_FALSE(completions[2].second);
  const auto& stores = container.coordinator().stores();
  ASSERT_EQ(stores.size(), 3u);
  EXPECT_EQ(stores[0]->type(), StoreType::sqlite);
  EXPECT_EQ(stores[0]->url(), "/dev/null");
  EXPECT_TRUE(stores[0]->description().isInMemory());
  EXPECT_EQ(stores[1]->type(), StoreType::inMemory);
  EXPECT_FALSE(stores[2]->description().isInMemory());
  EXPECT_TRUE(stores[2]->description().shouldAddStoreAsynchronously);
  EXPECT_TRUE(std::filesystem::exists(directory.path() / "Kelvo.store"));
  EXPECT_EQ(container.viewContext().coordinator().get(), &container.coordinator());
}

TEST(ContainerTest, InMemoryStoresArePrivate) {
  auto first = testing::openContainer("/dev/null");
  auto second = testing::openContainer("/dev/null");
  testing::makeNote(first->viewContext(), "only here");
  first->viewContext().save();
  EXPECT_EQ(first->viewContext().count("Note"), 1u);
  EXPECT_EQ(second->viewContext().count("Note"), 0u);
  EXPECT_FALSE(std::filesystem::exists("/dev/null-wal"));
}

TEST(ContainerTest, RefusesFilesThatAreNotOurStoresAndLeavesThemAlone) {
  TemporaryDirectory directory;
  const auto text = directory.path() / "notes.txt";
  std::ofstream(text) << "just some text, long enough to look like a header of something";
  const auto foreign = directory.path() / "foreign.sqlite";
  Database(foreign.string()).execute("CREATE TABLE t (x); INSERT INTO t VALUES (1)");
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

  for (const auto& path : {text, foreign, damaged}) {
    const std::string before = fileBytes(path);
    const auto error = loadError(path);
    ASSERT_TRUE(error) << path;
    EXPECT_EQ(fileBytes(path), before) << path;
  }
  EXPECT_EQ(loadError(text)->extendedCode(), 26);  // SQLITE_NOTADB
  EXPECT_EQ(loadError(foreign)->kind(), StoreError::Kind::incompatibleStore);
}

TEST(ContainerTest, RefusesAStoreOfANewerFormat) {
  TemporaryDirectory directory;
  const auto url = directory.path() / "Newer.store";
  testing::openContainer(url);
  Database(url.string()).execute("UPDATE _metadata SET value = '2' WHERE key = 'formatVersion'");
  const auto error = loadError(url);
  ASSERT_TRUE(error);
  EXPECT_EQ(error->kind(), StoreError::Kind::incompatibleStore);
  EXPECT_NE(std::string(error->what()).find("newer version"), std::string::npos);
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
