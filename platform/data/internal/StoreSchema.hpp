// Internal to platform/data: include "platform/data/Container.hpp" instead.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace kelvo::data_internal {

class Database;
}  // namespace kelvo::data_internal

namespace kelvo::data {
class EntityDescription;
class Model;
struct StoreDescription;
}  // namespace kelvo::data

namespace kelvo::data_internal {

/// The SQL shape of a store: a table per entity, a column per attribute, a foreign-key column per
/// to-one relationship, and a metadata table. See docs/store.md.
struct StoreSchema {
  static constexpr const char* primaryKeyColumn = "_pk";
  static constexpr const char* metadataTable = "_metadata";
  static constexpr const char* format = "kelvo.data";
  static constexpr int formatVersion = 1;

  /// Makes `database` a store of `model`: creates a new one, or checks that an existing one is a
  /// store of ours and adds what the model has and it lacks (tables, columns, indexes). Throws
  /// `StoreError` and writes nothing to a file that is not a store of ours. `beforeWriting`, when
  /// given, runs once the file has been read and before anything is written to it (SQLite has
  /// opened the -wal and -shm beside it by then), and may throw to stop the open there.
  static void open(Database& database, const data::Model& model,
                   const data::StoreDescription& description, bool isFile,
                   const std::function<void()>& beforeWriting = {});

  // Statements over one entity's table. Columns and parameters come in one order: the primary
  // key, the attributes, then the foreign keys of the to-one relationships.
  static std::string select(const data::EntityDescription& entity);
  static std::string selectOne(const data::EntityDescription& entity);
  static std::string selectByForeignKey(const data::EntityDescription& entity,
                                        unsigned relationship);
  /// The keys of the rows whose to-one end `relationship` holds ?1.
  static std::string keysByForeignKey(const data::EntityDescription& entity, unsigned relationship);
  /// The key the to-one end `relationship` of row ?1 holds.
  static std::string foreignKeyOf(const data::EntityDescription& entity, unsigned relationship);
  static std::string insert(const data::EntityDescription& entity);
  static std::string update(const data::EntityDescription& entity);
  /// The update of some columns: bit i of `columns` is the i-th column after the key; the
  /// parameters are the key, then those columns in their order.
  static std::string update(const data::EntityDescription& entity, std::uint64_t columns);
  static std::string remove(const data::EntityDescription& entity);
  static std::string count(const data::EntityDescription& entity);
  static std::string maxPrimaryKey(const data::EntityDescription& entity);
  /// The metadata record of the last key handed out for the entity's table, and the statements
  /// that read it (no parameter; every copy, should the table have lost its primary key),
  /// update it and create it (?1: the key).
  static std::string lastKeyRecord(const data::EntityDescription& entity);
  static std::string readLastKey(const data::EntityDescription& entity);
  static std::string recordLastKey(const data::EntityDescription& entity);
  static std::string createLastKey(const data::EntityDescription& entity);
};

}  // namespace kelvo::data_internal
