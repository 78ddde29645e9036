#pragma once

#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <string_view>

#include "platform/data/Value.hpp"

namespace kelvo::data {

enum class StoreType {
  /// A SQLite database file; at the path "/dev/null", a private in-memory database.
  sqlite,
  /// A private in-memory database whatever the URL.
  inMemory,
};

/// How a container opens one store. A store URL is a file URL, given by its path.
struct StoreDescription {
  static constexpr std::string_view inMemoryPath = "/dev/null";

  StoreDescription() = default;
  explicit StoreDescription(std::filesystem::path storeURL) : url(std::move(storeURL)) {}

  StoreType type = StoreType::sqlite;
  std::filesystem::path url;
  /// Options for the store, kept and readable; the store itself interprets none of them.
  std::map<std::string, Value, std::less<>> options;
  /// Both flags allow the lightweight migration of a store written by an older model.
  bool shouldMigrateStoreAutomatically = true;
  bool shouldInferMappingModelAutomatically = true;
  /// Kept and readable; stores are always added synchronously.
  bool shouldAddStoreAsynchronously = false;

  void setOption(std::string key, Value value) {
    options.insert_or_assign(std::move(key), std::move(value));
  }
  /// Whether the store lives in memory: the in-memory type, or SQLite at "/dev/null".
  bool isInMemory() const { return type == StoreType::inMemory || url == inMemoryPath; }

  friend bool operator==(const StoreDescription&, const StoreDescription&) = default;
};

}  // namespace kelvo::data
