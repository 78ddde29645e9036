#include "platform/data/Store.hpp"

#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <bit>
#include <cerrno>
#include <climits>
#include <optional>
#include <system_error>
#include <vector>

#include "platform/data/EntityDescription.hpp"
#include "platform/data/ManagedObject.hpp"
#include "platform/data/Model.hpp"
#include "platform/data/StoreError.hpp"
#include "platform/data/ValueTransformer.hpp"
#include "platform/data/internal/ManagedObjectAccess.hpp"
#include "platform/data/internal/StoreSchema.hpp"
#include "platform/data/internal/StoreStatements.hpp"
#include "platform/foundation/Bytes.hpp"

namespace kelvo::data {

using data_internal::Database;
using data_internal::ManagedObjectAccess;
using data_internal::Statement;
using data_internal::StoreSchema;

namespace {

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

namespace {

namespace fs = std::filesystem;

// The nearest of `folder` and the folders above it that exists, when that is not a folder: a
// store cannot be opened below a plain file.
std::optional<fs::path> fileInPlaceOfFolder(const fs::path& folder) {
  std::error_code ignored;
  for (auto path = folder; !path.empty(); path = path.parent_path()) {
    const auto status = fs::status(path, ignored);
    if (fs::exists(status)) {
      if (fs::is_directory(status)) return std::nullopt;
      return path;
    }
    if (path == path.parent_path()) break;
  }
  return std::nullopt;
}

// The path and each folder above it, the path first, as written (a relative path's folders
// stop at its first name).
std::vector<fs::path> pathAndFolders(const fs::path& path) {
  std::vector<fs::path> paths;
  for (auto each = path; !each.empty(); each = each.parent_path()) {
    paths.push_back(each);
    if (each == each.parent_path()) break;
  }
  return paths;
}

int statError(const fs::path& path) {
  struct stat status;
  return ::stat(path.c_str(), &status) == 0 ? 0 : errno;
}

// Why the file system refuses to reach `file`, in words that say what to do; empty when it
// does not refuse, or for a cause the other sentences tell (a missing folder, a file in the way).
std::string unreachableFile(const fs::path& file) {
  std::error_code ignored;
  const int error = statError(file);
  if (error == ELOOP) {
    // The first of the path's links that leads nowhere but round.
    const auto paths = pathAndFolders(file);
    fs::path looping = file;
    for (auto each = paths.rbegin(); each != paths.rend(); ++each) {
      if (statError(*each) == ELOOP) {
        looping = *each;
        break;
      }
    }
    return (looping == file ? std::string("it is") : looping.string() + " is") +
           " one of a loop of links; point the links at a store file.";
  }
  if (error == ENAMETOOLONG) {
    if (file.native().size() >= PATH_MAX) {
      return "its path is " + std::to_string(file.native().size()) +
             " bytes long, and the system allows at most " + std::to_string(PATH_MAX - 1) +
             "; choose a shorter path.";
    }
    for (const auto& each : pathAndFolders(file)) {
      const auto name = each.filename().native();
      if (name.size() <= NAME_MAX) continue;
      return (each == file ? std::string("its file name is ")
                           : "the name of its folder " + each.string() + " is ") +
             std::to_string(name.size()) + " bytes long, and the file system allows at most " +
             std::to_string(NAME_MAX) + "; choose a shorter name.";
    }
  }
  if (error == EACCES) {
    // The deepest folder that exists and may not be searched.
    for (const auto& each : pathAndFolders(file.parent_path())) {
      if (!fs::is_directory(each, ignored) || ::access(each.c_str(), X_OK) == 0) continue;
      return "its folder " + each.string() +
             " cannot be entered; let this user search it, or choose another place.";
    }
  }
  if (error == ENOENT && fs::is_symlink(fs::symlink_status(file, ignored))) {
    const fs::path target = fs::read_symlink(file, ignored);
    const fs::path resolved = target.is_absolute() ? target : file.parent_path() / target;
    if (!fs::is_directory(resolved.parent_path(), ignored)) {
      return "it is a link to " + target.string() + ", whose folder " +
             resolved.parent_path().string() + " does not exist; point the link at a store file.";
    }
    return "it is a link to " + target.string() +
           ", which does not exist and cannot be made; point the link at a store file.";
  }
  return {};
}

// What opening would do wrong with the path, before SQLite sees it: SQLite makes a file of a
// path that names a folder, and cannot open one relative to a working folder that is gone.
void refuseUnopenablePath(const fs::path& url) {
  if (url.empty()) {
    throw StoreError(StoreError::Kind::incompatibleStore, "A SQLite store needs a file URL.");
  }
  const auto cannotOpen = [&](const std::string& why) {
    return StoreError(StoreError::Kind::sqlite,
                      "Could not open the store at " + url.string() + ": " + why, SQLITE_CANTOPEN);
  };
  std::error_code ignored;
  if (!url.has_filename()) {
    if (fs::is_directory(url, ignored)) throw cannotOpen("it is a folder, not a file.");
    throw cannotOpen(
        "a path that ends in a separator names a folder, not a file; give the store file's "
        "path without it.");
  }
  if (url.is_relative()) {
    std::error_code gone;
    if (fs::current_path(gone).empty() || gone) {
      throw cannotOpen(
          "the path is relative, and the working folder it would start from no longer exists; "
          "give the full path.");
    }
  }
}

// SQLite's account of a failed open says what went wrong, not to which file or what to do:
// the failures a user can meet get a sentence that names the file or its folder.
[[noreturn]] void refuseOpen(const StoreDescription& description, const StoreError& error) {
  const std::string file = description.url.string();
  const auto refusal = [&](StoreError::Kind kind, const std::string& message) {
    return StoreError(kind, message, error.extendedCode());
  };
  // Bytes that are no SQLite database at all are no store of ours; the connection has already
  // told damage found further in as such.
  if (error.extendedCode() == SQLITE_NOTADB) {
    throw refusal(StoreError::Kind::incompatibleStore,
                  "The store at " + file + " is not a store of this app.");
  }
  if (error.kind() != StoreError::Kind::sqlite) throw error;
  const auto cannotOpen = [&](const std::string& why) {
    return refusal(error.kind(), "Could not open the store at " + file + ": " + why);
  };
  std::error_code ignored;
  // Never throws: the working folder may be gone.
  fs::path absolute = fs::absolute(description.url, ignored);
  if (ignored) absolute = description.url;
  const std::string folder = absolute.parent_path().string();
  switch (error.extendedCode()) {
    case SQLITE_CANTOPEN:
      if (fs::is_directory(description.url, ignored)) {
        throw cannotOpen("it is a folder, not a file.");
      }
      if (const auto plainFile = fileInPlaceOfFolder(folder)) {
        throw cannotOpen(plainFile->string() + " is a file, not a folder.");
      }
      if (const auto why = unreachableFile(absolute); !why.empty()) throw cannotOpen(why);
      if (!fs::is_directory(folder, ignored)) {
        throw cannotOpen("its folder " + folder + " does not exist.");
      }
      // A new store's file cannot be made there.
      if (!fs::exists(description.url, ignored) && ::access(folder.c_str(), W_OK) != 0) {
        throw cannotOpen("its folder " + folder + " is read-only.");
      }
      break;
    case SQLITE_READONLY_DIRECTORY:
      // A store writes beside its file (the write-ahead log) even to be read.
      throw cannotOpen("its folder " + folder + " is read-only.");
    default:
      if (!Database::isReadOnly(error.extendedCode())) break;
      if (const auto companions = Database::readOnlyCompanions(file); !companions.empty()) {
        throw cannotOpen(companions);
      }
      throw cannotOpen("the file is read-only.");
  }
  throw error;
}

}  // namespace

Store::Store(const StoreDescription& description, const Model& model) : description_(description) {
  const bool inMemory = description_.isInMemory();
  if (!inMemory) refuseUnopenablePath(description_.url);
  try {
    database_ = std::make_unique<Database>(inMemory ? ":memory:" : description_.url.string());
    StoreSchema::open(*database_, model, description_, !inMemory);
  } catch (const StoreError& error) {
    if (inMemory) throw;
    refuseOpen(description_, error);
  }
  statements_.resize(model.entities().size());
}

Store::~Store() {
  // Statements go before the connection closes.
  statements_.clear();
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
