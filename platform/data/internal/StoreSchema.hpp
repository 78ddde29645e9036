#pragma once

#include <cstdint>
#include <string>

namespace kelvo::data {

class Database;
class EntityDescription;
class Model;
struct StoreDescription;

/// The SQL shape of a store: a table per entity, a column per attribute, a foreign-key column per
/// to-one relationship, and a metadata table. See docs/store.md.
struct StoreSchema {
  static constexpr const char* primaryKeyColumn = "_pk";
  static constexpr const char* metadataTable = "_metadata";
  static constexpr const char* format = "kelvo.data";
  static constexpr int formatVersion = 1;

  /// Makes `database` a store of `model`: creates a new one, or checks that an existing one is a
  /// store of ours and adds what the model has and it lacks (tables, columns, indexes). Throws
  /// `StoreError` and writes nothing to a file that is not a store of ours.
  static void open(Database& database, const Model& model, const StoreDescription& description,
                   bool isFile);

  // Statements over one entity's table. Columns and parameters come in one order: the primary
  // key, the attributes, then the foreign keys of the to-one relationships.
  static std::string select(const EntityDescription& entity);
  static std::string selectOne(const EntityDescription& entity);
  static std::string selectByForeignKey(const EntityDescription& entity, unsigned relationship);
  static std::string insert(const EntityDescription& entity);
  static std::string update(const EntityDescription& entity);
  /// The update of some columns: bit i of `columns` is the i-th column after the key; the
  /// parameters are the key, then those columns in their order.
  static std::string update(const EntityDescription& entity, std::uint64_t columns);
  static std::string remove(const EntityDescription& entity);
  static std::string count(const EntityDescription& entity);
  static std::string maxPrimaryKey(const EntityDescription& entity);
};

}  // namespace kelvo::data
