#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "platform/data/StoreDescription.hpp"

namespace kelvo::data_internal {
class Database;
class OpenStore;
class Statement;
}  // namespace kelvo::data_internal

namespace kelvo::data {

class EntityDescription;
class ManagedObject;
class Model;

/// One open store of a coordinator: a SQLite database shaped by the model (see docs/store.md).
/// Contexts read and write it; its statements are compiled when first needed and reused.
class Store {
 public:
  /// Opens the store a description names, creating or migrating it. Throws `StoreError` when the
  /// file cannot be opened, is not a store of ours, is damaged, needs a migration that is not
  /// allowed, is open in this or another program by another name than this one (or the -shm
  /// beside this name is held for another file), or was moved while it was being opened; such a
  /// file is left as it was, and one SQLite made for an open refused before its first read is
  /// removed again.
  Store(const StoreDescription& description, const Model& model);
  ~Store();
  Store(const Store&) = delete;
  Store& operator=(const Store&) = delete;

  StoreType type() const { return description_.type; }
  const std::filesystem::path& url() const { return description_.url; }
  const StoreDescription& description() const { return description_; }

 private:
  friend class Context;
  // The compiled statements over one entity's table; see internal/StoreStatements.hpp.
  struct Statements;

  data_internal::Database& database() { return *database_; }
  Statements& statements(const EntityDescription& entity);

  // Refuses a save, with code `Database::fileMoved`, while the store's path does not name the
  // file it has open (moved, renamed, removed or replaced). The log is first written into the
  // file it has open and emptied, so that the log left at the old path holds none of it.
  void refuseIfMoved();
  // Whether a save should first open the store anew: SQLite opened its file read-only, or a save
  // met a file it could not write. Either connection stays so once the files are writable.
  bool mayNotWrite() const { return mayNotWrite_; }
  void noteNotWritable() { mayNotWrite_ = true; }
  // Opens the store anew for writing when its file, and the -wal and -shm beside it, can now be
  // written; keeps the connection it has otherwise. The statements compiled on the old one go
  // with it, for every context. Throws `StoreError` when the store's file, opened anew, no
  // longer opens as a store, and with code `Database::fileMoved` when the file opened anew is
  // not the one this store had, or the path named nothing while it was being opened.
  void reopenToWrite(const Model& model);

  // The rows whose to-one end `relationship` holds the key bound as ?1.
  data_internal::Statement& byForeignKey(const EntityDescription& entity,
                                         std::uint32_t relationship);
  // The keys of the rows whose to-one end `relationship` holds the key bound as ?1.
  data_internal::Statement& keysByForeignKey(const EntityDescription& entity,
                                             std::uint32_t relationship);
  // The key the to-one end `relationship` of the row bound as ?1 holds (NULL for none).
  data_internal::Statement& foreignKeyOf(const EntityDescription& entity,
                                         std::uint32_t relationship);
  // The row's primary key (column 0).
  static std::int64_t primaryKey(const data_internal::Statement& row);
  // Fills `object`'s attributes from the row, and `foreignKeys` (0 for none) by to-one end.
  static void read(const data_internal::Statement& row, ManagedObject& object,
                   std::vector<std::int64_t>& foreignKeys);
  // Binds the object's row: its primary key, attributes and the keys of its to-one targets.
  // `scratch` holds encoded values until the statement runs.
  static void bind(data_internal::Statement& statement, const ManagedObject& object,
                   std::vector<std::string>& scratch);
  // Entities of more columns than this are updated whole.
  static constexpr std::size_t maxPartialColumns = 64;
  // The update of the columns set in `columns` (bit i: the i-th column after the key).
  data_internal::Statement& update(const EntityDescription& entity, std::uint64_t columns);
  // Binds the key, then the columns set in `columns`, for `update`.
  static void bindColumns(data_internal::Statement& statement, const ManagedObject& object,
                          std::uint64_t columns, std::vector<std::string>& scratch);

  StoreDescription description_;
  // Left only once the connection is closed.
  std::unique_ptr<data_internal::OpenStore> openFile_;
  std::unique_ptr<data_internal::Database> database_;
  std::vector<std::unique_ptr<Statements>> statements_;
  bool mayNotWrite_ = false;
  bool settled_ = false;
};

}  // namespace kelvo::data
