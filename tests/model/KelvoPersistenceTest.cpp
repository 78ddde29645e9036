#include "core/model/KelvoPersistence.hpp"

#include <gtest/gtest.h>

#include <fstream>
#include <thread>
#include <vector>

#include "core/model/CloudMirroring.hpp"
#include "core/model/KelvoModel.hpp"
#include "platform/data/StoreCoordinator.hpp"
#include "tests/support/TestSupport.hpp"

namespace kelvo {
namespace {

using kelvo::testing::TemporaryDirectory;

std::unique_ptr<data::Container> containerOver(std::vector<data::StoreDescription> descriptions) {
  auto container = std::make_unique<data::Container>("Kelvo", KelvoModel::shared());
  container->setStoreDescriptions(std::move(descriptions));
  container->loadStores([](const data::StoreDescription&, const data::StoreError* error) {
    if (error != nullptr) throw *error;
  });
  return container;
}

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

TEST(KelvoPersistenceTest, DescriptionsSetExactlyTheAgreedSettings) {
  const auto description = KelvoPersistence::description("/tmp/x/Kelvo.store");
  EXPECT_EQ(description.type, data::StoreType::sqlite);
  EXPECT_EQ(description.url, "/tmp/x/Kelvo.store");
  EXPECT_TRUE(description.shouldMigrateStoreAutomatically);
  EXPECT_TRUE(description.shouldInferMappingModelAutomatically);
  EXPECT_FALSE(description.shouldAddStoreAsynchronously);
  ASSERT_EQ(description.options.size(), 2u);
  EXPECT_EQ(description.options.at("persistentHistoryTracking"), data::Value(true));
  EXPECT_EQ(description.options.at("remoteChangeNotificationPost"), data::Value(true));
  const auto memory = KelvoPersistence::inMemoryDescription();
  EXPECT_EQ(memory.url, "/dev/null");
  EXPECT_EQ(memory.type, data::StoreType::sqlite);
  EXPECT_EQ(memory.options, description.options);
}

TEST(KelvoPersistenceTest, InMemoryContainerIsLoadedAndConfigured) {
  auto container = KelvoPersistence::inMemoryContainer("Kelvo");
  EXPECT_EQ(container->name(), "Kelvo");
  EXPECT_EQ(&container->model(), KelvoModel::shared().get());
  ASSERT_EQ(container->storeDescriptions().size(), 1u);
  EXPECT_EQ(container->storeDescriptions()[0], KelvoPersistence::inMemoryDescription());
  auto& context = container->viewContext();
  EXPECT_EQ(context.mergePolicy(), data::MergePolicy::mergeByPropertyObjectTrump);
  EXPECT_TRUE(context.automaticallyMergesChangesFromParent());
  // Each container is its own private database.
  data::ManagedObject::make(KelvoModel::entity("Card"), &context)->setValue("id", UUID::random());
  context.save();
  EXPECT_EQ(KelvoPersistence::inMemoryContainer("Kelvo")->viewContext().count("Card"), 0u);
}

TEST(KelvoPersistenceTest, IsInMemoryOnlyWhenEveryStoreIs) {
  EXPECT_TRUE(
      KelvoPersistence::isInMemory(KelvoPersistence::inMemoryContainer("Kelvo")->viewContext()));

  data::StoreDescription memoryType(std::filesystem::path("/var/anything.store"));
  memoryType.type = data::StoreType::inMemory;
  EXPECT_TRUE(KelvoPersistence::isInMemory(containerOver({memoryType})->viewContext()));

  TemporaryDirectory folder;
  const auto disk = KelvoPersistence::description(folder.path() / "Kelvo.store");
  EXPECT_FALSE(KelvoPersistence::isInMemory(containerOver({disk})->viewContext()));
  EXPECT_FALSE(KelvoPersistence::isInMemory(
      containerOver({KelvoPersistence::inMemoryDescription(), disk})->viewContext()));

  EXPECT_FALSE(KelvoPersistence::isInMemory(data::Context()));
  EXPECT_FALSE(KelvoPersistence::isInMemory(
      data::Context(std::make_shared<data::StoreCoordinator>(KelvoModel::shared()))));

  // Configuring a context leaves its stores alone.
  data::Context bare;
  KelvoPersistence::configure(bare);
  EXPECT_EQ(bare.mergePolicy(), data::MergePolicy::mergeByPropertyObjectTrump);
  EXPECT_FALSE(KelvoPersistence::isInMemory(bare));
}

TEST(CloudMirroringTest, FlagIsOffUntilSetAndSafeAcrossThreads) {
  EXPECT_FALSE(CloudMirroring::isConfigured());
  CloudMirroring::setConfigured(true);
  EXPECT_TRUE(CloudMirroring::isConfigured());
  CloudMirroring::setConfigured(false);
  EXPECT_FALSE(CloudMirroring::isConfigured());
  std::vector<std::thread> threads;
  for (int i = 0; i < 8; ++i) {
    threads.emplace_back([i] {
      for (int n = 0; n < 1000; ++n) {
        CloudMirroring::setConfigured((n + i) % 2 == 0);
        (void)CloudMirroring::isConfigured();
      }
    });
  }
  for (auto& thread : threads) thread.join();
  CloudMirroring::setConfigured(true);
  EXPECT_TRUE(CloudMirroring::isConfigured());
  CloudMirroring::setConfigured(false);
}

}  // namespace
}  // namespace kelvo
