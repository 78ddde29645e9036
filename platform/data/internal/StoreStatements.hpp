// Internal to platform/data: include "platform/data/Container.hpp" instead.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/data/Store.hpp"
#include "platform/data/internal/Database.hpp"

namespace kelvo::data_internal {

// A statement over one entity's table, compiled when first used: a program that only reads
// never compiles what writes, and one that never inserts never compiles the key statements.
class LazyStatement {
 public:
  using Maker = std::string (*)(const data::EntityDescription&);

  LazyStatement(Database& database, const data::EntityDescription& entity, Maker make)
      : database_(&database), entity_(&entity), make_(make) {}

  Statement& operator*() {
    if (statement_ == nullptr)
      statement_ = std::make_unique<Statement>(*database_, make_(*entity_));
    return *statement_;
  }
  Statement* operator->() { return &**this; }

 private:
  Database* database_;
  const data::EntityDescription* entity_;
  Maker make_;
  std::unique_ptr<Statement> statement_;
};

}  // namespace kelvo::data_internal

namespace kelvo::data {

// The statements over one entity's table, reused by every context.
struct Store::Statements {
  Statements(data_internal::Database& database, const EntityDescription& entity);
  data_internal::LazyStatement select, selectOne, insert, update, remove, count, maxPrimaryKey,
      lastKey, recordLastKey, createLastKey;
  // By relationship, to-one ends only; compiled on first use.
  std::vector<std::unique_ptr<data_internal::Statement>> byForeignKey, keysByForeignKey,
      foreignKeyOf;
  // Updates of some columns, by their set of columns; compiled on first use.
  std::unordered_map<std::uint64_t, std::unique_ptr<data_internal::Statement>> updates;
};

}  // namespace kelvo::data
