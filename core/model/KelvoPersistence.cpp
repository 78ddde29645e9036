#include "core/model/KelvoPersistence.hpp"

#include <optional>

#include "core/model/KelvoModel.hpp"
#include "platform/data/StoreCoordinator.hpp"

namespace kelvo::KelvoPersistence {

std::filesystem::path storeURL(std::string_view name, const FileManager& fileManager) {
  return fileManager.applicationSupportDirectory(/*create=*/true) / (std::string(name) + ".store");
}

data::StoreDescription description(const std::filesystem::path& url) {
  data::StoreDescription description(url);
  description.type = data::StoreType::sqlite;
  description.shouldMigrateStoreAutomatically = true;
  description.shouldInferMappingModelAutomatically = true;
  description.setOption(std::string(persistentHistoryTrackingKey), data::Value(true));
  description.setOption(std::string(remoteChangeNotificationPostOptionKey), data::Value(true));
  return description;
}

data::StoreDescription inMemoryDescription() {
  return description(std::filesystem::path(data::StoreDescription::inMemoryPath));
}

bool isInMemory(const data::Context& context) {
  const auto& coordinator = context.coordinator();
  if (coordinator == nullptr || coordinator->stores().empty()) return false;
  for (const auto& store : coordinator->stores()) {
    if (store->type() == data::StoreType::inMemory) continue;
    // A store with no URL is not in memory either.
    if (store->url() != data::StoreDescription::inMemoryPath) return false;
  }
  return true;
}

std::unique_ptr<data::Container> inMemoryContainer(std::string name) {
  auto container = std::make_unique<data::Container>(std::move(name), KelvoModel::shared());
  container->setStoreDescriptions({inMemoryDescription()});
  std::optional<data::StoreError> failure;
  container->loadStores([&](const data::StoreDescription&, const data::StoreError* error) {
    // The first failure stands: a later store loading fine does not undo it.
    if (error != nullptr && !failure) failure = *error;
  });
  if (failure) throw *failure;
  configure(container->viewContext());
  return container;
}

void configure(data::Context& context) {
  context.setMergePolicy(data::MergePolicy::mergeByPropertyObjectTrump);
  context.setAutomaticallyMergesChangesFromParent(true);
}

}  // namespace kelvo::KelvoPersistence
