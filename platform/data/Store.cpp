#include "platform/data/Store.hpp"

#include <sys/stat.h>
#include <unistd.h>

#include <bit>
#include <functional>
#include <optional>
#include <vector>

#include "platform/data/EntityDescription.hpp"
#include "platform/data/ManagedObject.hpp"
#include "platform/data/Model.hpp"
#include "platform/data/StoreError.hpp"
#include "platform/data/ValueTransformer.hpp"
#include "platform/data/internal/ManagedObjectAccess.hpp"
#include "platform/data/internal/OpenStore.hpp"
#include "platform/data/internal/StoreLog.hpp"
#include "platform/data/internal/StoreOpening.hpp"
#include "platform/data/internal/StoreSchema.hpp"
#include "platform/data/internal/StoreStatements.hpp"
#include "platform/foundation/Bytes.hpp"

namespace kelvo::data {

using data_internal::Database;
using data_internal::ManagedObjectAccess;
using data_internal::OpenStore;
using data_internal::Statement;
using data_internal::StoreLog;
using data_internal::StoreOpening;
using data_internal::StoreSchema;

namespace {

// A failure met while opening because the path named nothing or another file for a moment:
// SQLite opens the -wal and -shm by the store's path, and looks at the file there for their mode.
bool cameOfAMove(const StoreError& error, const Database& database) {
  // Whatever else it reads as (damage, among others), a read through the -wal and -shm of
  // another file tells of nothing in this one.
  return error.extendedCode() == Database::pathNamedNothing ||
         error.extendedCode() == Database::fileMoved || database.fileHasMoved();
}

// The store file SQLite made for an open that is refused before its first read: still empty,
// and still the connection's, it goes again.
void removeIfMadeEmpty(const Database& database) noexcept {
  try {
    const std::string path = database.fullPath();
    struct stat status {};
    if (!database.fileHasMoved() && ::stat(path.c_str(), &status) == 0 && S_ISREG(status.st_mode) &&
        status.st_size == 0) {
      ::unlink(path.c_str());
    }
  } catch (...) {
    // Out of memory for the path: the empty file stays, as a new store would.
  }
}

using Access = ManagedObjectAccess;

// Decodes a column by its storage class into the object's slot, with no value in between; a
// class the attribute does not store (a damaged or foreign row) still decodes, as a value the
// typed readers turn into their defaults.
void decode(const Statement& row, int column, const AttributeDescription& attribute,
            ValueSlot& slot) {
  switch (row.columnType(column)) {
    case Statement::ColumnType::null:
      slot = std::nullopt;
      return;
    case Statement::ColumnType::integer:
      slot = Value(row.columnInt64(column));
      return;
    case Statement::ColumnType::real:
      slot = Value(Date(row.columnDouble(column)));
      return;
    case Statement::ColumnType::text:
      if (attribute.type != AttributeType::transformable) {
        slot = Value(row.columnText(column));
        return;
      }
      [[fallthrough]];
    case Statement::ColumnType::blob: {
      const auto bytes = row.columnBlob(column);
      if (attribute.type == AttributeType::transformable) {
        slot = ValueTransformer::named(attribute.valueTransformerName)->decode(bytes);
      } else if (attribute.type == AttributeType::uuid && bytes.size() == 16) {
        UUID::Bytes id;
        std::copy(bytes.begin(), bytes.end(), id.begin());
        slot = Value(UUID(id));
      } else {
        slot = Value(Bytes(bytes.begin(), bytes.end()));
      }
      return;
    }
  }
  slot = std::nullopt;
}

}  // namespace

Store::Statements::Statements(Database& database, const EntityDescription& entity)
    : select(database, entity, &StoreSchema::select),
      selectOne(database, entity, &StoreSchema::selectOne),
      insert(database, entity, &StoreSchema::insert),
      update(database, entity, &StoreSchema::update),
      remove(database, entity, &StoreSchema::remove),
      count(database, entity, &StoreSchema::count),
      maxPrimaryKey(database, entity, &StoreSchema::maxPrimaryKey),
      lastKey(database, entity, &StoreSchema::readLastKey),
      recordLastKey(database, entity, &StoreSchema::recordLastKey),
      createLastKey(database, entity, &StoreSchema::createLastKey) {
  byForeignKey.resize(entity.relationships().size());
  keysByForeignKey.resize(entity.relationships().size());
  foreignKeyOf.resize(entity.relationships().size());
}

Store::Store(const StoreDescription& description, const Model& model) : description_(description) {
  const bool inMemory = description_.isInMemory();
  const bool fileWasThere = inMemory || StoreOpening::refusePath(description_.url);
  try {
    database_ = std::make_unique<Database>(inMemory ? ":memory:"
                                                    : StoreOpening::sqliteName(description_.url));
  } catch (const StoreError& error) {
    if (inMemory) throw;
    StoreOpening::refuse(description_, error);
  }
  // The path SQLite keeps the -wal and -shm beside: links followed, from the working folder.
  const std::string fullPath = inMemory ? std::string() : database_->fullPath();
  if (!inMemory) {
    try {
      // Before the connection first reads: by then it would share another's view of the log.
      openFile_ = OpenStore::enter(fullPath, description_.url);
      openFile_->mark(*database_);
      // Before SQLite makes the -wal and -shm beside the path, at the first read.
      openFile_->refuseOtherPrograms(*database_, description_.url);
      // The file listed is the one the connection has open, unless the path changed under it,
      // as it may have while other programs were waited for: the first read would then take
      // the -wal and -shm of whatever the path names now.
      if (database_->fileHasMoved() || openFile_->hasMoved().value_or(false)) {
        StoreOpening::refuseMovedWhileOpening(description_.url);
      }
      // The file's latest saves may be in a log a close left beside another name of it.
      openFile_->settleKeptLog(*database_, description_.url, OpenStore::Stage::beforeFirstRead);
      // SQLite's first read deletes a log beside an empty file: it may hold a moved store's saves.
      StoreLog::setAsideStray(fullPath);
    } catch (...) {
      if (!fileWasThere) removeIfMadeEmpty(*database_);
      throw;
    }
  }
  // Once the first read has taken this process's locks, and before anything is written.
  bool refusedThere = false;
  const auto beforeWriting = [&] {
    refusedThere = true;
    // SQLite opened the -wal and -shm by the path, which may have named another file by then.
    if (openFile_->hasMoved().value_or(false)) {
      StoreOpening::refuseMovedWhileOpening(description_.url);
    }
    // Another program that opened the file by another name at the same moment passed the look
    // before this one's locks were taken, as this one may have passed before its: once both
    // hold their locks, the later look sees the other.
    openFile_->mark(*database_);
    openFile_->refuseOtherPrograms(*database_, description_.url);
    openFile_->settleKeptLog(*database_, description_.url, OpenStore::Stage::afterFirstRead);
    refusedThere = false;
    // A program this look waited for may have saved under its own name meanwhile and copied its
    // log into the file at its close, unseen by the -shm beside this name: pages read before
    // would be taken for the file's, a stale page count making its new pages read as damage.
    database_->releaseCache();
  };
  try {
    StoreSchema::open(*database_, model, description_, !inMemory,
                      inMemory ? std::function<void()>() : beforeWriting);
    // A new store's file held no lock between the transactions that made it.
    if (!inMemory) openFile_->mark(*database_);
    mayNotWrite_ = !inMemory && database_->isReadOnly();
  } catch (const StoreError& error) {
    if (inMemory) throw;
    // Refused after its first read, or as the path moved, this connection may be the last to
    // read the log it read, which is then its file's to empty, unless another program reads
    // the file, or that log, otherwise. One that read while its path named another file may
    // have read that file's, being written: never its file's to empty, nor SQLite's close's to
    // copy, where a holder of that -shm does not hold this file, or a close kept that log for
    // another file.
    const bool moved = cameOfAMove(error, *database_);
    // Where another program reads the file otherwise, a log whose frames are all in the file
    // is still reset: left as it is, a later first reader by this name would take its frames
    // for the latest, over what the other program has written since.
    if (moved &&
        (database_->logIsKeptForAnotherFile() || openFile_->readAnotherFilesLog(*database_))) {
      database_->keepTheLog();
    } else if ((refusedThere || moved) && (openFile_->isTheOnlyView(*database_) ||
                                           (refusedThere && database_->logIsCopied()))) {
      database_->noteLogIsOwn();
    }
    if (refusedThere) throw;
    if (moved) StoreOpening::refuseMovedWhileOpening(description_.url);
    // A file that is no store of ours, or is damaged, is left as it was, and so is the log beside
    // it (a killed program's last saves, maybe): SQLite's close, finding the file alone, would
    // copy it in and remove it.
    if (error.kind() == StoreError::Kind::incompatibleStore) database_->keepTheLog();
    if (error.extendedCode() == StoreLog::diskFull) {
      throw StoreError(
          error.kind(),
          StoreLog::atOpen(description_.url.string(), database_->fileThatCouldNotGrow()),
          StoreLog::diskFull);
    }
    StoreOpening::refuse(description_, error);
  }
  statements_.resize(model.entities().size());
  database_->noteOpened();
}

Store::~Store() {
  // Statements go before the connection closes, and the connection before the file is no
  // longer listed as open.
  statements_.clear();
  database_.reset();
}

namespace {

// The store at the path is no longer the one this container opened: its changes go nowhere.
[[noreturn]] void refuseMovedStore() {
  throw StoreError(StoreError::Kind::sqlite, "the store's file was moved or replaced",
                   Database::fileMoved);
}

// Whether two connections have one file open. Where the system does not tell, each must still
// be at the path: the best that can be told from outside.
bool openTheSameFile(const Database& one, const Database& other) {
  const auto first = one.openFile();
  const auto second = other.openFile();
  if (first && second) return *first == *second;
  return !one.fileHasMoved() && !other.fileHasMoved();
}

}  // namespace

void Store::refuseIfMoved() {
  if (openFile_ == nullptr) return;  // in memory
  // SQLite's own look, but for the lookup of the connection's file on the way.
  const std::optional<bool> moved = openFile_->hasMoved();
  if (!(moved ? *moved : database_->fileHasMoved())) {
    settled_ = false;
    return;
  }
  // A log that could not be emptied (another connection kept it busy, or the disk had no room)
  // is tried again at the next save, and at the close; meanwhile the file records where it is.
  if (!settled_) {
    try {
      settled_ = database_->emptyLogIntoMovedFile();
    } catch (const StoreError&) {
      database_->leaveTheLog();
      throw;
    }
    if (!settled_) database_->leaveTheLog();
  }
  refuseMovedStore();
}

void Store::reopenToWrite(const Model& model) {
  // The file the connection has open, whatever the working folder is now.
  const std::string file = database_->fullPath();
  if (file.empty()) return;
  // A file moved away was refused before this (`refuseIfMoved`).
  // Until every file can be written, a connection opened anew would fail as this one does.
  if (::access(file.c_str(), W_OK) != 0 || !Database::readOnlyCompanions(file).empty()) return;
  std::unique_ptr<Database> fresh;
  try {
    fresh = std::make_unique<Database>(file, Database::Opening::existingOnly);
  } catch (const StoreError&) {
    if (database_->fileHasMoved()) refuseMovedStore();
    return;  // the save tells of the connection there is
  }
  // The path may have come to name another file between the look and the open.
  if (!openTheSameFile(*database_, *fresh)) refuseMovedStore();
  if (fresh->isReadOnly()) return;
  // The old connection closes before the new one first reads: a process's connections to one
  // file share its -shm, which the old one may hold read-only.
  for (auto& statements : statements_) statements.reset();
  if (database_->keepsTheLog()) fresh->keepTheLog();
  fresh->nameAs(*database_);
  database_ = std::move(fresh);
  // While no connection of this process held the file, another program may have opened it by
  // another name: looked for before anything is written.
  const auto beforeWriting = [&] {
    openFile_->mark(*database_);
    if (const auto refusal = openFile_->otherProgram(*database_)) {
      throw StoreError(StoreError::Kind::sqlite,
                       "Could not save: the store at " + url().string() +
                           " could not be opened anew: " + refusal->why,
                       refusal->code);
    }
    // As at an open: what was read before the look may predate a program it waited for.
    database_->releaseCache();
  };
  openFile_->mark(*database_);
  try {
    StoreSchema::open(*database_, model, description_, true, beforeWriting);
  } catch (const StoreError& error) {
    if (!cameOfAMove(error, *database_)) throw;
    throw StoreError(StoreError::Kind::sqlite,
                     "Could not save: the store at " + url().string() +
                         " was moved or removed while this save opened it anew; " +
                         StoreOpening::afterAMove,
                     Database::fileMoved);
  }
  database_->noteOpened();
  mayNotWrite_ = false;
}

// Compiled when an entity's table is first used: a library opened to read its cards need not
// compile the statements of every other table.
Store::Statements& Store::statements(const EntityDescription& entity) {
  auto& statements = statements_[entity.index()];
  if (statements == nullptr) statements = std::make_unique<Statements>(*database_, entity);
  return *statements;
}

std::int64_t Store::primaryKey(const Statement& row) { return row.columnInt64(0); }

void Store::read(const Statement& row, ManagedObject& object,
                 std::vector<std::int64_t>& foreignKeys) {
  const auto& attributes = object.entity().attributes();
  int column = 1;
  for (std::size_t i = 0; i < attributes.size(); ++i, ++column) {
    decode(row, column, attributes[i], Access::attributes(object)[i]);
  }
  foreignKeys.clear();
  for (std::size_t i = 0; i < object.entity().toOneRelationships().size(); ++i, ++column) {
    const bool isKey = row.columnType(column) == Statement::ColumnType::integer;
    foreignKeys.push_back(isKey ? row.columnInt64(column) : 0);
  }
}

namespace {

void bindValue(Statement& statement, int parameter, const AttributeDescription& attribute,
               const ValueSlot& value, std::vector<std::string>& scratch) {
  if (!value) {
    statement.bindNull(parameter);
  } else if (attribute.type == AttributeType::transformable) {
    const auto* transformer = ValueTransformer::named(attribute.valueTransformerName);
    auto encoded = transformer->encode(*value);
    if (!encoded) {
      statement.bindNull(parameter);
      return;
    }
    scratch.push_back(std::move(*encoded));
    statement.bindBlob(parameter, asBytes(scratch.back()));
  } else if (const auto* text = value->string()) {
    statement.bindText(parameter, *text);
  } else if (const auto number = value->integer()) {
    statement.bind(parameter, *number);
  } else if (const auto date = value->date()) {
    statement.bind(parameter, date->timeIntervalSinceReferenceDate());
  } else if (const auto id = value->uuid()) {
    scratch.emplace_back(id->bytes().begin(), id->bytes().end());
    statement.bindBlob(parameter, asBytes(scratch.back()));
  } else if (const auto* bytes = value->bytes()) {
    statement.bindBlob(parameter, *bytes);
  } else {
    statement.bindNull(parameter);
  }
}

void bindTarget(Statement& statement, int parameter, const ManagedObject* target) {
  if (target != nullptr && ManagedObjectAccess::primaryKey(*target) != 0) {
    statement.bind(parameter, ManagedObjectAccess::primaryKey(*target));
  } else {
    statement.bindNull(parameter);
  }
}

}  // namespace

void Store::bind(Statement& statement, const ManagedObject& object,
                 std::vector<std::string>& scratch) {
  const auto& attributes = object.entity().attributes();
  scratch.clear();
  // Bound texts point into `scratch`, which must not move while the statement runs.
  scratch.reserve(attributes.size());
  int parameter = 1;
  statement.bind(parameter++, Access::primaryKey(object));
  for (std::size_t i = 0; i < attributes.size(); ++i) {
    bindValue(statement, parameter++, attributes[i], Access::attributes(object)[i], scratch);
  }
  for (unsigned index : object.entity().toOneRelationships()) {
    bindTarget(statement, parameter++, Access::links(object)[index].target);
  }
}

namespace {

// The statement in `slot`, compiled from `sql()` when first needed.
template <class Sql>
Statement& compiledOnce(std::unique_ptr<Statement>& slot, Database& database, Sql sql) {
  if (slot == nullptr) slot = std::make_unique<Statement>(database, sql());
  return *slot;
}

}  // namespace

Statement& Store::byForeignKey(const EntityDescription& entity, std::uint32_t relationship) {
  return compiledOnce(statements(entity).byForeignKey[relationship], *database_,
                      [&] { return StoreSchema::selectByForeignKey(entity, relationship); });
}

Statement& Store::keysByForeignKey(const EntityDescription& entity, std::uint32_t relationship) {
  return compiledOnce(statements(entity).keysByForeignKey[relationship], *database_,
                      [&] { return StoreSchema::keysByForeignKey(entity, relationship); });
}

Statement& Store::foreignKeyOf(const EntityDescription& entity, std::uint32_t relationship) {
  return compiledOnce(statements(entity).foreignKeyOf[relationship], *database_,
                      [&] { return StoreSchema::foreignKeyOf(entity, relationship); });
}

Statement& Store::update(const EntityDescription& entity, std::uint64_t columns) {
  return compiledOnce(statements(entity).updates[columns], *database_,
                      [&] { return StoreSchema::update(entity, columns); });
}

void Store::bindColumns(Statement& statement, const ManagedObject& object, std::uint64_t columns,
                        std::vector<std::string>& scratch) {
  const auto& attributes = object.entity().attributes();
  const auto& toOne = object.entity().toOneRelationships();
  scratch.clear();
  // Room for the attributes written, each of which may keep one encoded value; a move writes
  // only a link and needs none.
  const std::uint64_t attributeColumns =
      attributes.size() >= 64 ? ~std::uint64_t{0} : (std::uint64_t{1} << attributes.size()) - 1;
  if (const int written = std::popcount(columns & attributeColumns); written > 0) {
    scratch.reserve(static_cast<std::size_t>(written));
  }
  int parameter = 1;
  statement.bind(parameter++, Access::primaryKey(object));
  for (std::size_t column = 0; column < attributes.size() + toOne.size(); ++column) {
    if ((columns >> column & 1) == 0) continue;
    if (column < attributes.size()) {
      bindValue(statement, parameter++, attributes[column], Access::attributes(object)[column],
                scratch);
    } else {
      bindTarget(statement, parameter++,
                 Access::links(object)[toOne[column - attributes.size()]].target);
    }
  }
}

}  // namespace kelvo::data
