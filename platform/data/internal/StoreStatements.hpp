// Internal to platform/data: include "platform/data/Container.hpp" instead.
#pragma once

#include <cstdint>
#include <memory>
#include <unordered_map>
#include <vector>

#include "platform/data/Store.hpp"
#include "platform/data/internal/Database.hpp"

namespace kelvo::data {

// Compiled once per entity when its table is first used, and reused by every context.
struct Store::Statements {
  Statements(data_internal::Database& database, const EntityDescription& entity);
  data_internal::Statement select, selectOne, insert, update, remove, count, maxPrimaryKey, lastKey,
      recordLastKey;
  std::vector<std::unique_ptr<data_internal::Statement>>
      byForeignKey;  // by relationship; to-one ends only
  // Updates of some columns, by their set of columns; compiled on first use.
  std::unordered_map<std::uint64_t, std::unique_ptr<data_internal::Statement>> updates;
};

}  // namespace kelvo::data
