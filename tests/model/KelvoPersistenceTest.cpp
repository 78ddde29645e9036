#include "core/model/KelvoPersistence.hpp"

#include <gtest/gtest.h>

#include <fstream>
#include <vector>

#include "core/model/KelvoModel.hpp"
#include "platform/data/StoreCoordinator.hpp"
#include "tests/model/Library.hpp"
#include "tests/support/TestSupport.hpp"

namespace kelvo {
namespace {

using kelvo::testing::TemporaryDirectory;
using testing::openStores;

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

TEST(KelvoPersistenceTest, EachInMemoryContainerIsItsOwnDatabase) {
  auto container = KelvoPersistence::inMemoryContainer("Kelvo");
  auto& context = container->viewContext();
  EXPECT_EQ(context.mergePolicy(), data::MergePolicy::mergeByPropertyObjectTrump);
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
  EXPECT_TRUE(KelvoPersistence::isInMemory(openStores({memoryType})->viewContext()));

  TemporaryDirectory folder;
  const auto disk = KelvoPersistence::description(folder.path() / "Kelvo.store");
  EXPECT_FALSE(KelvoPersistence::isInMemory(openStores({disk})->viewContext()));
  EXPECT_FALSE(KelvoPersistence::isInMemory(
      openStores({KelvoPersistence::inMemoryDescription(), disk})->viewContext()));

  EXPECT_FALSE(KelvoPersistence::isInMemory(data::Context()));
  EXPECT_FALSE(KelvoPersistence::isInMemory(
      data::Context(std::make_shared<data::StoreCoordinator>(KelvoModel::shared()))));

  // Configuring a context leaves its stores alone.
  data::Context bare;
  KelvoPersistence::configure(bare);
  EXPECT_EQ(bare.mergePolicy(), data::MergePolicy::mergeByPropertyObjectTrump);
  EXPECT_FALSE(KelvoPersistence::isInMemory(bare));
}

}  // namespace
}  // namespace kelvo
