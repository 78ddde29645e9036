#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

#include "platform/data/Container.hpp"
#include "platform/data/Context.hpp"
#include "platform/data/StoreDescription.hpp"
#include "platform/foundation/FileManager.hpp"

/// Where the store lives, how it is described, and the settings every context gets. Every
/// container is over `KelvoModel::shared()`. The host assembles its on-disk container from
/// `storeURL` and `description`; the core itself opens no store on disk.
namespace kelvo::KelvoPersistence {

/// The store's name; its file is this name with ".store".
inline constexpr std::string_view storeName = "Kelvo";

/// Store options: keep a history of changes, and announce changes made by other processes.
inline constexpr std::string_view persistentHistoryTrackingKey = "persistentHistoryTracking";
inline constexpr std::string_view remoteChangeNotificationPostOptionKey =
    "remoteChangeNotificationPost";

/// `name` + ".store" in the user's application support folder, which is created when missing.
/// Throws the file manager's `FileError` when the folder can be neither found nor created.
std::filesystem::path storeURL(std::string_view name, const FileManager& fileManager = {});

/// A SQLite store at `url` with automatic migration, an inferred mapping, history tracking and
/// remote-change notifications; nothing else is set.
data::StoreDescription description(const std::filesystem::path& url);

/// `description` for the path "/dev/null": a private in-memory database.
data::StoreDescription inMemoryDescription();

/// Whether the context's coordinator has stores and every one of them is in memory: of the
/// in-memory type, or at exactly "/dev/null". No coordinator, or no stores, is not in memory.
bool isInMemory(const data::Context& context);

/// A loaded container named `name` whose one store is `inMemoryDescription()`, its view
/// context configured. Throws the error the store load reported; no half-loaded container is
/// returned.
std::unique_ptr<data::Container> inMemoryContainer(std::string name);

/// Merges by property with the context's own changes winning, and merges changes from the
/// parent automatically.
void configure(data::Context& context);

}  // namespace kelvo::KelvoPersistence
